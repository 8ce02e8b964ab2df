// The balance's side of the command exchange: a two-byte command addressed to this balance in,
// the reply payload (if any) out.
#pragma once

#include "scale_model.h"

#include <cstdint>
#include <optional>
#include <vector>

inline constexpr std::uint8_t AcknowledgeByte = 0x06;

class BalanceResponder {
public:
    BalanceResponder(std::uint8_t number, ScaleModel& scale) : number(number), scale(scale) {}

    // Nothing for payloads that are not two bytes, not addressed to us or carry an unknown letter.
    std::optional<std::vector<std::uint8_t>> answer(const std::uint8_t* payload,
                                                    std::size_t length);

private:
    std::uint8_t number;
    ScaleModel& scale;
};
