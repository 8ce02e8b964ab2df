// The package layer set up for the balance link's frames, as the device component's design does.
#pragma once

#include "Tcommpkg.h"
#include "frame_format.h"

inline void useBalanceFrames(TCommPackage& layer) {
    layer.fSetPackageType(cptFrameHeadTail);
    layer.fSetFrameHead(BalanceFrameHead);
    layer.fSetFrameTail(BalanceFrameTail);
    layer.fSetFrameCtrl(BalanceFrameCtrl);
    layer.fSetDoubleFrameMark(false);
}
