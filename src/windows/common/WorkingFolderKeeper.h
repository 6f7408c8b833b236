#pragma once
// Keeps the process's working folder: whatever a file dialog or a failure does in between, the
// folder current at construction is current again when the keeper goes out of scope.

#include <QString>

class TWorkingFolderKeeper
{
public:
    TWorkingFolderKeeper();
    ~TWorkingFolderKeeper();
    TWorkingFolderKeeper(const TWorkingFolderKeeper &) = delete;
    TWorkingFolderKeeper &operator=(const TWorkingFolderKeeper &) = delete;

    const QString &Folder() const { return m_folder; }

private:
    QString m_folder;
};
