#pragma once
// Support for tests that run real processes: every process started here, and every process
// those start detached, becomes a child of the test process (it is made a child subreaper), so
// the test can wait for them, find them by executable and end them all when it is done.
// Also a tmpfs that can be turned read-only, mounted in a mount namespace of the test's own.

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <optional>
#include <sys/types.h>
#include <vector>

class ChildProcesses
{
public:
    ChildProcesses();
    // Ends and reaps every child still there, started here or adopted.
    ~ChildProcesses();
    ChildProcesses(const ChildProcesses &) = delete;
    ChildProcesses &operator=(const ChildProcesses &) = delete;

    // Starts a program detached (it is adopted at once); stderr goes to `errorFile` when given.
    // Returns its process id, or -1.
    pid_t Start(const QString &program, const QStringList &arguments,
                const QProcessEnvironment &environment, const QString &errorFile = QString());

    // The exit code once the child has ended normally, or nothing when it is still running at
    // the deadline or was killed.
    std::optional<int> WaitForExit(pid_t pid, int timeoutMs);

    // Living children whose executable is the file at `path`.
    std::vector<pid_t> Running(const QString &path) const;

    // True once the child has loaded the window system plug-in, which happens only when the
    // application object is built: its start-up step is over by then.
    bool WaitUntilApplicationBuilt(pid_t pid, int timeoutMs) const;

private:
    std::vector<pid_t> LivingChildren() const;
};

// The environment for a started copy of the program: offscreen windows, and the home, data and
// settings folders inside `root` so that nothing touches the user's folders.
QProcessEnvironment ProgramEnvironment(const QString &root);

// A tmpfs mounted over `folder` in the test process's own mount namespace (which its children
// share), so nothing is left mounted if the test dies.
class TmpfsMount
{
public:
    // Whether mounting is possible here (root, or the capability to make a mount namespace).
    static bool Available();
    // A small size makes writes fail for lack of space.
    explicit TmpfsMount(const QString &folder, const QByteArray &size = "256m");
    ~TmpfsMount();
    TmpfsMount(const TmpfsMount &) = delete;
    TmpfsMount &operator=(const TmpfsMount &) = delete;

    bool IsMounted() const { return m_mounted; }
    bool MakeReadOnly();
    // Programs on it can no longer be started.
    bool MakeNoExec();

private:
    QByteArray m_target;
    bool m_mounted = false;
};
