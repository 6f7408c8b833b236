#include "windows/common/MainState.h"

#include "engine/container/KeyedNode.h"
#include "engine/picture/JpegPicture.h"

TMainState::TMainState() = default;
TMainState::~TMainState() = default;
