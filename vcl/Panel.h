// A framed area that holds other controls.
#pragma once

#include "Controls.h"

enum TBevelCut { bvNone, bvLowered, bvRaised };

class TPanel : public TWinControl {
public:
    explicit TPanel(TWinControl* Parent);

    void SetBevelOuter(TBevelCut Value);
    void SetColor(TColor Value);
};
