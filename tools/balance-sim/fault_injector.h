// Deliberate misbehaviour for reliability tests: lost replies, line noise, replies of the wrong
// length. Draws from its own generator so faults do not change the sequence of weights.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

struct FaultRates {
    double drop = 0;
    double garbage = 0;
    double badLength = 0;
};

class FaultInjector {
public:
    FaultInjector(FaultRates rates, std::uint32_t seed) : rates(rates), random(seed) {}

    bool dropReply();
    // Noise to send before a reply, or nothing. The bytes never begin a frame and never leave an
    // escape pending, so the reply after them still reads whole; escaped heads (12 11) included.
    std::vector<std::uint8_t> noise(std::uint8_t head, std::uint8_t ctrl);
    // Sometimes cuts the payload by one byte or stretches it by one.
    void maybeBreakLength(std::vector<std::uint8_t>& payload);

private:
    bool happens(double rate);

    FaultRates rates;
    std::mt19937 random;
};
