// Records of games as they are played: intact records read back, damaged or cut ones are
// known, the store falls back to the record before, and housekeeping removes only what it should.
#include "engine/container/GameKeeper.h"
#include "engine/container/GameRecord.h"
#include "engine/container/PuzzleDocumentCodec.h"
#include "engine/jigsaw/PuzzleMaking.h"
#include "support/TemporaryFolderTest.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace
{

TGameRecord RecordOfMove(const QString &puzzle, qint64 move)
{
    TGameRecord record;
    record.puzzlePath = puzzle;
    record.startedFrom = DocumentHash("<PUZZLE_DATA/>");
    record.move = move;
    record.document = "<PUZZLE_DATA PNAME=\"caf\xc3\xa9\" MOVE=\"" + QByteArray::number(move) +
                      "\">\r\n\t<PIECES/>\r\n</PUZZLE_DATA>";
    return record;
}

} // namespace

class GameRecords : public TTemporaryFolderTest
{
protected:
    void SetUp() override
    {
        TTemporaryFolderTest::SetUp();
        m_puzzle = PathOf(QStringLiteral("my puzzle\nwith a line feed"));
        WriteBytes(m_puzzle, "puzzle");
    }

    QString m_puzzle;
};

TEST_F(GameRecords, ReadBackWholeAndRefusedCutOrChanged)
{
    const QByteArray bytes = EncodeGameRecord(RecordOfMove(m_puzzle, 7));
    const std::optional<TGameRecord> read = DecodeGameRecord(bytes);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->puzzlePath, m_puzzle);
    EXPECT_EQ(read->move, 7);
    EXPECT_EQ(read->document, RecordOfMove(m_puzzle, 7).document);
    for (qsizetype length = 0; length < bytes.size(); ++length)
        ASSERT_FALSE(DecodeGameRecord(bytes.left(length))) << "cut at " << length;
    for (qsizetype at = 0; at < bytes.size(); ++at) {
        QByteArray changed = bytes;
        changed[at] = static_cast<char>(changed[at] ^ 0x20);
        ASSERT_FALSE(DecodeGameRecord(changed)) << "changed at " << at;
    }
}

TEST_F(GameRecords, StoreFallsBackToTheRecordBeforeATornOne)
{
    const TGameRecordStore store(PathOf(QStringLiteral("state")), QStringLiteral("one"));
    EXPECT_FALSE(store.Read());
    store.Write(RecordOfMove(m_puzzle, 1));
    store.Write(RecordOfMove(m_puzzle, 2));
    EXPECT_EQ(store.Read()->move, 2);
    EXPECT_EQ(QFile(store.NewestPath()).permissions() & 0x0077, QFileDevice::Permissions());

    const QByteArray newest = ReadBytes(store.NewestPath());
    for (qsizetype length = 0; length < newest.size(); length += 7) {
        WriteBytes(store.NewestPath(), newest.left(length));
        ASSERT_EQ(store.Read()->move, 1) << "cut at " << length;
    }
    QFile::remove(store.NewestPath());
    EXPECT_EQ(store.Read()->move, 1);
    store.Remove();
    EXPECT_FALSE(store.Read());
}

TEST_F(GameRecords, NamesKeepCopiesAndOtherPuzzlesApart)
{
    const QString name = GameRecordName(m_puzzle, "picture");
    EXPECT_EQ(name, GameRecordName(m_puzzle, "picture"));
    EXPECT_NE(name, GameRecordName(m_puzzle + QStringLiteral(" copy"), "picture"));
    EXPECT_NE(name, GameRecordName(m_puzzle, "another picture"));
}

TEST_F(GameRecords, HousekeepingRemovesOnlyStaleRecords)
{
    const QString folder = PathOf(QStringLiteral("state"));
    const QString gone = PathOf(QStringLiteral("gone"));
    WriteBytes(gone, "puzzle");
    TGameRecordStore(folder, QStringLiteral("live")).Write(RecordOfMove(m_puzzle, 1));
    TGameRecordStore(folder, QStringLiteral("gone")).Write(RecordOfMove(gone, 1));
    TGameRecordStore(folder, QStringLiteral("old")).Write(RecordOfMove(m_puzzle, 1));
    WriteBytes(folder + QStringLiteral("/garbage.game"), "not a record");
    WriteBytes(folder + QStringLiteral("/notes.txt"), "not ours");
    QFile::remove(gone);
    QFile old(folder + QStringLiteral("/old.game"));
    ASSERT_TRUE(old.open(QIODevice::ReadWrite));
    ASSERT_TRUE(old.setFileTime(QDateTime::currentDateTime().addDays(-91),
                                QFileDevice::FileModificationTime));
    old.close();

    RemoveStaleGameRecords(folder, QDateTime::currentDateTime());
    EXPECT_EQ(QDir(folder).entryList(QDir::Files, QDir::Name),
              QStringList({"live.game", "notes.txt"}));

    for (int i = 0; i < 5; ++i)
        TGameRecordStore(folder, QString::number(i)).Write(RecordOfMove(m_puzzle, i));
    RemoveStaleGameRecords(folder, QDateTime::currentDateTime(), 90, 3);
    EXPECT_EQ(QDir(folder).entryList({"*.game"}, QDir::Files).size(), 3);
}

class GameKeeping : public GameRecords
{
protected:
    std::unique_ptr<TGameKeeper> Keeper(const QByteArray &startingDocument)
    {
        return std::make_unique<TGameKeeper>(PathOf(QStringLiteral("state")), m_puzzle, "picture",
                                             startingDocument, [this] { return m_game; });
    }

    // The document the player would keep for the game now, on the starting document.
    QByteArray DocumentOfGame()
    {
        TPuzzleDocument document(m_start);
        document.Game() = m_game;
        return document.Text();
    }

    void Move(int x) { m_game.pieces.front().position = QPoint(x, 0); }

    TPuzzleGame m_game = MakePuzzleGame({2, 3, true, "P", "", ""});
    const QByteArray m_start = TPuzzleDocument(m_game).Text();
};

TEST_F(GameKeeping, ChangesShareWritesAndEveryOneIsRecorded)
{
    const auto keeper = Keeper(m_start);
    QSignalSpy recorded(keeper.get(), &TGameKeeper::Recorded);
    for (int move = 1; move <= 20; ++move) {
        Move(move);
        keeper->GameChanged();
    }
    while (keeper->RecordedMoves() < 20)
        ASSERT_TRUE(recorded.wait(5000));
    EXPECT_LT(recorded.size(), 20);
    EXPECT_EQ(Keeper(m_start)->GameToRestore(), DocumentOfGame());

    Move(21);
    keeper->GameChanged();
    keeper->WriteNow();
    EXPECT_EQ(keeper->RecordedMoves(), 21);
    EXPECT_EQ(Keeper(m_start)->GameToRestore(), DocumentOfGame());
    keeper->Discard();
    EXPECT_FALSE(Keeper(m_start)->GameToRestore());
}

TEST_F(GameKeeping, RecordGoesOnceThePuzzleHoldsItsGameOrAnother)
{
    for (const bool keptByThePuzzle : {true, false}) {
        const auto keeper = Keeper(m_start);
        Move(7);
        keeper->GameChanged();
        keeper->WriteNow();
        const QByteArray puzzleNow =
            keptByThePuzzle ? DocumentOfGame() : TPuzzleDocument(MakePuzzleGame({})).Text();
        EXPECT_FALSE(Keeper(puzzleNow)->GameToRestore());
        EXPECT_FALSE(Keeper(m_start)->GameToRestore());
    }
}
