// A bare form of the window's client size for the controls under test.
#pragma once

#include "Form.h"

class TestForm : public TForm {
public:
    TestForm() { SetClientSize(356, 425); }
};
