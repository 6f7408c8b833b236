// The start-up step of the executable payload: working folder, read-only relocation and the
// "temp0a0.exe" / "deltemp" self-replacement.
#include "engine/container/ExecutablePayload.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QtGlobal>
#include <stdexcept>

namespace
{

constexpr int RetryIntervalMs = 10;
// Linux removes and replaces even a running file at once, so a failure that outlasts this is
// not another process holding the file (a read-only filesystem, a missing permission): give up
// rather than wait forever.
constexpr int RetryLimitMs = 5000;

enum class StartupFlow { Continue, Stop };

bool FileExists(const QString &path)
{
    const QFileInfo file(path);
    return file.exists() || file.isSymLink();
}

// Retries until `done` holds, flipping a read-only attribute in the way; false on giving up.
template <typename Done> bool RetryClearingReadOnly(const QString &path, Done done)
{
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (Platform::IsReadOnly(path))
            Platform::FlipReadOnly(path);
        if (waited.elapsed() >= RetryLimitMs)
            return false;
        Platform::Delay(RetryIntervalMs);
    }
    return true;
}

// A file that does not exist counts as deleted.
void DeleteWhenPossible(const QString &path)
{
    RetryClearingReadOnly(path, [&] { return QFile::remove(path) || !FileExists(path); });
}

// The replacement is renamed over the file, so the old file only has to stop being read-only;
// deleting it first would lose it if the write then failed.
bool WaitUntilReplaceable(const QString &path)
{
    return RetryClearingReadOnly(path, [&] { return !Platform::IsReadOnly(path); });
}

QString RelocatedCopyPath(const QString &executablePath)
{
    const QString name = QFileInfo(executablePath).fileName();
    return Platform::RelocationFolder(name) + u'/' + name;
}

// Starts the writable copy, making it first if this is the first start from the medium.
void StartRelocatedCopy(const QString &executablePath)
{
    const QString copy = RelocatedCopyPath(executablePath);
    if (!FileExists(copy)) {
        QDir().mkpath(QFileInfo(copy).absolutePath()); // a failure shows in the write below
        SaveExeAs(copy);
    }
    Platform::StartProgram(copy);
}

StartupFlow RelocateFromReadOnlyMedia(const StartupContext &context)
{
    const QString &path = context.executablePath;
    if (!Platform::IsReadOnly(path))
        return StartupFlow::Continue;
    if (context.relocationFlag == 0)
        return StartupFlow::Stop;
    Platform::FlipReadOnly(path);
    if (!Platform::IsReadOnly(path))
        return StartupFlow::Continue;
    try {
        StartRelocatedCopy(path);
        Platform::RequestQuit();
    } catch (const std::exception &failure) {
        // No window exists yet; the program runs from the medium, where saving will fail loudly.
        qWarning("Tessalune runs from read-only media: %s", failure.what());
    }
    return StartupFlow::Continue;
}

bool IsReplacementCopy(const QString &executablePath)
{
    return QFileInfo(executablePath)
               .fileName()
               .compare(QLatin1String(ReplacementCopyName), Qt::CaseInsensitive) == 0;
}

// This process is "temp0a0.exe": write its own bytes over the target and restart the target,
// which then deletes this copy.
void ReplaceTargetAndRestartIt(const QString &target)
{
    if (target.isEmpty())
        throw std::runtime_error("No file to replace was given.");
    LoadExeImage();
    if (!WaitUntilReplaceable(target))
        throw std::runtime_error(QStringLiteral("\"%1\" stays read-only.")
                                     .arg(QDir::toNativeSeparators(target))
                                     .toStdString());
    WriteImageToFile(ExeImage(), target);
    Platform::StartProgram(target, QLatin1String(DeleteReplacementCopyParameter));
}

} // namespace

StartupContext CurrentStartupContext(int argc, char **argv)
{
    StartupContext context;
    context.executablePath = Platform::RunningExecutablePath();
    for (int i = 1; i < argc; ++i)
        context.parameters << Platform::ArgumentText(argv[i]);
    context.relocationFlag = Platform::HeaderByte(3);
    return context;
}

void RunStartupStep(const StartupContext &context)
{
    Platform::SetWorkingFolder(QFileInfo(context.executablePath).absolutePath());
    // What a writer killed here left behind goes before anything is written again.
    Platform::RemoveStaleTemporaryFiles(QFileInfo(context.executablePath).absolutePath());
    if (RelocateFromReadOnlyMedia(context) == StartupFlow::Stop)
        return;
    const QString firstParameter = context.parameters.value(0);
    if (firstParameter == QLatin1String(DeleteReplacementCopyParameter))
        DeleteWhenPossible(QLatin1String(ReplacementCopyName));
    if (IsReplacementCopy(context.executablePath)) {
        try {
            ReplaceTargetAndRestartIt(firstParameter);
        } catch (const std::exception &failure) {
            qWarning("Tessalune could not replace \"%s\": %s", qPrintable(firstParameter),
                     failure.what());
        }
        Platform::RequestQuit();
    }
}
