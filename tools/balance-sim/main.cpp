// balance-sim: a laboratory balance on a pseudo-terminal, for tests, benchmarks and trying the
// window without hardware.
#include "balance_sim.h"
#include "sim_options.h"

#include <cstdio>

int main(int argc, char** argv) {
    std::string error;
    const auto options = parseSimOptions(argc, argv, error);
    if (!options) {
        std::fprintf(stderr, "balance-sim: %s\n%s", error.c_str(), SimUsage);
        return 2;
    }
    if (options->help) {
        std::fputs(SimUsage, stdout);
        return 0;
    }
    BalanceSim sim(*options);
    return sim.run();
}
