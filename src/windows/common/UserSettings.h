#pragma once
// The user's remembered choices, kept per user by QSettings (never inside a puzzle, which
// travels to other people). Every value falls back to what a first start shows, so a user with
// no settings file sees the program as it always was. Keys are "maker/..." for the maker's
// choices and "play/..." for the player's; other windows add theirs through Value/SetValue.

#include <QSettings>
#include <QString>
#include <QVariant>

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

    QVariant Value(const QString &key, const QVariant &fallback) const;
    void SetValue(const QString &key, const QVariant &value);

private:
    QString ExistingFolder(const QString &key, const QString &fallback) const;
    void SetFolderOf(const QString &key, const QString &file);

    QSettings m_settings;
};
