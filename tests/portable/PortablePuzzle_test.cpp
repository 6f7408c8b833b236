// Portable puzzles as a person who was sent one starts them: in a root that holds nothing but
// the host libraries the bundle leaves out (copied from this machine with the loader, and /proc),
// or in a bare Debian 11 made once with debootstrap and kept in /var/cache/tessalune-test-roots,
// entered with chroot as an ordinary user and shown on a virtual X server; and on this machine
// for the cache folder's faults. The test needs root, Xvfb and xdotool, and fails without them.
#include "engine/container/ExecutablePayload.h"
#include "engine/container/PuzzleFile.h"
#include "engine/container/PuzzleSchema.h"
#include "support/ProcessSupport.h"
#include "support/TemporaryFolderTest.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <optional>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace PuzzleSchema;

namespace
{

constexpr int UserId = 1000;
constexpr int EndsWithinMs = 60000;

constexpr char TestRoots[] = "/var/cache/tessalune-test-roots";

QStringList HostLibraries()
{
    QStringList names;
    for (const QByteArray &line : ReadBytes(TESSALUNE_HOST_LIBRARIES).split('\n'))
        if (!line.isEmpty() && !line.startsWith('#'))
            names << QString::fromUtf8(line);
    return names;
}

// Waits for the process and returns its exit code, or -1 when it did not end by itself.
int ExitCodeOf(QProcess &process)
{
    if (!process.waitForFinished(EndsWithinMs) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    return process.exitCode();
}

QStringList RuntimeFolders(const QString &cache)
{
    return QDir(cache + "/tessalune")
        .entryList({"runtime-*", ".unpacking-*", ".damaged-*"},
                   QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

class PortablePuzzle : public TTemporaryFolderTest
{
protected:
    void SetUp() override
    {
        TTemporaryFolderTest::SetUp();
        ASSERT_EQ(geteuid(), 0u) << "these tests build a root to chroot into: run them as root";
        for (const char *tool : {"Xvfb", "xdotool", "chroot"})
            ASSERT_FALSE(QStandardPaths::findExecutable(tool, {"/usr/bin", "/usr/sbin"}).isEmpty())
                << tool << " is missing (scripts/tessalune.sh installs it)";
        m_puzzle = PathOf("moon");
        QProcess maker;
        maker.start(TESSALUNE_EXE,
                    {"--make", QString(TESSALUNE_FIXTURES) + "/moonlit_hills_280x210.jpg", m_puzzle,
                     "--portable", "--name", "Moon", "--seed", "7"});
        ASSERT_EQ(ExitCodeOf(maker), 0) << maker.readAllStandardError().toStdString();
    }

    void TearDown() override
    {
        for (auto &process : m_processes) {
            process->kill();
            process->waitForFinished();
        }
        if (m_xServer.state() != QProcess::NotRunning) {
            m_xServer.kill();
            m_xServer.waitForFinished();
        }
        if (!m_procMount.isEmpty())
            umount2(QFile::encodeName(m_procMount).constData(), MNT_DETACH);
        TTemporaryFolderTest::TearDown();
    }

    // The puzzle started on this machine with its cache in `cache`.
    QProcess &StartHere(const QString &cache, const QStringList &arguments)
    {
        QProcessEnvironment environment;
        environment.insert("HOME", PathOf("home"));
        environment.insert("XDG_CACHE_HOME", cache);
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        return Start(m_puzzle, arguments, environment);
    }

    // With an error file the output goes to files, not pipes: a program the started one starts
    // in its turn (the hand-over's restarted puzzle) keeps writing after it has ended, and a
    // pipe closed by then would end it.
    QProcess &Start(const QString &program, const QStringList &arguments,
                    const QProcessEnvironment &environment, const QString &errorFile = QString())
    {
        m_processes.push_back(std::make_unique<QProcess>());
        QProcess &process = *m_processes.back();
        process.setProcessEnvironment(environment);
        if (!errorFile.isEmpty()) {
            process.setStandardOutputFile(QProcess::nullDevice());
            process.setStandardErrorFile(errorFile, QIODevice::Append);
        }
        process.start(program, arguments);
        EXPECT_TRUE(process.waitForStarted());
        return process;
    }

    // A root with the loader and the host libraries of this machine but `leftOut`, /proc, an
    // ordinary user's home holding the puzzle, and a virtual X server it can reach through its
    // abstract socket.
    void BuildMinimalRoot(const QString &leftOut = QString())
    {
        m_root = PathOf("root");
        const QString libraries = m_root + "/lib/x86_64-linux-gnu";
        ASSERT_TRUE(QDir().mkpath(libraries));
        for (const QString &name : HostLibraries()) {
            if (name == leftOut)
                continue;
            const QString installed =
                QFileInfo("/lib/x86_64-linux-gnu/" + name).canonicalFilePath();
            ASSERT_FALSE(installed.isEmpty()) << name.toStdString() << " is not installed here";
            ASSERT_TRUE(QFile::copy(installed, libraries + "/" + name));
        }
        ASSERT_TRUE(QDir().mkpath(m_root + "/lib64"));
        ASSERT_TRUE(QFile::link("../lib/x86_64-linux-gnu/ld-linux-x86-64.so.2",
                                m_root + "/lib64/ld-linux-x86-64.so.2"));
        ASSERT_TRUE(QDir().mkpath(m_root + "/proc"));
        ASSERT_TRUE(QDir().mkpath(m_root + "/home/u"));
        ASSERT_TRUE(QDir().mkpath(m_root + "/tmp"));
        ASSERT_TRUE(QFile::setPermissions(m_root + "/tmp", QFile::Permissions(0x7777)));
        EnterRoot();
    }

    // The bare Debian system `name` of release `suite`, made on the first run (a few minutes)
    // and reused after; its user's home is emptied so that each run starts as the first.
    void UseDebianRoot(const QString &suite, const QString &name)
    {
        m_root = QString(TestRoots) + "/" + name;
        QProcess making;
        making.setProcessChannelMode(QProcess::ForwardedOutputChannel);
        making.start(QString(TESSALUNE_SOURCE) + "/tests/portable/make_test_root.sh",
                     {suite, TESSALUNE_HOST_PACKAGES, m_root});
        ASSERT_TRUE(making.waitForFinished(900000));
        ASSERT_NE(making.exitCode(), 3) << "no Debian mirror serves " << suite.toStdString()
                                        << " any more, so this test cannot run: "
                                        << making.readAllStandardError().toStdString();
        ASSERT_EQ(making.exitCode(), 0) << making.readAllStandardError().toStdString();
        ASSERT_TRUE(QDir(m_root + "/home/u").removeRecursively());
        ASSERT_TRUE(QDir().mkpath(m_root + "/home/u"));
        EnterRoot();
    }

    // Mounts the root's /proc, gives its user the puzzle and starts the X server.
    void EnterRoot()
    {
        m_procMount = m_root + "/proc";
        ASSERT_TRUE(TmpfsMount::Available());
        ASSERT_EQ(mount("proc", QFile::encodeName(m_procMount).constData(), "proc", 0, nullptr), 0);
        ASSERT_TRUE(QFile::copy(m_puzzle, m_root + "/home/u/moon"));
        for (const QString &path : {m_root + "/home/u", m_root + "/home/u/moon"})
            ASSERT_EQ(chown(QFile::encodeName(path).constData(), UserId, UserId), 0);
        StartXServer();
    }

    // With -noreset, as a desktop's X server that always has clients: one that resets when its
    // last client leaves drops whoever connects meanwhile (here, xdotool comes and goes).
    void StartXServer()
    {
        m_xServer.start("Xvfb", {"-displayfd", "1", "-nolisten", "tcp", "-noreset", "-screen", "0",
                                 "1280x1024x24"});
        ASSERT_TRUE(m_xServer.waitForReadyRead(20000)) << "Xvfb did not start";
        m_display = ":" + QString::fromLatin1(m_xServer.readAllStandardOutput().trimmed());
    }

    // A program of the root started in it as the ordinary user, with HOME set unless told not.
    QProcess &StartInRoot(const QString &program, const QStringList &arguments = {},
                          bool withHome = true)
    {
        QProcessEnvironment environment;
        if (withHome)
            environment.insert("HOME", "/home/u");
        environment.insert("DISPLAY", m_display);
        return Start("chroot", QStringList{"--userspec=1000:1000", m_root, program} + arguments,
                     environment, PathOf("root errors"));
    }

    std::string RootErrors() { return ReadBytes(PathOf("root errors")).toStdString(); }

    // Runs xdotool on the test's X server; its output, or nothing when it failed.
    std::optional<QString> XDoTool(const QStringList &arguments)
    {
        QProcess tool;
        QProcessEnvironment environment;
        environment.insert("DISPLAY", m_display);
        tool.setProcessEnvironment(environment);
        tool.start("timeout", QStringList{"30", "xdotool"} + arguments);
        if (ExitCodeOf(tool) != 0)
            return std::nullopt;
        return QString::fromLatin1(tool.readAllStandardOutput()).trimmed();
    }

    // The visible window whose name matches, once it shows within 30 seconds. Searched again
    // and again rather than with --sync: xdotool gives up on a search when a window it walks
    // through goes away meanwhile, as the short-lived windows of a restarted puzzle do.
    std::optional<QString> WindowNamed(const QString &name)
    {
        std::optional<QString> window;
        (void)QTest::qWaitFor(
            [&] {
                window = XDoTool({"search", "--onlyvisible", "--name", name});
                return window.has_value();
            },
            30000);
        return window;
    }

    bool WindowShows(const QString &name) { return WindowNamed(name).has_value(); }

    // The game on the root: exports its pieces from the command line, shows its window, takes
    // the hand-over of a changed game as the player writes it, and plays the saved game when
    // started again. HOME is left unset for the first two starts when told: the stage reads the
    // home folder from the root's user database and passes it on.
    void PlayExportAndSave(bool withHome)
    {
        QProcess &exporting = StartInRoot(
            "/home/u/moon", {"--export-pieces", "/home/u/moon", "/home/u/pieces"}, withHome);
        ASSERT_EQ(ExitCodeOf(exporting), 0) << RootErrors();
        EXPECT_EQ(QDir(m_root + "/home/u/pieces").entryList({"*.png"}).size(), 49);
        EXPECT_EQ(RuntimeFolders(m_root + "/home/u/.cache").size(), 1);

        QProcess &game = StartInRoot("/home/u/moon", {}, withHome);
        EXPECT_TRUE(WindowShows("Moon")) << RootErrors();
        // The carried libraries are found through the program's own search path: nothing the
        // game starts inherits a library path.
        const QByteArray environment = ReadBytes(QString("/proc/%1/environ").arg(game.processId()));
        EXPECT_TRUE(environment.contains("HOME=/home/u"));
        EXPECT_FALSE(environment.contains("LD_LIBRARY_PATH"));
        game.kill();
        game.waitForFinished();

        const QString home = m_root + "/home/u";
        QByteArray handOver = ReadBytes(home + "/moon");
        const QByteArray savedGame =
            ReadSection(SectionDocument, handOver).replace("\"Moon\"", "\"Moon saved\"");
        RemoveSection(SectionDocument, handOver);
        AppendSection(SectionDocument, savedGame, handOver);
        AppendSection(SectionFileName, "moon", handOver);
        ASSERT_TRUE(WriteExecutable(home + "/tmp.exe", handOver));
        ASSERT_EQ(chown(QFile::encodeName(home + "/tmp.exe").constData(), UserId, UserId), 0);
        StartInRoot("/home/u/tmp.exe");
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                return !QFileInfo::exists(home + "/tmp.exe") &&
                       ReadSection(SectionDocument, ReadBytes(home + "/moon")) == savedGame;
            },
            EndsWithinMs))
            << RootErrors();
        const QByteArray saved = ReadBytes(home + "/moon");
        EXPECT_TRUE(IsPortableImage(saved));
        EXPECT_TRUE(ReadSection(SectionFileName, saved).isEmpty());
        // The restarted puzzle cleaned up and ended; started again, it plays the saved game.
        StartInRoot("/home/u/moon");
        EXPECT_TRUE(WindowShows("Moon saved")) << RootErrors();
    }

    QString m_puzzle;
    QString m_root;
    QString m_procMount;
    QString m_display;
    QProcess m_xServer;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

TEST_F(PortablePuzzle, PlaysExportsAndSavesWhereOnlyTheHostLibrariesAre)
{
    BuildMinimalRoot();
    PlayExportAndSave(true);
    // This machine's C library is new enough: the program is started with it.
    EXPECT_FALSE(QFileInfo::exists(m_root + "/home/u/.cache/tessalune/" +
                                   RuntimeFolders(m_root + "/home/u/.cache").value(0) +
                                   "/older-host/tessalune"));
}

// Debian 11's glibc 2.31, libstdc++ and FreeType 2.10 are older than the runtime needs: the
// stage starts the program with the loader and libraries it carries for such systems.
TEST_F(PortablePuzzle, PlaysExportsAndSavesOnBareDebian11)
{
    UseDebianRoot("bullseye", "debian-11");
    PlayExportAndSave(false);
    EXPECT_TRUE(QFileInfo(m_root + "/home/u/.cache/tessalune/" +
                          RuntimeFolders(m_root + "/home/u/.cache").value(0) +
                          "/older-host/tessalune")
                    .isExecutable());
}

// Without libOpenGL.so.0 the stage says which package brings it, in its own window and on the
// terminal, before it unpacks anything; OK ends it.
TEST_F(PortablePuzzle, MissingHostLibraryIsShownBeforeUnpacking)
{
    BuildMinimalRoot("libOpenGL.so.0");
    QProcess &start = StartInRoot("/home/u/moon");
    const std::optional<QString> window = WindowNamed("^Tessalune$");
    ASSERT_TRUE(window) << RootErrors();
    EXPECT_TRUE(QDir(m_root + "/home/u/.cache").isEmpty());
    const std::optional<QString> geometry = XDoTool({"getwindowgeometry", "--shell", *window});
    ASSERT_TRUE(geometry);
    const QString width = geometry->section("WIDTH=", 1).section('\n', 0, 0);
    const QString height = geometry->section("HEIGHT=", 1).section('\n', 0, 0);
    // The OK button is centred at the bottom.
    ASSERT_TRUE(XDoTool({"mousemove", "--window", *window, QString::number(width.toInt() / 2),
                         QString::number(height.toInt() - 34), "click", "1"}));
    EXPECT_EQ(ExitCodeOf(start), 1);
    EXPECT_TRUE(QString::fromStdString(RootErrors()).contains("libOpenGL.so.0")) << RootErrors();
    EXPECT_TRUE(QString::fromStdString(RootErrors()).contains("package libopengl0"))
        << RootErrors();
}

TEST_F(PortablePuzzle, TwoFirstStartsAtOnceShareOneRuntime)
{
    const QString cache = PathOf("cache");
    QProcess &first = StartHere(cache, {"--export-pieces", m_puzzle, PathOf("first")});
    QProcess &second = StartHere(cache, {"--export-pieces", m_puzzle, PathOf("second")});
    EXPECT_EQ(ExitCodeOf(first), 0) << first.readAllStandardError().toStdString();
    EXPECT_EQ(ExitCodeOf(second), 0) << second.readAllStandardError().toStdString();
    EXPECT_EQ(RuntimeFolders(cache).size(), 1) << RuntimeFolders(cache).join(' ').toStdString();
    EXPECT_EQ(QFileInfo(cache + "/tessalune").permissions() & 0x0077, 0);
}

TEST_F(PortablePuzzle, DamagedRuntimeIsUnpackedAgain)
{
    const QString cache = PathOf("cache");
    // What a start killed while unpacking leaves (no process has this id) goes too.
    const QString killedStart = cache + "/tessalune/.unpacking-2147483646";
    ASSERT_TRUE(QDir().mkpath(killedStart + "/lib"));
    ASSERT_EQ(ExitCodeOf(StartHere(cache, {"--version"})), 0);
    const QString runtime = cache + "/tessalune/" + RuntimeFolders(cache).value(0);
    QFile library(runtime + "/lib/libQt6Core.so.6");
    const qint64 size = library.size();
    ASSERT_GT(size, 0);
    ASSERT_TRUE(library.resize(size / 2));

    QProcess &again = StartHere(cache, {"--export-pieces", m_puzzle, PathOf("pieces")});
    EXPECT_EQ(ExitCodeOf(again), 0) << again.readAllStandardError().toStdString();
    EXPECT_EQ(QFileInfo(runtime + "/lib/libQt6Core.so.6").size(), size);
    EXPECT_EQ(RuntimeFolders(cache), QStringList{QFileInfo(runtime).fileName()});
}

// A runtime whose bytes changed on the way is refused before anything is unpacked.
TEST_F(PortablePuzzle, DamagedPuzzleFileIsRefused)
{
    QByteArray bytes = ReadBytes(m_puzzle);
    const qsizetype runtimeMiddle = bytes.indexOf("SO!#IS_PUZZLE") / 2;
    ASSERT_GT(runtimeMiddle, 0);
    bytes[runtimeMiddle] = char(bytes[runtimeMiddle] ^ 0x40);
    ASSERT_TRUE(WriteExecutable(m_puzzle, bytes));
    const QString cache = PathOf("cache");
    QProcess &start = StartHere(cache, {"--version"});
    EXPECT_EQ(ExitCodeOf(start), 1);
    const QString message = QString::fromLocal8Bit(start.readAllStandardError());
    EXPECT_TRUE(message.contains("is damaged")) << message.toStdString();
    EXPECT_TRUE(RuntimeFolders(cache).isEmpty());
}

TEST_F(PortablePuzzle, FullCacheFoldersAreToldNotSilent)
{
    const QString cache = PathOf("cache");
    const TmpfsMount full(cache, "1m");
    const TmpfsMount fullHome(PathOf("home"), "1m");
    ASSERT_TRUE(full.IsMounted() && fullHome.IsMounted());
    QProcess &start = StartHere(cache, {"--version"});
    EXPECT_EQ(ExitCodeOf(start), 1);
    const QString message = QString::fromLocal8Bit(start.readAllStandardError());
    EXPECT_TRUE(message.contains("No space left on device")) << message.toStdString();
    EXPECT_TRUE(message.contains("MB of free space")) << message.toStdString();
    EXPECT_TRUE(RuntimeFolders(cache).isEmpty()) << "a half runtime was left behind";
}

TEST_F(PortablePuzzle, UnreachableDisplayIsToldBeforeUnpacking)
{
    QProcessEnvironment environment;
    environment.insert("HOME", PathOf("home"));
    environment.insert("DISPLAY", ":64999");
    QProcess &start = Start(m_puzzle, {}, environment);
    EXPECT_EQ(ExitCodeOf(start), 1);
    const QString message = QString::fromLocal8Bit(start.readAllStandardError());
    EXPECT_TRUE(message.contains("cannot reach a display")) << message.toStdString();
    EXPECT_TRUE(RuntimeFolders(PathOf("home/.cache")).isEmpty());
}

// A cache folder that allows no programs is passed over for the next folder of the user's.
TEST_F(PortablePuzzle, NoExecCacheFallsBackToTheHomeFolder)
{
    const QString cache = PathOf("cache");
    TmpfsMount noExec(cache);
    ASSERT_TRUE(noExec.MakeNoExec());
    ASSERT_EQ(ExitCodeOf(StartHere(cache, {"--version"})), 0);
    EXPECT_TRUE(RuntimeFolders(cache).isEmpty());
    EXPECT_EQ(RuntimeFolders(PathOf("home/.cache")).size(), 1);
}

// When no folder will do, the stage says why for each, in its window too; closing it ends it.
TEST_F(PortablePuzzle, ReadOnlyFoldersAreToldInAWindow)
{
    TmpfsMount cache(PathOf("cache")), home(PathOf("home"));
    ASSERT_TRUE(cache.MakeReadOnly() && home.MakeReadOnly());
    StartXServer();
    QProcessEnvironment environment;
    environment.insert("HOME", PathOf("home"));
    environment.insert("XDG_CACHE_HOME", PathOf("cache"));
    environment.insert("DISPLAY", m_display);
    QProcess &start = Start(m_puzzle, {}, environment);
    const std::optional<QString> window = WindowNamed("^Tessalune$");
    ASSERT_TRUE(window) << start.state() << " "
                        << QString::fromLocal8Bit(start.readAllStandardError()).toStdString();
    ASSERT_TRUE(XDoTool({"windowclose", *window}));
    EXPECT_EQ(ExitCodeOf(start), 1);
    const QString message = QString::fromLocal8Bit(start.readAllStandardError());
    EXPECT_EQ(message.count("Read-only file system"), 3) << message.toStdString();
    EXPECT_TRUE(RuntimeFolders(PathOf("cache")).isEmpty());
}

// Runtimes no start used for 30 days go when a puzzle starts, but not one a running puzzle holds.
TEST_F(PortablePuzzle, OldUnusedRuntimesAreRemovedButNotOneInUse)
{
    const QString cache = PathOf("cache");
    const QString folder = cache + "/tessalune/";
    const timespec old[2] = {{0, UTIME_OMIT}, {time(nullptr) - 31 * 24 * 3600, 0}};
    for (const char *name : {"runtime-old", "runtime-held", "runtime-recent"}) {
        ASSERT_TRUE(QDir().mkpath(folder + name + "/lib"));
        ASSERT_TRUE(WriteBytes(folder + name + "/.complete", "1 tessalune\n"));
        if (QByteArray(name) != "runtime-recent") {
            ASSERT_EQ(utimensat(AT_FDCWD,
                                QFile::encodeName(folder + name + "/.complete").constData(), old,
                                0),
                      0);
        }
    }
    const int held =
        open(QFile::encodeName(folder + "runtime-held/.complete").constData(), O_RDONLY);
    ASSERT_EQ(flock(held, LOCK_SH), 0);
    ASSERT_EQ(ExitCodeOf(StartHere(cache, {"--version"})), 0);
    close(held);
    const QStringList left = RuntimeFolders(cache);
    EXPECT_FALSE(left.contains("runtime-old"));
    EXPECT_TRUE(left.contains("runtime-held"));
    EXPECT_TRUE(left.contains("runtime-recent"));
    EXPECT_EQ(left.size(), 3) << left.join(' ').toStdString(); // and the one just unpacked
}
