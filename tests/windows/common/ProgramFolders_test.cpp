// The maker's folders beside the program, and in the user's documents where an installed
// program cannot make them.
#include "platform/Platform.h"
#include "support/TemporaryFolderTest.h"
#include "windows/common/ProgramFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

using ProgramFolders = TTemporaryFolderTest;

TEST_F(ProgramFolders, AreMadeBesideTheProgramsFolder)
{
    QDir(m_folder.path()).mkdir(QStringLiteral("bin"));
    ASSERT_TRUE(Platform::SetWorkingFolder(PathOf(QStringLiteral("bin"))));
    EXPECT_EQ(MadePuzzlesFolder(), QDir::cleanPath(QDir(m_folder.path()).canonicalPath() +
                                                   QStringLiteral("/my_puzzles")));
    EXPECT_TRUE(QFileInfo(PathOf(QStringLiteral("my_puzzles"))).isDir());
    EXPECT_TRUE(QFileInfo(PictureSourcesFolder()).isDir());
}

TEST_F(ProgramFolders, FallBackToTheDocumentsWhereTheyCannotBeMade)
{
    QStandardPaths::setTestModeEnabled(true);
    // The documents folder is the home folder's: a temporary home keeps the real one as it was.
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(m_folder.path()));
    // Not even the superuser can make a folder in /proc, as none can in /usr for a user.
    ASSERT_TRUE(Platform::SetWorkingFolder(QStringLiteral("/proc/self")));
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    EXPECT_EQ(MadePuzzlesFolder(),
              QDir::cleanPath(documents + QStringLiteral("/Tessalune/my_puzzles")));
    EXPECT_TRUE(QFileInfo(MadePuzzlesFolder()).isDir());
    EXPECT_EQ(PictureSourcesFolder(),
              QDir::cleanPath(documents + QStringLiteral("/Tessalune/g_sources")));
    EXPECT_TRUE(documents.startsWith(m_folder.path()));
    qputenv("HOME", home);
}
