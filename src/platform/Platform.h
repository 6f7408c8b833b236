#pragma once
// The only code that knows the operating system. Everything else asks here.
//
// Paths are QStrings; a relative path is resolved against the working folder. None of these
// functions needs the application object unless it says so.

#include <QByteArray>
#include <QString>
#include <memory>
#include <stdexcept>

namespace Platform
{

// Absolute path of the running executable; usable before the application object exists. For a
// program started by a portable puzzle's start stage it is the puzzle's file, not the unpacked
// program: the file the puzzle is read from and saved into.
QString RunningExecutablePath();
// The running executable's bytes (the puzzle's file, as above). The program's own file is read
// through the process's own handle on it: a file name that is not valid text, or a file
// replaced or deleted since the start, does not matter. Throws std::runtime_error when it
// cannot be read or holds more than maxBytes (refused before it is read).
QByteArray ReadRunningExecutable(qint64 maxBytes);
// A whole file; refused as ReadRunningExecutable refuses.
QByteArray ReadFileWithin(const QString &path, qint64 maxBytes);
// The program file this process actually runs, wherever it was started from.
QString RunningProgramPath();
// Takes the puzzle file a portable puzzle's start stage names in the environment, and removes
// the name from the environment so that no program started from here inherits it. Call first in
// main(). True when there was one.
bool AdoptStartStagePuzzleFile();
// True when this process was started by a portable puzzle's start stage.
bool StartedByStartStage();

// A command-line argument as text. Throws std::runtime_error showing the argument's bytes
// escaped (`"caf\xE9.exe"`) when it is not valid in the locale's encoding, since the text
// would then name another file than the one given.
QString ArgumentText(const char *argument);

// The process's working folder; relative file names of the program are resolved against it.
QString WorkingFolder();
// Returns false when the folder cannot be entered; the working folder is then unchanged.
bool SetWorkingFolder(const QString &folder);

// Read-only: the owner's write permission is absent, or the file's filesystem is mounted
// read-only. A file that does not exist is not read-only.
bool IsReadOnly(const QString &path);
// Toggles the owner's write permission. Returns false when the change was refused (as on a
// read-only filesystem, where the file stays read-only).
bool FlipReadOnly(const QString &path);

// Folder for the writable copy of an executable that sits on read-only media:
// <user's data folder>/<executableName>, the data folder being $XDG_DATA_HOME or
// ~/.local/share. The folder is not created here.
QString RelocationFolder(const QString &executableName);

// Starts a program as a detached process with one parameter (none when empty), in the
// current working folder. Throws std::runtime_error naming the program when it could not be
// started.
void StartProgram(const QString &program, const QString &parameter = QString());

// The one wording of a failed file operation: `Cannot <action> "<path>". <reason>`, for
// example FileError("read file", path, file.errorString()).
std::runtime_error FileError(const char *action, const QString &path, const QString &reason);

// Writes an executable file: the bytes go to a new file beside `path` that is then renamed
// over it, so a running executable can be replaced and a failed (or killed) write leaves the
// old file whole. Success is reported only once the file and its folder are synced, so that
// the new file survives a power cut. The result is executable wherever it is readable. Throws
// std::runtime_error with a message naming the file and the system's reason ("No space left on
// device", "Permission denied", "... is a folder") when it cannot be created or written.
void WriteExecutableFile(const QByteArray &bytes, const QString &path);

// Writes a file that holds a puzzle the user opened, as WriteExecutableFile does (written beside
// and renamed over it), keeping the old file's permissions exactly: a puzzle that was not
// executable does not become so.
void ReplaceFileKeepingPermissions(const QByteArray &bytes, const QString &path);

// Writes a file of the user's own, readable and writable by the user alone, as
// WriteExecutableFile does (written beside and renamed over it, synced).
void WritePrivateFile(const QByteArray &bytes, const QString &path);

// The program's folder in the user's state folder ($XDG_STATE_HOME, by default
// ~/.local/state), for what the program keeps between runs that is neither a setting nor a
// document. Not created here.
QString StateFolder();

// Removes from the folder the hidden temporary files (".NAME.PID.N") that WriteExecutableFile
// left when its process was killed: those of this user whose writing process is gone. Files
// of a running writer, and every other file ("tmp.exe", "temp0a0.exe" included), stay.
void RemoveStaleTemporaryFiles(const QString &folder);

// An exclusive lock on a file, held by this process until the object is destroyed or the
// process ends, however it ends. Other processes taking the same lock are refused meanwhile.
class TFileLock
{
public:
    // The lock on the file at `path`; null when there is no such file or another process
    // holds the lock.
    static std::unique_ptr<TFileLock> TryLock(const QString &path);
    ~TFileLock();
    TFileLock(const TFileLock &) = delete;
    TFileLock &operator=(const TFileLock &) = delete;

    // True while `path` still names the locked file: not deleted, renamed or replaced since.
    bool StillAt(const QString &path) const;

private:
    explicit TFileLock(int descriptor) : m_descriptor(descriptor) {}
    int m_descriptor;
};

// Returns once at least `ms` milliseconds have passed on the monotonic clock. While waiting it
// lets the application's pending events run (without spinning); before the application object
// exists it simply sleeps.
void Delay(int ms);

// Asks the application to end: its message loop quits as soon as it runs, after the current
// event. Asked before the application object exists, the request is kept and handed to the
// application by ApplyEarlyQuitRequest(); start-up still completes.
void RequestQuit();
// Called once the application object exists: hands over a quit request made before it did.
void ApplyEarlyQuitRequest();

// Byte n (1-based) of the running program's ELF header as mapped in memory (for a portable
// puzzle, of its file's header: its start stage); n below 1 gives n, a position past the header
// gives 0.
int HeaderByte(int n);

} // namespace Platform
