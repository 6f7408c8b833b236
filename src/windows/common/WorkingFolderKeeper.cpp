#include "windows/common/WorkingFolderKeeper.h"

#include "platform/Platform.h"

TWorkingFolderKeeper::TWorkingFolderKeeper() : folder(Platform::WorkingFolder())
{
}

TWorkingFolderKeeper::~TWorkingFolderKeeper()
{
    Platform::SetWorkingFolder(folder);
}
