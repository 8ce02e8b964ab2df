// The simulator's command line.
#pragma once

#include "fault_injector.h"

#include <cstdint>
#include <optional>
#include <string>

struct SimOptions {
    std::uint8_t number = 1;
    double baseGrams = 12.3456;
    double pieceGrams = 0.1;
    std::uint32_t seed = 1;
    std::uint32_t baud = 9600;
    bool pacing = true;
    int delayMs = 2;
    std::string logPath;
    std::string linkPath;
    FaultRates faults;
    std::optional<long> hangupAfter;
    bool help = false;
};

// Nothing, with a reason in `error`, for an unknown option or a value out of range.
std::optional<SimOptions> parseSimOptions(int argc, char** argv, std::string& error);

extern const char* const SimUsage;
