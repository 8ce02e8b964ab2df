// The weight text shown in the large display, rebuilt from the balance's eleven-character reply.
#pragma once

#include <string>
#include <string_view>

// Keeps the first character, drops the zeros that follow it up to the first other character,
// but keeps a zero standing just before the decimal point. Other bytes pass as they came.
std::string rebuildWeightText(std::string_view reply);
