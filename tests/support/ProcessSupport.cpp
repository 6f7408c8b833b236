#include "support/ProcessSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <cerrno>
#include <csignal>
#include <sched.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

struct ProcessStatus {
    pid_t parent = 0;
    char state = '?';
};

// /proc/<pid>/stat: "pid (name) state parent ..."; the name may hold spaces and parentheses.
std::optional<ProcessStatus> ReadStatus(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray text = stat.readAll();
    const qsizetype nameEnd = text.lastIndexOf(')');
    if (nameEnd < 0)
        return std::nullopt;
    const QList<QByteArray> fields = text.mid(nameEnd + 2).split(' ');
    if (fields.size() < 2 || fields[0].isEmpty())
        return std::nullopt;
    return ProcessStatus{static_cast<pid_t>(fields[1].toInt()), fields[0][0]};
}

std::vector<pid_t> ChildrenOfThisProcess(bool includeZombies)
{
    std::vector<pid_t> children;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        bool isNumber = false;
        const pid_t pid = entry.toInt(&isNumber);
        if (!isNumber)
            continue;
        const std::optional<ProcessStatus> status = ReadStatus(pid);
        if (status && status->parent == getpid() && (includeZombies || status->state != 'Z'))
            children.push_back(pid);
    }
    return children;
}

} // namespace

ChildProcesses::ChildProcesses()
{
    prctl(PR_SET_CHILD_SUBREAPER, 1);
}

ChildProcesses::~ChildProcesses()
{
    // Killing a child may hand over its own children; repeat until none is left.
    for (int round = 0; round < 20; ++round) {
        const std::vector<pid_t> children = ChildrenOfThisProcess(true);
        if (children.empty())
            return;
        for (pid_t pid : children) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
}

pid_t ChildProcesses::Start(const QString &program, const QStringList &arguments,
                            const QProcessEnvironment &environment, const QString &errorFile)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setProcessEnvironment(environment);
    if (!errorFile.isEmpty())
        process.setStandardErrorFile(errorFile);
    qint64 pid = -1;
    if (!process.startDetached(&pid))
        return -1;
    return static_cast<pid_t>(pid);
}

std::optional<int> ChildProcesses::WaitForExit(pid_t pid, int timeoutMs)
{
    int status = 0;
    // ECHILD: not adopted yet, while the starter's intermediate process is ending.
    const bool ended =
        QTest::qWaitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; }, timeoutMs);
    if (!ended || !WIFEXITED(status))
        return std::nullopt;
    return WEXITSTATUS(status);
}

std::vector<pid_t> ChildProcesses::Running(const QString &path) const
{
    const QString wanted = QFileInfo(path).canonicalFilePath();
    std::vector<pid_t> found;
    for (pid_t pid : LivingChildren()) {
        if (QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(pid)) == wanted)
            found.push_back(pid);
    }
    return found;
}

bool ChildProcesses::WaitUntilApplicationBuilt(pid_t pid, int timeoutMs) const
{
    return QTest::qWaitFor(
        [&] {
            QFile maps(QStringLiteral("/proc/%1/maps").arg(pid));
            return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libqoffscreen");
        },
        timeoutMs);
}

std::vector<pid_t> ChildProcesses::LivingChildren() const
{
    return ChildrenOfThisProcess(false);
}

QProcessEnvironment ProgramEnvironment(const QString &root)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const QString runtime = root + QStringLiteral("/runtime");
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("HOME"), root + QStringLiteral("/home"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), root + QStringLiteral("/data"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), root + QStringLiteral("/config"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    return environment;
}

bool TmpfsMount::Available()
{
    // Mounts made from here on stay inside this process and its children.
    static const bool available =
        unshare(CLONE_NEWNS) == 0 && mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    return available;
}

TmpfsMount::TmpfsMount(const QString &folder, const QByteArray &size)
    : m_target(QFile::encodeName(folder))
{
    QDir().mkpath(folder);
    const QByteArray options = "size=" + size;
    m_mounted =
        Available() && mount("tmpfs", m_target.constData(), "tmpfs", 0, options.constData()) == 0;
}

TmpfsMount::~TmpfsMount()
{
    if (m_mounted)
        umount2(m_target.constData(), MNT_DETACH);
}

bool TmpfsMount::MakeReadOnly()
{
    return m_mounted &&
           mount(nullptr, m_target.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

bool TmpfsMount::MakeNoExec()
{
    return m_mounted &&
           mount(nullptr, m_target.constData(), nullptr, MS_REMOUNT | MS_NOEXEC, nullptr) == 0;
}
