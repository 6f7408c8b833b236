// A saved game that reached the hand-over copy "tmp.exe" is never lost: a copy stopped early is
// finished by the next start, a running copy is left alone, a copy that cannot finish says why
// and stays for the next try, and killing the hand-over at any moment loses nothing.
#include "engine/container/ExecutablePayload.h"
#include "engine/container/PuzzleSchema.h"
#include "platform/Platform.h"
#include "support/AppTestSupport.h"
#include "support/ProcessSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTest>
#include <QThread>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace PuzzleSchema;

namespace
{

constexpr int EndsWithinMs = 30000;
constexpr int KeepsRunningMs = 2500;

} // namespace

class HandoverFaults : public TExecutableFolderTest
{
protected:
    void SetUp() override
    {
        TExecutableFolderTest::SetUp();
        ASSERT_FALSE(m_program.isEmpty());
        m_oldImage =
            WithSections(m_program, PuzzleSections(SamplePictureBytes(), "<PUZZLE_DATA/>"));
        m_savedImage = m_oldImage;
        RemoveSection(SectionDocument, m_savedImage);
        AppendSection(SectionDocument, SampleDocumentText(), m_savedImage);
    }

    // The puzzle "tulips.exe" with its old game, and the hand-over copy of its new game in
    // `folderPath`.
    void WritePuzzleAndHandOver(const QString &folderPath, const QByteArray &target = "tulips.exe")
    {
        ASSERT_TRUE(WriteExecutable(folderPath + "/tulips.exe", m_oldImage));
        QByteArray handOver = m_savedImage;
        AppendSection(SectionFileName, target, handOver);
        ASSERT_TRUE(WriteExecutable(folderPath + "/tmp.exe", handOver));
    }

    pid_t Start(const QString &path)
    {
        const pid_t pid =
            m_children->Start(path, {}, ProgramEnvironment(m_folder.path()), m_errors);
        EXPECT_GT(pid, 0) << path.toStdString();
        return pid;
    }

    bool EndsCleanly(pid_t pid) { return m_children->WaitForExit(pid, EndsWithinMs) == 0; }

    // Waits until the program's stderr says `reason`.
    bool Says(const QByteArray &reason) const
    {
        return QTest::qWaitFor([&] { return ReadBytes(m_errors).contains(reason); }, EndsWithinMs);
    }

    // The puzzle holds the new game, whole and executable.
    void ExpectSaved(const QString &puzzle) const
    {
        EXPECT_TRUE(ReadBytes(puzzle) == m_savedImage) << "the saved game is lost or damaged";
        EXPECT_TRUE(QFileInfo(puzzle).isExecutable());
    }

    const QByteArray m_program = ReadBytes(QStringLiteral(TESSALUNE_EXE));
    QByteArray m_oldImage;
    QByteArray m_savedImage;
    QString m_errors = PathOf("stderr.txt");
    std::unique_ptr<ChildProcesses> m_children = std::make_unique<ChildProcesses>();
};

TEST_F(HandoverFaults, TheNextStartFinishesALeftoverSaveOrDeletesOneThatIsDone)
{
    const QString puzzle = PathOf("tulips.exe");
    WritePuzzleAndHandOver(m_folder.path());
    EXPECT_TRUE(EndsCleanly(Start(puzzle)));
    ExpectSaved(puzzle);
    EXPECT_FALSE(QFileInfo::exists(PathOf("tmp.exe")));

    // Once more: the puzzle holds that game already, so only "tmp.exe" goes.
    QByteArray handOver = m_savedImage;
    AppendSection(SectionFileName, "tulips.exe", handOver);
    ASSERT_TRUE(WriteExecutable(PathOf("tmp.exe"), handOver));
    EXPECT_TRUE(EndsCleanly(Start(puzzle)));
    ExpectSaved(puzzle);
    EXPECT_FALSE(QFileInfo::exists(PathOf("tmp.exe")));
}

TEST_F(HandoverFaults, ASaveWhosePuzzleIsGoneIsDeletedWithAMessage)
{
    WritePuzzleAndHandOver(m_folder.path(), "gone.exe");
    Start(PathOf("tulips.exe"));
    EXPECT_TRUE(Says("\"gone.exe\" that \"tmp.exe\" holds a saved game for cannot be found"));
    EXPECT_FALSE(QFileInfo::exists(PathOf("tmp.exe")));
    EXPECT_EQ(ReadBytes(PathOf("tulips.exe")), m_oldImage);
}

TEST_F(HandoverFaults, ARunningHandOverCopyIsNotDeletedByAnotherStart)
{
    const QString puzzle = PathOf("tulips.exe");
    WritePuzzleAndHandOver(m_folder.path());
    // This test holds the lock the way the running copy does.
    auto running = Platform::TFileLock::TryLock(PathOf("tmp.exe"));
    ASSERT_NE(running, nullptr);
    const pid_t start = Start(puzzle);
    QThread::msleep(KeepsRunningMs);
    EXPECT_TRUE(QFileInfo::exists(PathOf("tmp.exe")));
    EXPECT_EQ(ReadBytes(puzzle), m_oldImage);
    running.reset();
    EXPECT_TRUE(EndsCleanly(start));
    ExpectSaved(puzzle);
}

// The copy cannot write the puzzle: it says why, leaves the puzzle as it was and keeps
// "tmp.exe", whose save the next start tries again. (A read-only folder cannot be tried with a
// process: the copy would run from its relocated copy; the engine's tests cover it.)
TEST_F(HandoverFaults, AHandOverThatCannotWriteSaysWhyAndKeepsTheCopy)
{
    const QString media = PathOf("media");
    struct TCase {
        const char *name;
        std::function<void()> spoil;
        QByteArray reason;
    };
    std::unique_ptr<TmpfsMount> mount;
    const std::vector<TCase> cases = {
        {"target replaced by a folder",
         [&] {
             QFile::remove(media + "/tulips.exe");
             QDir().mkdir(media + "/tulips.exe");
         },
         "is a folder"},
        {"full filesystem", [] {}, "No space left on device"},
    };
    for (const TCase &fault : cases) {
        SCOPED_TRACE(fault.name);
        if (fault.reason != "is a folder" && !TmpfsMount::Available())
            GTEST_SKIP() << "cannot mount here";
        // Room for the puzzle and "tmp.exe", not for a third copy while the puzzle is rewritten.
        const qsizetype room = fault.reason == "No space left on device"
                                   ? 2 * m_savedImage.size() + m_savedImage.size() / 2
                                   : 8 * m_savedImage.size();
        mount.reset();
        mount = std::make_unique<TmpfsMount>(media, QByteArray::number(room));
        QFile::remove(m_errors);
        WritePuzzleAndHandOver(media);
        fault.spoil();
        const QByteArray before = ReadBytes(media + "/tulips.exe");
        Start(media + "/tmp.exe");
        EXPECT_TRUE(Says(fault.reason)) << ReadBytes(m_errors).constData();
        EXPECT_TRUE(QFileInfo::exists(media + "/tmp.exe"));
        EXPECT_EQ(ReadBytes(media + "/tulips.exe"), before);
        m_children = std::make_unique<ChildProcesses>(); // ends the copy and its message
    }
}

// The hand-over killed at moments chosen by what it has done to the folder: started, its
// application built, the puzzle's new file begun, the puzzle replaced, the puzzle restarted,
// "tmp.exe" deleted; each also a little later. After every kill the next start leaves the
// puzzle whole, executable and holding the new game that had reached "tmp.exe", and no
// temporary file of ours behind.
TEST_F(HandoverFaults, AHandOverKilledAtAnyMomentLosesNoGame)
{
    const QString puzzle = PathOf("tulips.exe");
    const QString handOver = PathOf("tmp.exe");
    // The file's inode: a new one once the puzzle has been replaced.
    const auto identity = [](const QString &path) {
        struct stat status {
        };
        return stat(QFile::encodeName(path).constData(), &status) == 0
                   ? static_cast<qint64>(status.st_ino)
                   : qint64{-1};
    };
    const auto replaced = [&](qint64 before) { return identity(puzzle) != before; };
    const auto done = [&] { return !QFileInfo::exists(handOver); };
    // Each event, or a later one when the hand-over went past it between two looks.
    const std::vector<std::pair<const char *, std::function<bool(pid_t, qint64)>>> events = {
        {"started", [](pid_t, qint64) { return true; }},
        {"application built",
         [&](pid_t pid, qint64) {
             return m_children->WaitUntilApplicationBuilt(pid, 0) || done();
         }},
        {"new puzzle file begun",
         [&](pid_t, qint64 before) {
             return !QDir(m_folder.path()).entryList({".tulips.exe.*"}, QDir::Hidden).isEmpty() ||
                    replaced(before);
         }},
        {"puzzle replaced", [&](pid_t, qint64 before) { return replaced(before) || done(); }},
        {"puzzle restarted",
         [&](pid_t, qint64) { return !m_children->Running(puzzle).empty() || done(); }},
        {"tmp.exe deleted", [&](pid_t, qint64) { return done(); }},
    };
    // Looks every millisecond: the puzzle's new file exists for a few only.
    const auto waitFor = [](const std::function<bool()> &event) {
        QElapsedTimer clock;
        clock.start();
        while (!event() && clock.elapsed() < EndsWithinMs)
            QThread::usleep(1000);
    };
    int moments = 0;
    for (const auto &[event, happened] : events) {
        for (int laterMs : {0, 20, 80, 200}) {
            SCOPED_TRACE(std::string(event) + " + " + std::to_string(laterMs) + " ms");
            WritePuzzleAndHandOver(m_folder.path());
            const qint64 before = identity(puzzle);
            const pid_t copy = Start(handOver);
            waitFor([&] { return happened(copy, before); });
            QThread::msleep(laterMs);
            m_children = std::make_unique<ChildProcesses>(); // kills the copy and what it started
            ++moments;

            const pid_t next = Start(puzzle);
            if (QFileInfo::exists(handOver))
                EXPECT_TRUE(EndsCleanly(next)) << "the next start";
            else
                EXPECT_TRUE(m_children->WaitUntilApplicationBuilt(next, EndsWithinMs));
            EXPECT_FALSE(QFileInfo::exists(handOver));
            EXPECT_EQ(QDir(m_folder.path()).entryList({".*"}, QDir::Hidden | QDir::Files),
                      QStringList())
                << "a temporary file outlives the next start";
            ExpectSaved(puzzle);
            m_children = std::make_unique<ChildProcesses>();
        }
    }
    EXPECT_GE(moments, 20);
}

// The maker's write killed right after its temporary file is made: the next start of a program
// in that folder removes the file, and the puzzle is either whole or absent.
TEST_F(HandoverFaults, AMakerKilledWhileWritingLeavesNothingAfterTheNextStart)
{
    ASSERT_TRUE(WriteExecutable(PathOf("maker.exe"), m_program));
    ASSERT_TRUE(WriteBytes(PathOf("picture.jpg"), SamplePictureBytes()));
    const auto hidden = [&] {
        return QDir(m_folder.path()).entryList({".*"}, QDir::Hidden | QDir::Files);
    };
    int caught = 0;
    for (int attempt = 0; attempt < 5; ++attempt) {
        const pid_t maker = m_children->Start(PathOf("maker.exe"),
                                              {"--make", PathOf("picture.jpg"), PathOf("made.exe")},
                                              ProgramEnvironment(m_folder.path()), m_errors);
        ASSERT_GT(maker, 0);
        QElapsedTimer clock;
        clock.start();
        while (hidden().isEmpty() && !QFileInfo::exists(PathOf("made.exe")) &&
               clock.elapsed() < EndsWithinMs)
            QThread::usleep(200);
        m_children = std::make_unique<ChildProcesses>();
        caught += hidden().isEmpty() ? 0 : 1;

        const pid_t next = Start(PathOf("maker.exe"));
        EXPECT_TRUE(m_children->WaitUntilApplicationBuilt(next, EndsWithinMs));
        m_children = std::make_unique<ChildProcesses>();
        EXPECT_EQ(hidden(), QStringList()) << "a temporary file outlives the next start";
        if (QFileInfo::exists(PathOf("made.exe"))) {
            EXPECT_EQ(ReadSection("IS_PUZZLE", ReadBytes(PathOf("made.exe"))), "Y");
        }
        QFile::remove(PathOf("made.exe"));
    }
    EXPECT_GT(caught, 0) << "no kill came while the temporary file existed";
}
