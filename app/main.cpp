// The program entry. It reads neither its command line nor its environment: everything it needs
// is in cfg.ini beside it.
#include "run_main_window.h"

int main(int argc, char** argv) {
    return runMainWindow(argc, argv);
}
