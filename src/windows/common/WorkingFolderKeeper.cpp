#include "windows/common/WorkingFolderKeeper.h"

#include "platform/Platform.h"

TWorkingFolderKeeper::TWorkingFolderKeeper() : m_folder(Platform::WorkingFolder())
{
}

TWorkingFolderKeeper::~TWorkingFolderKeeper()
{
    Platform::SetWorkingFolder(m_folder);
}
