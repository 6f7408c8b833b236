// The program on a desktop with a real window manager: an X server of its own (Xvfb) at the
// small screen size of 1366 × 768, openbox drawing the window frames, and the built program
// started as a player would start a puzzle. The test needs Xvfb, openbox, xdotool, xprop and
// xwininfo, and fails without them.
#include "engine/container/GameRecord.h"
#include "engine/container/KeyedNode.h"
#include "engine/container/PendingSave.h"
#include "engine/container/PuzzleDocumentCodec.h"
#include "engine/container/PuzzleFile.h"
#include "engine/container/PuzzleSchema.h"
#include "support/AppTestSupport.h"
#include "support/ProcessSupport.h"

#include <QFile>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>

namespace
{

constexpr int FinishesWithinMs = 30000;
const QRect Screen(0, 0, 1366, 768);
// Kills of a played game; fewer where the sanitizers make every start slow.
#if defined(__SANITIZE_ADDRESS__)
constexpr int KilledRounds = 8;
#else
constexpr int KilledRounds = 30;
#endif

class WindowManager : public TExecutableFolderTest
{
protected:
    void SetUp() override
    {
        TExecutableFolderTest::SetUp();
        for (const char *tool : {"Xvfb", "openbox", "xdotool", "xprop", "xwininfo"})
            ASSERT_FALSE(QStandardPaths::findExecutable(tool).isEmpty()) << tool << " is missing";
        // -noreset: a server whose last client leaves resets and drops the next one to connect.
        m_xServer.start("Xvfb", {"-displayfd", "1", "-nolisten", "tcp", "-noreset", "-screen", "0",
                                 "1366x768x24"});
        ASSERT_TRUE(m_xServer.waitForReadyRead(FinishesWithinMs)) << "Xvfb did not start";
        m_display = ":" + QString::fromLatin1(m_xServer.readAllStandardOutput().trimmed());
        m_environment = ProgramEnvironment(m_folder.path());
        m_environment.insert("QT_QPA_PLATFORM", "xcb");
        m_environment.insert("DISPLAY", m_display);
        m_windowManager.setProcessEnvironment(m_environment);
        m_windowManager.start("openbox", {});
        ASSERT_TRUE(QTest::qWaitFor(
            [this] {
                return Run("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}).contains("#");
            },
            FinishesWithinMs))
            << "openbox did not start";
    }

    void TearDown() override
    {
        for (QProcess *process : {&m_game, &m_windowManager, &m_xServer}) {
            process->kill();
            process->waitForFinished();
        }
        TExecutableFolderTest::TearDown();
    }

    // The output of a tool run on this display.
    QByteArray Run(const QString &tool, const QStringList &arguments)
    {
        QProcess process;
        process.setProcessEnvironment(m_environment);
        process.start(tool, arguments);
        process.waitForFinished(FinishesWithinMs);
        return process.readAllStandardOutput();
    }

    // The visible window of that title, or empty when none shows within the time allowed. Asked
    // again and again: xdotool's own waiting gives up when a window goes while it searches, as
    // a killed game's windows do.
    QString WaitForWindow(const QString &title)
    {
        QString window;
        const bool shown = QTest::qWaitFor(
            [&] {
                window = QString::fromLatin1(
                    Run("xdotool", {"search", "--onlyvisible", "--name", "^" + title + "$"})
                        .split('\n')
                        .first());
                return !window.isEmpty();
            },
            FinishesWithinMs);
        return shown ? window : QString();
    }

    // The windows of that title, only those shown (mapped) unless all are asked for.
    QStringList Windows(const QString &title, bool all = false)
    {
        QStringList arguments{"search", "--name", "^" + title + "$"};
        if (!all)
            arguments.insert(1, "--onlyvisible");
        return QString::fromLatin1(Run("xdotool", arguments)).split('\n', Qt::SkipEmptyParts);
    }

    // Where the window and its frame lie on the screen; empty while the frame is unknown.
    QRect FramedGeometry(const QString &window)
    {
        const QString shape = QString::fromLatin1(Run("xwininfo", {"-id", window}));
        const QByteArray frame = Run("xprop", {"-id", window, "_NET_FRAME_EXTENTS"});
        const auto value = [&shape](const char *name) {
            return QRegularExpression(QString("%1:\\s*(-?\\d+)").arg(name))
                .match(shape)
                .captured(1)
                .toInt();
        };
        const QRegularExpressionMatch extents =
            QRegularExpression("= (\\d+), (\\d+), (\\d+), (\\d+)").match(frame);
        if (!extents.hasMatch())
            return {};
        const QRect client(value("Absolute upper-left X"), value("Absolute upper-left Y"),
                           value("Width"), value("Height"));
        return client.adjusted(-extents.captured(1).toInt(), -extents.captured(3).toInt(),
                               extents.captured(2).toInt(), extents.captured(4).toInt());
    }

    // The sample puzzle, played with its game's record in a state folder of the test's and the
    // record's debug lines on the game's error output.
    QString WriteRecordedPuzzle()
    {
        const QString puzzle = PathOf("recorded.exe");
        EXPECT_TRUE(WriteExecutable(
            puzzle, WithSections(ReadBytes(TESSALUNE_EXE),
                                 PuzzleSections(SamplePictureBytes(), SampleDocumentText()))));
        m_environment.insert("XDG_STATE_HOME", PathOf("state"));
        m_environment.insert("QT_LOGGING_RULES", "tessalune.record.debug=true");
        m_game.setProcessEnvironment(m_environment);
        m_game.setProcessChannelMode(QProcess::SeparateChannels);
        return puzzle;
    }

    // Starts the game and waits until its window shows and, after the first start, its game
    // came back from the record.
    void StartGame(const QString &puzzle, bool restored)
    {
        m_errors.clear();
        m_game.start(puzzle, {});
        m_gameWindow = WaitForWindow("Sample");
        ASSERT_FALSE(m_gameWindow.isEmpty()) << m_errors.toStdString();
        // The tools window comes once the game is laid out; the palette follows at its next
        // tick, and only then does P take a palette piece.
        ASSERT_FALSE(WaitForWindow("Tools").isEmpty());
        QTest::qWait(500);
        if (restored) {
            ASSERT_TRUE(WaitForLine("game restored from its record"));
        }
    }

    // Takes the first palette piece and drops it, with the keys.
    void DropAPiece()
    {
        Run("xdotool", {"windowactivate", "--sync", m_gameWindow});
        Run("xdotool", {"key", "p", "Return"});
    }

    bool WaitForLine(const QByteArray &line)
    {
        return QTest::qWaitFor(
            [&] {
                m_errors += m_game.readAllStandardError();
                return m_errors.contains(line);
            },
            FinishesWithinMs);
    }

    // Pieces on the desktop in the puzzle's record; -1 when there is no intact record.
    int PiecesLaidInRecord(const QString &puzzle)
    {
        const std::optional<TGameRecord> record =
            TGameRecordStore(PathOf("state/tessalune"),
                             GameRecordName(puzzle, SamplePictureBytes()))
                .Read();
        if (!record)
            return -1;
        const TPuzzleDocument document(record->document);
        return static_cast<int>(std::count_if(document.Game().pieces.begin(),
                                              document.Game().pieces.end(),
                                              [](const TPiece &piece) { return piece.position; }));
    }

    QString m_display;
    QString m_gameWindow;
    QByteArray m_errors;
    QProcessEnvironment m_environment;
    QProcess m_xServer;
    QProcess m_windowManager;
    QProcess m_game;
};

} // namespace

// A puzzle played last on a larger screen stored the tools window near that screen's right edge;
// on a small one the whole window, its frame included, stays on the screen.
TEST_F(WindowManager, ToolsWindowPlacedForALargerScreenStaysOnTheSmallOne)
{
    TKeyedNode document;
    document.LoadFromText(SampleDocumentText());
    document.SetAttr(PuzzleSchema::KeyToolsLeft, "1566");
    document.SetAttr(PuzzleSchema::KeyToolsTop, "700");
    const QString puzzle = PathOf("puzzle.exe");
    ASSERT_TRUE(WriteExecutable(
        puzzle, WithSections(ReadBytes(TESSALUNE_EXE),
                             PuzzleSections(SamplePictureBytes(), document.SaveToText()))));
    m_game.setProcessEnvironment(m_environment);
    m_game.start(puzzle, {});
    const QString tools = WaitForWindow("Tools");
    ASSERT_FALSE(tools.isEmpty());
    QRect framed;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            framed = FramedGeometry(tools);
            return !framed.isEmpty() && Screen.contains(framed);
        },
        5000))
        << "tools window with its frame at " << framed.x() << "," << framed.y() << " "
        << framed.width() << " x " << framed.height();
}

// A game killed at any moment loses at most the moves its record had not taken: each round
// drops one more piece and kills the game once the record holds the drop; the record is intact
// every time, never holds fewer pieces than the round before, and the restarted game comes back
// with exactly the pieces it holds.
TEST_F(WindowManager, KilledGameComesBackWithEveryRecordedMove)
{
    const QString puzzle = WriteRecordedPuzzle();
    int recorded = 0;
    for (int round = 1; round <= KilledRounds; ++round) {
        StartGame(puzzle, round > 1);
        if (round > 1) {
            ASSERT_TRUE(m_errors.contains("game restored from its record, " +
                                          QByteArray::number(recorded) + " pieces laid"))
                << "round " << round << ": " << m_errors.toStdString();
        }
        DropAPiece();
        ASSERT_TRUE(WaitForLine("game record holds move 1")) << "round " << round;
        m_game.kill();
        m_game.waitForFinished();
        const int laid = PiecesLaidInRecord(puzzle);
        ASSERT_GE(laid, std::max(recorded, 1)) << "round " << round;
        recorded = laid;
    }
    EXPECT_GT(recorded, KilledRounds / 2);
}

// SIGTERM, and a display that goes away, write the moves that were not yet recorded.
TEST_F(WindowManager, EndSignalAndLostDisplayWriteTheLastMoves)
{
    const QString puzzle = WriteRecordedPuzzle();
    StartGame(puzzle, false);
    DropAPiece();
    DropAPiece();
    ASSERT_TRUE(WaitForLine("game changed: move 2"));
    m_game.terminate();
    ASSERT_TRUE(m_game.waitForFinished(FinishesWithinMs));
    // Ended by itself, not by the signal (the sanitizers' own findings at exit set the code).
    EXPECT_EQ(m_game.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(PiecesLaidInRecord(puzzle), 2);

    StartGame(puzzle, true);
    DropAPiece();
    DropAPiece();
    ASSERT_TRUE(WaitForLine("game changed: move 2"));
    m_xServer.kill();
    ASSERT_TRUE(m_game.waitForFinished(FinishesWithinMs));
    EXPECT_EQ(PiecesLaidInRecord(puzzle), 4);
}

// Closing the play window as a window manager does (openbox's Alt+F4 sends WM_DELETE_WINDOW)
// ends the game as Tools → Exit → Yes does: the tools window goes, the save question shows, and
// after YES (Enter) the game is in the puzzle, after NO it is not, and either way no process of
// the puzzle runs any more.
TEST_F(WindowManager, PlayWindowClosedByTheWindowManagerSavesAndEveryProcessEnds)
{
    const ChildProcesses children;
    const QString puzzle = WriteRecordedPuzzle();
    const auto laid = [&puzzle]() -> long {
        try {
            const TPuzzleDocument saved = PuzzleDocumentOf(ReadPuzzleFile(puzzle));
            return std::count_if(saved.Game().pieces.begin(), saved.Game().pieces.end(),
                                 [](const TPiece &piece) { return piece.position; });
        } catch (const std::exception &) {
            return -1; // not yet written whole
        }
    };
    // NO first: after YES the next start only clears the finished save's copy away.
    for (const bool yes : {false, true}) {
        StartGame(puzzle, false);
        DropAPiece();
        ASSERT_TRUE(WaitForLine("game changed: move 1"));
        Run("xdotool", {"windowactivate", "--sync", m_gameWindow});
        Run("xdotool", {"key", "alt+F4"});
        // The main window, named after the game, shows the question once the play window and
        // the tools window have gone.
        QStringList named;
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                named = Windows("Sample");
                return named.size() == 1 && named.first() != m_gameWindow &&
                       Windows("Tools").isEmpty();
            },
            FinishesWithinMs))
            << named.join(' ').toStdString() << "; tools "
            << Windows("Tools").join(' ').toStdString();
        // Answered again while the question still shows: a key or click sent while the window
        // manager is still placing or activating the window can go astray.
        const auto answer = [&] {
            if (Windows("Sample").isEmpty())
                return;
            Run("xdotool", {"windowactivate", "--sync", named.first()});
            if (yes)
                Run("xdotool", {"key", "Return"});
            else // the NO button, in the question's panel
                Run("xdotool",
                    {"mousemove", "--window", named.first(), "466", "263", "click", "1"});
        };
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                answer();
                return m_game.state() == QProcess::NotRunning || m_game.waitForFinished(1000);
            },
            10000))
            << "the game still runs after " << (yes ? "YES" : "NO");
        EXPECT_TRUE(QTest::qWaitFor([&] { return laid() == (yes ? 1 : 0); }, 5000))
            << "answered " << (yes ? "YES" : "NO");
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return children.Running(PathOf(QLatin1String(HandOverFileName))).empty(); },
            5000))
            << "the copy that saves still runs";
    }
}

// While the game is played only the play window shows, named after the game: the main window
// with its loading page is out of the way, with a window manager and also without one (which
// never minimises anything).
TEST_F(WindowManager, LoadingPageDoesNotStayShownBehindTheGame)
{
    const QString puzzle = WriteRecordedPuzzle();
    for (const bool managed : {true, false}) {
        if (!managed) {
            m_game.kill();
            m_game.waitForFinished();
            m_windowManager.kill();
            m_windowManager.waitForFinished();
        }
        StartGame(puzzle, false);
        const QStringList shown = Windows("Sample");
        ASSERT_EQ(shown.size(), 1) << (managed ? "with" : "without") << " a window manager";
    }
}
