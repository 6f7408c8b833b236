#include "windows/common/MainState.h"

#include "engine/container/KelPigger.h"
#include "engine/picture/JpegPicture.h"

TMainState::TMainState() = default;
TMainState::~TMainState() = default;
