#include "balance_responder.h"

std::optional<std::vector<std::uint8_t>> BalanceResponder::answer(const std::uint8_t* payload,
                                                                  std::size_t length) {
    if (length != 2 || payload[0] != number)
        return std::nullopt;
    const std::vector<std::uint8_t> acknowledge{AcknowledgeByte};
    switch (payload[1]) {
    case 's': {
        const std::string text = scale.takeReading();
        return std::vector<std::uint8_t>(text.begin(), text.end());
    }
    case 't':
        scale.tare();
        return acknowledge;
    case 'v':
        return acknowledge;
    case 'u':
        scale.nextUnit();
        return acknowledge;
    case 'c':
        scale.toggleCountMode();
        return acknowledge;
    default:
        return std::nullopt;
    }
}
