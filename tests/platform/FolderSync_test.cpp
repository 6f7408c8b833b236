// A replaced file is reported written only once its folder is synced, and a failing sync is
// reported as a failed write. The system's fsync is wrapped here (this program's definition
// wins over the C library's) to see folder syncs and to make them fail.
#include "platform/Platform.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace
{

// What the watched file held at each folder sync, and the error the next folder syncs give.
QString watchedFile;
QList<QByteArray> heldAtFolderSyncs;
int folderSyncError = 0;

} // namespace

extern "C" int fsync(int descriptor)
{
    static const auto systemFsync = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fsync"));
    struct stat status {
    };
    if (fstat(descriptor, &status) == 0 && S_ISDIR(status.st_mode)) {
        heldAtFolderSyncs.append(ReadBytes(watchedFile));
        if (folderSyncError != 0) {
            errno = folderSyncError;
            return -1;
        }
    }
    return systemFsync(descriptor);
}

TEST(FolderSync, AReplacedFileIsReportedWrittenOnlyOnceItsFolderIsSynced)
{
    QTemporaryDir dir;
    watchedFile = dir.filePath(QStringLiteral("puzzle.exe"));
    ASSERT_TRUE(WriteBytes(watchedFile, "old"));
    heldAtFolderSyncs.clear();
    Platform::WriteExecutableFile("new", watchedFile);
    EXPECT_EQ(heldAtFolderSyncs, QList<QByteArray>{"new"})
        << "the folder is synced after the rename";

    folderSyncError = EIO;
    try {
        Platform::WriteExecutableFile("newer", watchedFile);
        ADD_FAILURE() << "a failed folder sync reported as success";
    } catch (const std::runtime_error &error) {
        EXPECT_EQ(QString::fromUtf8(error.what()),
                  QStringLiteral("Cannot write file \"%1\". Input/output error").arg(watchedFile));
    }
    folderSyncError = 0;
}
