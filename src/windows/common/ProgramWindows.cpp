#include "windows/common/ProgramWindows.h"

TProgramWindows &ProgramWindows()
{
    static TProgramWindows windows;
    return windows;
}
