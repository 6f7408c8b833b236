// Finishing the save a hand-over copy carries: written once, recognised when already there,
// never written outside the copy's folder or to a target that is gone.
#include "engine/container/ExecutablePayload.h"
#include "engine/container/PendingSave.h"
#include "engine/container/PuzzleSchema.h"
#include "support/ProcessSupport.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <stdexcept>
#include <sys/stat.h>

namespace
{

class PendingSave : public ::testing::Test
{
protected:
    QString PathOf(const QString &name) const { return PathInFolder(m_folder.path(), name); }

    // The hand-over copy of a game saved into `target`.
    QByteArray HandOver(const QByteArray &target) const
    {
        QByteArray image = m_saved;
        AppendSection(PuzzleSchema::SectionFileName, target, image);
        return image;
    }

    QTemporaryDir m_folder;
    const QByteArray m_saved = "program bytes" + QByteArray("SO!#PIG_TXT\xB6new game EO!#PIG_TXT");
    const QByteArray m_earlier =
        "program bytes" + QByteArray("SO!#PIG_TXT\xB6old game EO!#PIG_TXT");
};

} // namespace

TEST_F(PendingSave, TheTargetReceivesTheGameOnceAndIsLeftAloneAfterwards)
{
    // A name beginning with ":" is an ordinary file here.
    for (const QString &name : {QStringLiteral("tulips.exe"), QStringLiteral(":moon.exe")}) {
        ASSERT_TRUE(WriteBytes(PathOf(name), m_earlier));
        EXPECT_EQ(FinishPendingSave(HandOver(name.toUtf8()), m_folder.path()),
                  TPendingSave::Written);
        EXPECT_EQ(ReadBytes(PathOf(name)), m_saved) << "without the FILE_NAME section";
        EXPECT_TRUE(QFileInfo(PathOf(name)).isExecutable());
        EXPECT_EQ(FinishPendingSave(HandOver(name.toUtf8()), m_folder.path()),
                  TPendingSave::AlreadyThere);
    }
}

// A target that became another puzzle (or any other file) is left alone; the game is kept.
TEST_F(PendingSave, AnotherPuzzleUnderTheTargetsNameIsLeftAloneAndTheGameKeptBeside)
{
    const QByteArray another = "program bytes" + QByteArray("SO!#SRC_IMG\xB6other EO!#SRC_IMG");
    ASSERT_TRUE(WriteBytes(PathOf("tulips.exe"), another));
    for (const QString &expected :
         {QStringLiteral("tulips (saved game).exe"), QStringLiteral("tulips (saved game 2).exe")}) {
        QString kept;
        EXPECT_EQ(FinishPendingSave(HandOver("tulips.exe"), m_folder.path(), &kept),
                  TPendingSave::KeptBeside);
        EXPECT_EQ(kept, expected);
        EXPECT_EQ(ReadBytes(PathOf(expected)), m_saved);
    }
    EXPECT_EQ(ReadBytes(PathOf("tulips.exe")), another);
}

TEST_F(PendingSave, NoTargetInTheFolderMeansNowhereToGo)
{
    ASSERT_TRUE(WriteBytes(PathOf("victim.exe"), "untouched"));
    for (const QByteArray &name :
         {QByteArray("missing.exe"), QByteArray("../victim.exe"), QByteArray("sub/victim.exe"),
          QByteArray(":victim.exe"), QByteArray(".."), QByteArray("victim.exe\0x", 12),
          QByteArray()}) {
        SCOPED_TRACE(name.constData());
        const QByteArray image = name.isEmpty() ? m_saved : HandOver(name);
        EXPECT_EQ(FinishPendingSave(image, m_folder.path()), TPendingSave::TargetMissing);
    }
    EXPECT_EQ(ReadBytes(PathOf("victim.exe")), "untouched");
    EXPECT_EQ(HandOverTarget("tulips.exe"), QStringLiteral("tulips.exe"));
}

TEST_F(PendingSave, AFifoInPlaceOfTheTargetIsNotOpened)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(PathOf("tulips.exe")).constData(), 0600), 0);
    EXPECT_EQ(FinishPendingSave(HandOver("tulips.exe"), m_folder.path()), TPendingSave::KeptBeside);
    struct stat status {
    };
    ASSERT_EQ(::stat(QFile::encodeName(PathOf("tulips.exe")).constData(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode)) << "left in place";
}

TEST_F(PendingSave, AFolderInPlaceOfTheTargetIsAFailureThatNamesIt)
{
    ASSERT_TRUE(QDir().mkdir(PathOf("tulips.exe")));
    try {
        FinishPendingSave(HandOver("tulips.exe"), m_folder.path());
        FAIL() << "no failure";
    } catch (const std::runtime_error &failure) {
        EXPECT_TRUE(QString::fromUtf8(failure.what()).contains("is a folder")) << failure.what();
    }
    EXPECT_TRUE(QFileInfo(PathOf("tulips.exe")).isDir());
}

TEST_F(PendingSave, AReadOnlyFolderIsAFailureThatNamesIt)
{
    if (!TmpfsMount::Available())
        GTEST_SKIP() << "cannot mount here";
    const QString media = PathOf("media");
    TmpfsMount mount(media);
    ASSERT_TRUE(mount.IsMounted());
    ASSERT_TRUE(WriteBytes(media + "/tulips.exe", "old game"));
    ASSERT_TRUE(mount.MakeReadOnly());
    try {
        FinishPendingSave(HandOver("tulips.exe"), media);
        FAIL() << "no failure";
    } catch (const std::runtime_error &failure) {
        EXPECT_TRUE(QString::fromUtf8(failure.what()).contains("Read-only file system"))
            << failure.what();
    }
    EXPECT_EQ(ReadBytes(media + "/tulips.exe"), "old game");
}
