#include "platform/Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <link.h>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <thread>

namespace Platform
{

namespace
{

bool earlyQuitRequested = false;

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
QFileDevice::Permissions ExecutableWhereReadable(QFileDevice::Permissions permissions)
{
    if (permissions & (QFileDevice::ReadOwner | QFileDevice::ReadUser))
        permissions |= QFileDevice::ExeOwner | QFileDevice::ExeUser;
    if (permissions & QFileDevice::ReadGroup)
        permissions |= QFileDevice::ExeGroup;
    if (permissions & QFileDevice::ReadOther)
        permissions |= QFileDevice::ExeOther;
    return permissions;
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
    return QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
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
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw FileError("create file", path, file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        throw FileError("write file", path, reason);
    }
    file.setPermissions(ExecutableWhereReadable(file.permissions()));
    if (!file.commit())
        throw FileError("write file", path, file.errorString());
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
    const ElfW(Ehdr) *header = ProgramHeaderInMemory();
    if (!header || n > header->e_ehsize)
        return 0;
    return reinterpret_cast<const unsigned char *>(header)[n - 1];
}

} // namespace Platform
