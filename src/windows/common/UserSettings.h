#pragma once
// The user's remembered choices, kept per user by QSettings (never inside a puzzle, which
// travels to other people). Every value falls back to what a first start shows, so a user with
// no settings file sees the program as it always was. Keys are "maker/..." for the maker's
// choices and "play/..." for the player's.

#include <QSettings>
#include <QString>

class TUserSettings
{
public:
    TUserSettings();

    QString Author() const;
    void SetAuthor(const QString &author);
    QString Website() const;
    void SetWebsite(const QString &website);
    // Pieces across and down; 0 when none was remembered.
    int GridColumns() const;
    int GridRows() const;
    void SetGrid(int columns, int rows);
    bool Borders() const;
    void SetBorders(bool borders);
    // The folder of the last picture loaded or puzzle written; fallback when none was
    // remembered or the remembered one is gone.
    QString PictureFolder(const QString &fallback) const;
    void SetPictureFolderOf(const QString &pictureFile);
    QString PuzzleFolder(const QString &fallback) const;
    void SetPuzzleFolderOf(const QString &puzzleFile);

    // The maker's choices of a portable puzzle and of turned pieces; off when none was
    // remembered.
    bool Portable() const;
    void SetPortable(bool portable);
    bool TurnedPieces() const;
    void SetTurnedPieces(bool turned);
    // Whether the maker also writes the puzzle as a web page; off when none was remembered.
    bool WebPage() const;
    void SetWebPage(bool webPage);
    // Whether joined pieces move together on the desktop; off when none was remembered.
    bool GroupMoves() const;
    void SetGroupMoves(bool together);
    // Whether the palette shows its pieces at half size; off when none was remembered.
    bool SmallPalettePieces() const;
    void SetSmallPalettePieces(bool small);

private:
    QString ExistingFolder(const QString &key, const QString &fallback) const;
    void SetFolderOf(const QString &key, const QString &file);

    QSettings m_settings;
};
