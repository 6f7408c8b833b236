// The program on a desktop with a real window manager: an X server of its own (Xvfb) at the
// small screen size of 1366 × 768, openbox drawing the window frames, and the built program
// started as a player would start a puzzle. The test needs Xvfb, openbox, xdotool, xprop and
// xwininfo, and fails without them.
#include "engine/container/KeyedNode.h"
#include "engine/container/PuzzleSchema.h"
#include "support/AppTestSupport.h"
#include "support/ProcessSupport.h"

#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <gtest/gtest.h>

namespace
{

constexpr int FinishesWithinMs = 30000;
const QRect Screen(0, 0, 1366, 768);

class WindowManager : public TExecutableFolderTest
{
protected:
    void SetUp() override
    {
        TExecutableFolderTest::SetUp();
        for (const char *tool : {"Xvfb", "openbox", "xdotool", "xprop", "xwininfo"})
            ASSERT_FALSE(QStandardPaths::findExecutable(tool).isEmpty()) << tool << " is missing";
        m_xServer.start("Xvfb",
                        {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "1366x768x24"});
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

    // The visible window of that title, or empty when none shows within the time allowed.
    QString WaitForWindow(const QString &title)
    {
        return QString::fromLatin1(Run("timeout", {"30", "xdotool", "search", "--sync",
                                                   "--onlyvisible", "--name", "^" + title + "$"})
                                       .split('\n')
                                       .first());
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

    QString m_display;
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
