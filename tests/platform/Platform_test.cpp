// The platform layer against the real system: files, permissions, mounts, processes, events.
#include "platform/EndRequests.h"
#include "platform/Platform.h"
#include "support/ProcessSupport.h"
#include "support/TemporaryFolderTest.h"
#include "support/TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <gtest/gtest.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

constexpr int Deadline = 20000;

mode_t ModeOf(const QString &path)
{
    struct stat status {
    };
    stat(QFile::encodeName(path).constData(), &status);
    return status.st_mode & 07777;
}

void WriteFile(const QString &path, const QByteArray &bytes, mode_t mode = 0644)
{
    ASSERT_TRUE(WriteBytes(path, bytes)) << path.toStdString();
    chmod(QFile::encodeName(path).constData(), mode);
}

TEST(RunningProgram, PathAndHeaderAreThoseOfThisProgram)
{
    EXPECT_EQ(Platform::RunningExecutablePath(), QCoreApplication::applicationFilePath());

    // The header as mapped in memory is the header of the file.
    const QByteArray file = ReadBytes(Platform::RunningExecutablePath());
    ASSERT_GE(file.size(), 64);
    EXPECT_EQ(Platform::HeaderByte(1), 0x7F);
    EXPECT_EQ(Platform::HeaderByte(3), 'L');
    for (int n = 1; n <= 64; ++n)
        EXPECT_EQ(Platform::HeaderByte(n), static_cast<unsigned char>(file[n - 1])) << n;

    EXPECT_EQ(Platform::HeaderByte(0), 0);
    EXPECT_EQ(Platform::HeaderByte(-7), -7);
    EXPECT_EQ(Platform::HeaderByte(100000), 0);
}

TEST(ReadOnly, OwnerWritePermissionDecidesAndFlipsBothWays)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("program.exe"));
    EXPECT_FALSE(Platform::IsReadOnly(path)) << "a missing file is not read-only";
    EXPECT_FALSE(Platform::FlipReadOnly(path));

    WriteFile(path, "x", 0755);
    EXPECT_FALSE(Platform::IsReadOnly(path));
    ASSERT_TRUE(Platform::FlipReadOnly(path));
    EXPECT_TRUE(Platform::IsReadOnly(path));
    EXPECT_EQ(ModeOf(path), 0555u) << "only the owner's write permission changes";
    ASSERT_TRUE(Platform::FlipReadOnly(path));
    EXPECT_FALSE(Platform::IsReadOnly(path));
    EXPECT_EQ(ModeOf(path), 0755u);
}

TEST(ReadOnly, ReadOnlyFilesystemStaysReadOnly)
{
    if (!TmpfsMount::Available())
        GTEST_SKIP() << "cannot mount here";
    QTemporaryDir dir;
    const QString media = dir.filePath(QStringLiteral("media"));
    TmpfsMount mount(media);
    ASSERT_TRUE(mount.IsMounted());
    const QString path = media + QStringLiteral("/program.exe");
    WriteFile(path, "x", 0755);
    ASSERT_TRUE(mount.MakeReadOnly());

    EXPECT_TRUE(Platform::IsReadOnly(path)) << "owner may write, but the filesystem is read-only";
    EXPECT_FALSE(Platform::FlipReadOnly(path));
    EXPECT_TRUE(Platform::IsReadOnly(path));
    EXPECT_EQ(ModeOf(path), 0755u);
}

TEST(WriteExecutableFile, NewAndReplacedFilesAreExecutableWhereReadable)
{
    QTemporaryDir dir;
    const QString fresh = dir.filePath(QStringLiteral("fresh.exe"));
    Platform::WriteExecutableFile("new bytes", fresh);
    EXPECT_EQ(ReadBytes(fresh), "new bytes");
    EXPECT_TRUE(ModeOf(fresh) & S_IXUSR);

    const QString replaced = dir.filePath(QStringLiteral("replaced.exe"));
    WriteFile(replaced, "old bytes, longer than the new ones", 0640);
    Platform::WriteExecutableFile("new", replaced);
    EXPECT_EQ(ReadBytes(replaced), "new");
    EXPECT_EQ(ModeOf(replaced), 0750u);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2) << "no stray temporary file";
}

TEST(ReplaceFileKeepingPermissions, APuzzleFileThatWasNotExecutableStaysSo)
{
    QTemporaryDir dir;
    const QString puzzle = dir.filePath(QStringLiteral("received puzzle"));
    WriteFile(puzzle, "old bytes", 0640);
    Platform::ReplaceFileKeepingPermissions("new bytes", puzzle);
    EXPECT_EQ(ReadBytes(puzzle), "new bytes");
    EXPECT_EQ(ModeOf(puzzle), 0640u);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1) << "no stray temporary file";
}

// The start stage's word is taken once and leaves the environment; from then on the running
// executable is the puzzle file. Run in a child process: the state is process-wide.
TEST(StartStagePuzzleFile, IsTheRunningExecutableAndLeavesTheEnvironment)
{
    QTemporaryDir dir;
    const QString puzzle = dir.filePath(QStringLiteral("puzzle"));
    WriteFile(puzzle,
              QByteArray("\x7f"
                         "ELF puzzle bytes"),
              0644);
    EXPECT_EXIT(
        {
            qputenv("TESSALUNE_PUZZLE_FILE", QFile::encodeName(puzzle));
            const bool adopted = Platform::AdoptStartStagePuzzleFile();
            const bool ok = adopted && qgetenv("TESSALUNE_PUZZLE_FILE").isEmpty() &&
                            Platform::RunningExecutablePath() == puzzle &&
                            Platform::ReadRunningExecutable(qint64{1} << 30) == ReadBytes(puzzle) &&
                            Platform::HeaderByte(2) == 'E' &&
                            Platform::RunningProgramPath() != puzzle;
            std::exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_FALSE(Platform::StartedByStartStage());
}

TEST(WriteExecutableFile, ReplacesARunningProgram)
{
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("running.exe"));
    ASSERT_TRUE(QFile::copy(QStringLiteral("/bin/sleep"), program));
    ChildProcesses children;
    const pid_t pid =
        children.Start(program, {QStringLiteral("60")}, ProgramEnvironment(dir.path()));
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !children.Running(program).empty(); }, Deadline));

    // Opening a running program for writing fails on Linux (text file busy).
    Platform::WriteExecutableFile("replacement", program);
    EXPECT_EQ(ReadBytes(program), "replacement");
}

TEST(WriteExecutableFile, FailureNamesTheFileAndLeavesTheOldOneWhole)
{
    QTemporaryDir dir;
    const QString nowhere = dir.filePath(QStringLiteral("missing/folder/puzzle.exe"));
    try {
        Platform::WriteExecutableFile("bytes", nowhere);
        FAIL() << "no error for a folder that does not exist";
    } catch (const std::runtime_error &error) {
        EXPECT_TRUE(QString::fromUtf8(error.what()).contains(nowhere)) << error.what();
    }

    if (!TmpfsMount::Available())
        GTEST_SKIP() << "cannot mount a small filesystem here";
    const QString small = dir.filePath(QStringLiteral("small"));
    TmpfsMount mount(small, "64k");
    ASSERT_TRUE(mount.IsMounted());
    const QString target = small + QStringLiteral("/puzzle.exe");
    const QByteArray old(20000, 'o');
    WriteFile(target, old, 0755);
    try {
        Platform::WriteExecutableFile(QByteArray(1 << 20, 'n'), target);
        FAIL() << "no error for a full filesystem";
    } catch (const std::runtime_error &error) {
        EXPECT_TRUE(QString::fromUtf8(error.what()).contains("No space left on device"))
            << error.what();
    }
    EXPECT_EQ(ReadBytes(target), old);
    EXPECT_EQ(QDir(small).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("puzzle.exe")});
}

TEST(WriteExecutableFile, AFolderInTheWayIsNamedAsSuch)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("puzzle.exe"));
    ASSERT_TRUE(QDir().mkdir(folder));
    try {
        Platform::WriteExecutableFile("bytes", folder);
        FAIL() << "no error for a folder";
    } catch (const std::runtime_error &error) {
        EXPECT_TRUE(QString::fromUtf8(error.what()).contains(folder + "\" is a folder"))
            << error.what();
    }
    EXPECT_TRUE(QFileInfo(folder).isDir());
}

TEST(FileLock, OneHolderAtATimeUntilItLetsGo)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tmp.exe"));
    EXPECT_EQ(Platform::TFileLock::TryLock(path), nullptr) << "no file, no lock";
    WriteFile(path, "x", 0755);
    auto held = Platform::TFileLock::TryLock(path);
    ASSERT_NE(held, nullptr);
    EXPECT_TRUE(held->StillAt(path));
    EXPECT_EQ(Platform::TFileLock::TryLock(path), nullptr) << "held already";
    held.reset();
    held = Platform::TFileLock::TryLock(path);
    ASSERT_NE(held, nullptr);
    Platform::WriteExecutableFile("replaced", path);
    EXPECT_FALSE(held->StillAt(path)) << "the name stands for another file now";
    QFile::remove(path);
    EXPECT_FALSE(held->StillAt(path));
}

class StartProgramTest : public TTemporaryFolderTest
{
protected:
    void SetUp() override
    {
        TTemporaryFolderTest::SetUp();
        // Writes its parameter count and first parameter, then renames, so a reader sees all.
        WriteFile(PathOf(QStringLiteral("report.sh")),
                  "#!/bin/sh\nprintf '%s:%s' \"$#\" \"$1\" > \"$(dirname \"$0\")/out.tmp\"\n"
                  "mv \"$(dirname \"$0\")/out.tmp\" \"$(dirname \"$0\")/out\"\n",
                  0755);
        ASSERT_TRUE(Platform::SetWorkingFolder(m_folder.path()));
    }

    QByteArray Report()
    {
        const QString out = PathOf(QStringLiteral("out"));
        EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(out); }, Deadline)) << "no report";
        return ReadBytes(out);
    }

    ChildProcesses m_children;
};

TEST_F(StartProgramTest, StartsTheFileInTheWorkingFolderWithOneParameter)
{
    EXPECT_EQ(Platform::WorkingFolder(), QDir(m_folder.path()).canonicalPath());
    // A bare name means the file here, not a program found on PATH.
    Platform::StartProgram(QStringLiteral("report.sh"), QStringLiteral("two words"));
    EXPECT_EQ(Report(), "1:two words");
}

TEST_F(StartProgramTest, EmptyParameterPassesNone)
{
    Platform::StartProgram(PathOf(QStringLiteral("report.sh")));
    EXPECT_EQ(Report(), "0:");
}

TEST_F(StartProgramTest, MissingProgramIsReported)
{
    try {
        Platform::StartProgram(QStringLiteral("no-such-program"));
        FAIL() << "a missing program was reported as started";
    } catch (const std::runtime_error &error) {
        EXPECT_TRUE(QString(error.what()).contains(QStringLiteral("Cannot start"))) << error.what();
    }
}

TEST(Delay, WaitsAtLeastTheTimeWhileEventsRun)
{
    bool timerRan = false;
    QTimer::singleShot(5, [&] { timerRan = true; });
    QElapsedTimer clock;
    clock.start();
    Platform::Delay(60);
    EXPECT_GE(clock.elapsed(), 60);
    EXPECT_TRUE(timerRan);
}

// Runs the event loop; a stuck loop is ended with a distinct code instead of hanging the test.
int RunLoopWithFallback()
{
    QTimer fallback;
    fallback.setSingleShot(true);
    QObject::connect(&fallback, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    fallback.start(Deadline);
    return QCoreApplication::exec();
}

TEST(QuitRequest, EndsTheRunningLoop)
{
    Platform::RequestQuit();
    EXPECT_EQ(RunLoopWithFallback(), 0);
}

TEST(QuitRequest, SurvivesEventsProcessedBeforeTheLoopRuns)
{
    Platform::RequestQuit();
    Platform::Delay(40);
    EXPECT_EQ(RunLoopWithFallback(), 0);
}

} // namespace

TEST(StaleTemporaryFiles, OnlyThoseOfEndedWritersGo)
{
    QProcess ended;
    ended.start(QStringLiteral("/bin/true"));
    ASSERT_TRUE(ended.waitForStarted());
    const qint64 endedPid = ended.processId();
    ASSERT_TRUE(ended.waitForFinished());
    QTemporaryDir dir;
    const QString stale = QStringLiteral(".tulips.exe.%1.0").arg(endedPid);
    const QStringList kept = {QStringLiteral(".tulips.exe.%1.3").arg(getpid()),
                              QStringLiteral(".tulips.exe.%1").arg(endedPid),
                              QStringLiteral("tulips.exe.%1.0").arg(endedPid),
                              QStringLiteral("tmp.exe"), QStringLiteral("temp0a0.exe")};
    for (const QString &name : kept + QStringList{stale})
        WriteFile(dir.filePath(name), "bytes");
    Platform::RemoveStaleTemporaryFiles(dir.path());
    QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    QStringList expected = kept;
    left.sort();
    expected.sort();
    EXPECT_EQ(left, expected);
}

TEST(ReadFileWithin, AFileOverTheLimitIsRefusedBeforeItIsRead)
{
    constexpr qint64 MiB = qint64{1} << 20;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("puzzle.exe"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(MiB)); // sparse: no disk taken
    file.close();
    EXPECT_EQ(Platform::ReadFileWithin(path, MiB), QByteArray(MiB, '\0'));
    ASSERT_TRUE(file.resize(64 * 1024 * MiB)); // 64 GiB: reading it would exhaust the machine
    try {
        Platform::ReadFileWithin(path, MiB);
        ADD_FAILURE() << "no refusal";
    } catch (const std::runtime_error &error) {
        EXPECT_EQ(QString::fromUtf8(error.what()),
                  QStringLiteral("Cannot read file \"%1\". It holds 65536 MiB, more than the 1 "
                                 "MiB the program may take.")
                      .arg(path));
    }
}

TEST(EndRequests, SignalsToEndArriveOnTheMainThreadInTurn)
{
    TEndRequests requests;
    QSignalSpy spy(&requests, &TEndRequests::EndRequested);
    for (const int signalNumber : {SIGTERM, SIGHUP, SIGINT}) {
        ASSERT_EQ(raise(signalNumber), 0);
        ASSERT_TRUE(spy.wait(5000));
        EXPECT_EQ(spy.takeFirst().at(0).toInt(), signalNumber);
    }
}
