#include "platform/Platform.h"

#include "platform/PortableRuntime.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <link.h>
#include <signal.h>
#include <stdexcept>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <thread>
#include <unistd.h>

namespace Platform
{

namespace
{

bool earlyQuitRequested = false;

// The puzzle file named by a portable puzzle's start stage; empty for any other start.
QString &StartStagePuzzleFile()
{
    static QString path;
    return path;
}

enum class TPermissions { Executable, Kept, Private };

// A quit handled while no event loop runs (inside a Delay before exec(), say) would be lost;
// it is tried again shortly until a loop is there to end.
void QuitWhenLoopRuns()
{
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(0);
    else
        QTimer::singleShot(10, QCoreApplication::instance(), &QuitWhenLoopRuns);
}

void PostQuit()
{
    QTimer::singleShot(0, QCoreApplication::instance(), &QuitWhenLoopRuns);
}

bool OwnerMayWrite(const struct stat &status)
{
    return (status.st_mode & S_IWUSR) != 0;
}

bool OnReadOnlyFilesystem(const QString &path)
{
    struct statvfs filesystem {
    };
    return statvfs(QFile::encodeName(path).constData(), &filesystem) == 0 &&
           (filesystem.f_flag & ST_RDONLY) != 0;
}

// Execute permission wherever read permission is granted, as `chmod +X` would for a program.
mode_t ExecutableWhereReadable(mode_t mode)
{
    return mode | ((mode & 0444) >> 2);
}

// The system's text for the error number, as the user should read it.
QString SystemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// A name beside `path` that no other writer in this or another process uses.
QByteArray TemporaryNameBeside(const QString &path)
{
    static std::atomic<int> counter{0};
    const QFileInfo file(path);
    return QFile::encodeName(file.dir().filePath(
        QStringLiteral(".%1.%2.%3").arg(file.fileName()).arg(getpid()).arg(counter++)));
}

bool WriteAll(int descriptor, const QByteArray &bytes)
{
    const char *next = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = write(descriptor, next, static_cast<std::size_t>(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        next += written;
        left -= written;
    }
    return true;
}

// The new file's permissions: an existing file's, else what the umask leaves of rwxrwxrwx
// (given at creation); for an executable, execute permission added wherever reading is allowed.
bool SetPermissions(int descriptor, const QByteArray &target, TPermissions permissions)
{
    struct stat status {
    };
    if (stat(target.constData(), &status) != 0 && fstat(descriptor, &status) != 0)
        return false;
    const mode_t mode = status.st_mode & 07777;
    return fchmod(descriptor, permissions == TPermissions::Executable
                                  ? ExecutableWhereReadable(mode)
                              : permissions == TPermissions::Private ? S_IRUSR | S_IWUSR
                                                                     : mode) == 0;
}

// Makes a rename done in the folder survive a power cut. Returns 0 or the error number; a
// filesystem that cannot sync folders (EINVAL) has nothing more to make durable.
int SyncFolder(const QString &folder)
{
    const int descriptor =
        open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return errno;
    const int error = fsync(descriptor) == 0 ? 0 : errno;
    close(descriptor);
    return error == EINVAL ? 0 : error;
}

void WriteBesideAndRename(const QByteArray &bytes, const QString &path, TPermissions permissions)
{
    if (QFileInfo(path).isDir())
        throw std::runtime_error(
            QStringLiteral("\"%1\" is a folder").arg(QDir::toNativeSeparators(path)).toStdString());
    const QByteArray target = QFile::encodeName(path);
    const QByteArray temporary = TemporaryNameBeside(path);
    const int descriptor =
        open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0777);
    if (descriptor < 0)
        throw FileError("create file", path, SystemReason(errno));
    // Synced before the rename, so that the name never stands for a file still being written.
    const bool written = WriteAll(descriptor, bytes) &&
                         SetPermissions(descriptor, target, permissions) && fsync(descriptor) == 0;
    const int writeError = errno;
    const bool closed = close(descriptor) == 0;
    if (!written || !closed || rename(temporary.constData(), target.constData()) != 0) {
        const int error = !written ? writeError : errno;
        unlink(temporary.constData());
        throw FileError("write file", path, SystemReason(error));
    }
    // Until its folder is synced the rename may be undone by a power cut, so success waits.
    if (const int error = SyncFolder(QFileInfo(path).absolutePath()))
        throw FileError("write file", path, SystemReason(error));
}

// The process that wrote a hidden temporary file, from its name ".NAME.PID.N"; 0 when the name
// is not one of ours.
pid_t WriterOfTemporaryFile(const QString &name)
{
    static const QRegularExpression pattern(QStringLiteral("^\\..+\\.([0-9]{1,9})\\.[0-9]{1,9}$"));
    const QRegularExpressionMatch match = pattern.match(name);
    return match.hasMatch() ? static_cast<pid_t>(match.captured(1).toInt()) : 0;
}

bool ProcessIsGone(pid_t pid)
{
    return kill(pid, 0) != 0 && errno == ESRCH;
}

// Reading in chunks never asks for more memory than the limit and one chunk.
constexpr qint64 ReadChunkBytes = qint64{1} << 20;

std::runtime_error TooLarge(const QString &shownPath, qint64 bytes, qint64 maxBytes)
{
    constexpr qint64 MiB = qint64{1} << 20;
    return FileError("read file", shownPath,
                     QStringLiteral("It holds %1 MiB, more than the %2 MiB the program may take.")
                         .arg((bytes + MiB - 1) / MiB)
                         .arg(maxBytes / MiB));
}

// The file at `path`; errors name `shownPath`, the name the user knows it by. Its size is checked
// before memory is taken for it, and what is read is checked again in case the file grew meanwhile.
QByteArray ReadWholeFile(const QString &path, const QString &shownPath, qint64 maxBytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError("open file", shownPath, file.errorString());
    if (file.size() > maxBytes)
        throw TooLarge(shownPath, file.size(), maxBytes);
    QByteArray bytes;
    bytes.reserve(file.size());
    for (QByteArray chunk = file.read(ReadChunkBytes); !chunk.isEmpty();
         chunk = file.read(ReadChunkBytes)) {
        bytes += chunk;
        if (bytes.size() > maxBytes)
            throw TooLarge(shownPath, bytes.size(), maxBytes);
    }
    if (file.error() != QFileDevice::NoError)
        throw FileError("read file", shownPath, file.errorString());
    return bytes;
}

// The ELF header lies at the start of the program's first loadable segment: the one mapped
// from file offset 0. The first object dl_iterate_phdr reports is the program itself.
const ElfW(Ehdr) * ProgramHeaderInMemory()
{
    const ElfW(Ehdr) *header = nullptr;
    dl_iterate_phdr(
        [](dl_phdr_info *info, size_t, void *found) -> int {
            for (ElfW(Half) i = 0; i < info->dlpi_phnum; ++i) {
                const ElfW(Phdr) &segment = info->dlpi_phdr[i];
                if (segment.p_type == PT_LOAD && segment.p_offset == 0) {
                    *static_cast<const ElfW(Ehdr) **>(found) =
                        reinterpret_cast<const ElfW(Ehdr) *>(info->dlpi_addr + segment.p_vaddr);
                    break;
                }
            }
            return 1;
        },
        &header);
    return header;
}

} // namespace

QString RunningExecutablePath()
{
    return StartedByStartStage() ? StartStagePuzzleFile() : RunningProgramPath();
}

QByteArray ReadRunningExecutable(qint64 maxBytes)
{
    if (StartedByStartStage())
        return ReadWholeFile(StartStagePuzzleFile(), StartStagePuzzleFile(), maxBytes);
    // Opening the link itself reaches the file the process runs, whatever became of its name.
    return ReadWholeFile(QStringLiteral("/proc/self/exe"), RunningProgramPath(), maxBytes);
}

QString RunningProgramPath()
{
    return QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
}

bool AdoptStartStagePuzzleFile()
{
    const QByteArray path = qgetenv(PortableRuntime::PuzzleFileVariable);
    qunsetenv(PortableRuntime::PuzzleFileVariable);
    if (path.isEmpty())
        return false;
    StartStagePuzzleFile() = QFileInfo(QFile::decodeName(path)).absoluteFilePath();
    return true;
}

bool StartedByStartStage()
{
    return !StartStagePuzzleFile().isEmpty();
}

QByteArray ReadFileWithin(const QString &path, qint64 maxBytes)
{
    return ReadWholeFile(path, path, maxBytes);
}

QString ArgumentText(const char *argument)
{
    const QByteArray given(argument);
    const QString text = QString::fromLocal8Bit(given);
    if (text.toLocal8Bit() == given)
        return text;
    QByteArray shown;
    for (const char byte : given) {
        const auto code = static_cast<unsigned char>(byte);
        if (code < 0x20 || code >= 0x7F || byte == '\\')
            shown += "\\x" + QByteArray::number(code, 16).toUpper().rightJustified(2, '0');
        else
            shown += byte;
    }
    throw std::runtime_error("the argument \"" + shown.toStdString() +
                             "\" is not valid text in this system's encoding");
}

QString WorkingFolder()
{
    return QDir::currentPath();
}

bool SetWorkingFolder(const QString &folder)
{
    return QDir::setCurrent(folder);
}

bool IsReadOnly(const QString &path)
{
    struct stat status {
    };
    if (stat(QFile::encodeName(path).constData(), &status) != 0)
        return false;
    return !OwnerMayWrite(status) || OnReadOnlyFilesystem(path);
}

bool FlipReadOnly(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat status {
    };
    return stat(name.constData(), &status) == 0 &&
           chmod(name.constData(), (status.st_mode & 07777) ^ S_IWUSR) == 0;
}

QString RelocationFolder(const QString &executableName)
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u'/' +
           executableName;
}

QString StateFolder()
{
    // Tests keep out of the user's folders as Qt's test mode does for the other locations.
    if (QStandardPaths::isTestModeEnabled())
        return QDir::homePath() + QStringLiteral("/.qttest/state/tessalune");
    const QString state = qEnvironmentVariable("XDG_STATE_HOME");
    // XDG ignores a relative state folder, so it is taken as unset.
    const QString base =
        QDir::isAbsolutePath(state) ? state : QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/tessalune");
}

void StartProgram(const QString &program, const QString &parameter)
{
    // A bare file name would be looked up on PATH; the file meant is the one in the working folder.
    const QString file = QFileInfo(program).absoluteFilePath();
    const QStringList parameters = parameter.isEmpty() ? QStringList() : QStringList{parameter};
    if (!QProcess::startDetached(file, parameters))
        throw std::runtime_error(QStringLiteral("Cannot start \"%1\".")
                                     .arg(QDir::toNativeSeparators(file))
                                     .toStdString());
}

std::runtime_error FileError(const char *action, const QString &path, const QString &reason)
{
    return std::runtime_error(
        QStringLiteral("Cannot %1 \"%2\". %3")
            .arg(QLatin1String(action), QDir::toNativeSeparators(path), reason)
            .toStdString());
}

void WriteExecutableFile(const QByteArray &bytes, const QString &path)
{
    WriteBesideAndRename(bytes, path, TPermissions::Executable);
}

void ReplaceFileKeepingPermissions(const QByteArray &bytes, const QString &path)
{
    WriteBesideAndRename(bytes, path, TPermissions::Kept);
}

void WritePrivateFile(const QByteArray &bytes, const QString &path)
{
    WriteBesideAndRename(bytes, path, TPermissions::Private);
}

void RemoveStaleTemporaryFiles(const QString &folder)
{
    const QDir dir(folder);
    // Only hidden names are looked at: a start in a crowded folder stays quick.
    for (const QFileInfo &file :
         dir.entryInfoList({QStringLiteral(".*")}, QDir::Files | QDir::Hidden | QDir::System)) {
        const pid_t writer = WriterOfTemporaryFile(file.fileName());
        // Only this user's files: another user's writer may run where we cannot see it.
        if (writer > 0 && !file.isSymLink() && file.ownerId() == getuid() && ProcessIsGone(writer))
            QFile::remove(file.filePath());
    }
}

std::unique_ptr<TFileLock> TFileLock::TryLock(const QString &path)
{
    const int descriptor = open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return nullptr;
    if (flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        close(descriptor);
        return nullptr;
    }
    return std::unique_ptr<TFileLock>(new TFileLock(descriptor));
}

TFileLock::~TFileLock()
{
    close(m_descriptor);
}

bool TFileLock::StillAt(const QString &path) const
{
    struct stat locked {
    };
    struct stat named {
    };
    return fstat(m_descriptor, &locked) == 0 &&
           stat(QFile::encodeName(path).constData(), &named) == 0 &&
           locked.st_dev == named.st_dev && locked.st_ino == named.st_ino;
}

void Delay(int ms)
{
    QElapsedTimer clock;
    clock.start();
    if (!QCoreApplication::instance()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        return;
    }
    // The timer only wakes the wait; events that arrive earlier are handled as they come.
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    for (qint64 left = ms - clock.elapsed(); left > 0; left = ms - clock.elapsed()) {
        wake.start(static_cast<int>(left));
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

void RequestQuit()
{
    if (QCoreApplication::instance())
        PostQuit();
    else
        earlyQuitRequested = true;
}

void ApplyEarlyQuitRequest()
{
    if (earlyQuitRequested && QCoreApplication::instance())
        PostQuit();
}

int HeaderByte(int n)
{
    if (n < 1)
        return n;
    if (StartedByStartStage()) {
        // The start stage is a static program: its header in memory is its file's first bytes.
        QFile file(StartStagePuzzleFile());
        const QByteArray header =
            file.open(QIODevice::ReadOnly) ? file.read(sizeof(ElfW(Ehdr))) : QByteArray();
        return n <= header.size() ? static_cast<unsigned char>(header[n - 1]) : 0;
    }
    const ElfW(Ehdr) *header = ProgramHeaderInMemory();
    if (!header || n > header->e_ehsize)
        return 0;
    return reinterpret_cast<const unsigned char *>(header)[n - 1];
}

} // namespace Platform
