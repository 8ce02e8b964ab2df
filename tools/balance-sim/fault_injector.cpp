#include "fault_injector.h"

bool FaultInjector::happens(double rate) {
    if (rate <= 0)
        return false;
    return std::uniform_real_distribution<double>(0.0, 1.0)(random) < rate;
}

bool FaultInjector::dropReply() {
    return happens(rates.drop);
}

std::vector<std::uint8_t> FaultInjector::noise(std::uint8_t head, std::uint8_t ctrl) {
    std::vector<std::uint8_t> bytes;
    if (!happens(rates.garbage))
        return bytes;
    std::uniform_int_distribution<int> count(1, 8);
    std::uniform_int_distribution<int> byteValue(0, 255);
    const int tokens = count(random);
    for (int i = 0; i < tokens; ++i) {
        auto b = static_cast<std::uint8_t>(byteValue(random));
        if (b == head || b == ctrl || i % 3 == 0) {
            // An escaped pair: a control byte always takes the next byte with it.
            bytes.push_back(ctrl);
            bytes.push_back(i % 3 == 0 ? head : b);
        } else {
            bytes.push_back(b);
        }
    }
    return bytes;
}

void FaultInjector::maybeBreakLength(std::vector<std::uint8_t>& payload) {
    if (!happens(rates.badLength))
        return;
    if (!payload.empty() && std::uniform_int_distribution<int>(0, 1)(random) == 0)
        payload.pop_back();
    else
        payload.push_back(payload.empty() ? 0x30 : payload.back());
}
