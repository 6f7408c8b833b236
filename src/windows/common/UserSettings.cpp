#include "windows/common/UserSettings.h"

#include <QFileInfo>

namespace
{

const QString AuthorKey = QStringLiteral("maker/author");
const QString WebsiteKey = QStringLiteral("maker/website");
const QString ColumnsKey = QStringLiteral("maker/gridColumns");
const QString RowsKey = QStringLiteral("maker/gridRows");
const QString BordersKey = QStringLiteral("maker/borders");
const QString PictureFolderKey = QStringLiteral("maker/pictureFolder");
const QString PuzzleFolderKey = QStringLiteral("maker/puzzleFolder");
const QString PortableKey = QStringLiteral("maker/portable");
const QString TurnedPiecesKey = QStringLiteral("maker/turnedPieces");
const QString WebPageKey = QStringLiteral("maker/webPage");
const QString GroupMovesKey = QStringLiteral("play/moveJoinedTogether");
const QString SmallPaletteKey = QStringLiteral("play/smallPalettePieces");

} // namespace

// One name for every copy of the program: each puzzle is a program of its own name, and all of
// them share the one user's choices.
TUserSettings::TUserSettings()
    : m_settings(QSettings::UserScope, QStringLiteral("Tessalune"), QStringLiteral("Tessalune"))
{
}

QString TUserSettings::Author() const
{
    return m_settings.value(AuthorKey).toString();
}

void TUserSettings::SetAuthor(const QString &author)
{
    m_settings.setValue(AuthorKey, author);
}

QString TUserSettings::Website() const
{
    return m_settings.value(WebsiteKey).toString();
}

void TUserSettings::SetWebsite(const QString &website)
{
    m_settings.setValue(WebsiteKey, website);
}

int TUserSettings::GridColumns() const
{
    return m_settings.value(ColumnsKey).toInt();
}

int TUserSettings::GridRows() const
{
    return m_settings.value(RowsKey).toInt();
}

void TUserSettings::SetGrid(int columns, int rows)
{
    m_settings.setValue(ColumnsKey, columns);
    m_settings.setValue(RowsKey, rows);
}

bool TUserSettings::Borders() const
{
    return m_settings.value(BordersKey, true).toBool();
}

void TUserSettings::SetBorders(bool borders)
{
    m_settings.setValue(BordersKey, borders);
}

bool TUserSettings::Portable() const
{
    return m_settings.value(PortableKey, false).toBool();
}

void TUserSettings::SetPortable(bool portable)
{
    m_settings.setValue(PortableKey, portable);
}

bool TUserSettings::WebPage() const
{
    return m_settings.value(WebPageKey, false).toBool();
}

void TUserSettings::SetWebPage(bool webPage)
{
    m_settings.setValue(WebPageKey, webPage);
}

bool TUserSettings::TurnedPieces() const
{
    return m_settings.value(TurnedPiecesKey, false).toBool();
}

void TUserSettings::SetTurnedPieces(bool turned)
{
    m_settings.setValue(TurnedPiecesKey, turned);
}

bool TUserSettings::GroupMoves() const
{
    return m_settings.value(GroupMovesKey, false).toBool();
}

void TUserSettings::SetGroupMoves(bool together)
{
    m_settings.setValue(GroupMovesKey, together);
}

bool TUserSettings::SmallPalettePieces() const
{
    return m_settings.value(SmallPaletteKey, false).toBool();
}

void TUserSettings::SetSmallPalettePieces(bool small)
{
    m_settings.setValue(SmallPaletteKey, small);
}

QString TUserSettings::PictureFolder(const QString &fallback) const
{
    return ExistingFolder(PictureFolderKey, fallback);
}

void TUserSettings::SetPictureFolderOf(const QString &pictureFile)
{
    SetFolderOf(PictureFolderKey, pictureFile);
}

QString TUserSettings::PuzzleFolder(const QString &fallback) const
{
    return ExistingFolder(PuzzleFolderKey, fallback);
}

void TUserSettings::SetPuzzleFolderOf(const QString &puzzleFile)
{
    SetFolderOf(PuzzleFolderKey, puzzleFile);
}

QString TUserSettings::ExistingFolder(const QString &key, const QString &fallback) const
{
    const QString folder = m_settings.value(key).toString();
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : fallback;
}

void TUserSettings::SetFolderOf(const QString &key, const QString &file)
{
    m_settings.setValue(key, QFileInfo(file).absolutePath());
}
