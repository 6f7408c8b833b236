#include "windows/common/MainState.h"

#include "engine/container/PuzzleDocumentCodec.h"
#include "engine/picture/JpegPicture.h"

TMainState::TMainState() = default;
TMainState::~TMainState() = default;
