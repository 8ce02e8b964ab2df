// The reply texts must be exactly eleven characters whatever the value, or the window ignores
// them as malformed.
#include <reading_text.h>

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

const WeighingUnit Grams{"g", 1.0, 4};
const WeighingUnit Kilograms{"kg", 1000.0, 5};
const WeighingUnit Carats{"ct", 0.2, 3};

struct WeightCase {
    double grams;
    const WeighingUnit* unit;
    const char* text;
};

TEST(ReadingText, WeightsKeepElevenCharacters) {
    const WeightCase cases[] = {
        {12.3456, &Grams, "+0012.3456g"},
        {0, &Grams, "+0000.0000g"},
        {-12.5, &Grams, "-0012.5000g"},
        // Rounds to zero: no minus sign in front of all zeros.
        {-0.00001, &Grams, "+0000.0000g"},
        {12.3456, &Kilograms, "+00.01235kg"},
        {12.3456, &Carats, "+0061.728ct"},
        // Too heavy for the width: saturates instead of growing.
        {123456.0, &Grams, "+9999.9999g"},
        {-1e300, &Kilograms, "-99.99999kg"},
        {std::numeric_limits<double>::quiet_NaN(), &Grams, "+9999.9999g"},
    };
    for (const auto& c : cases) {
        const std::string text = formatWeightText(c.grams, *c.unit);
        EXPECT_EQ(text, c.text) << c.grams << " " << c.unit->symbol;
        EXPECT_EQ(text.size(), ReadingTextLength);
    }
}

TEST(ReadingText, CountsKeepElevenCharacters) {
    EXPECT_EQ(formatCountText(123), "+0000123pcs");
    EXPECT_EQ(formatCountText(0), "+0000000pcs");
    EXPECT_EQ(formatCountText(-5), "-0000005pcs");
    EXPECT_EQ(formatCountText(123456789), "+9999999pcs");
    EXPECT_EQ(formatCountText(std::numeric_limits<long long>::min()), "-9999999pcs");
}

} // namespace
