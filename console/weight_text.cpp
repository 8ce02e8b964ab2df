#include "weight_text.h"

std::string rebuildWeightText(std::string_view reply) {
    std::string text;
    if (reply.empty())
        return text;
    text.push_back(reply[0]);
    bool kept = false;
    for (std::size_t i = 1; i < reply.size(); ++i) {
        const bool beforePoint = i + 1 < reply.size() && reply[i + 1] == '.';
        if (beforePoint || reply[i] != '0' || kept) {
            text.push_back(reply[i]);
            kept = true;
        }
    }
    return text;
}
