// The window's tests need the application object; widgets draw on the offscreen platform.
#include "Vcl.h"

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Numbers like "12.7" and the port's failure texts read the same on every machine.
    setenv("LC_ALL", "C", 1);
    TApplication app(argc, argv);
    installFontSubstitutions();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
