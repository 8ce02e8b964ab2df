#include "scale_model.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr std::array<WeighingUnit, 5> Units{{
    {"g", 1.0, 4},
    {"kg", 1000.0, 5},
    {"ct", 0.2, 3},
    {"lb", 453.59237, 5},
    {"oz", 28.349523125, 4},
}};

constexpr double GramsPerDriftStep = 0.0001;
constexpr int MaxDriftSteps = 20;

} // namespace

ScaleModel::ScaleModel(double baseGrams, double pieceGrams, std::uint32_t seed)
    : baseGrams(baseGrams), pieceGrams(pieceGrams), random(seed) {}

std::string ScaleModel::takeReading() {
    std::uniform_int_distribution<int> step(-3, 3);
    driftSteps += step(random);
    // Pull back toward the base load so the walk never runs away.
    if (driftSteps > MaxDriftSteps || driftSteps < -MaxDriftSteps)
        driftSteps /= 2;
    const double net = grossGrams() - tareGrams;
    if (counting) {
        // Clamped before rounding: a tiny piece weight must saturate the text, not overflow.
        const double pieces = pieceGrams > 0 ? std::clamp(net / pieceGrams, -1e15, 1e15) : 0;
        return formatCountText(std::llround(pieces));
    }
    return formatWeightText(net, unit());
}

void ScaleModel::tare() {
    tareGrams = grossGrams();
}

void ScaleModel::nextUnit() {
    unitIndex = (unitIndex + 1) % Units.size();
}

void ScaleModel::toggleCountMode() {
    counting = !counting;
}

const WeighingUnit& ScaleModel::unit() const {
    return Units[unitIndex];
}

double ScaleModel::grossGrams() const {
    return baseGrams + driftSteps * GramsPerDriftStep;
}
