// What the balance has on its pan and how it shows it: a load cell drifting around a base load,
// a tare, the unit in use and count mode.
#pragma once

#include "reading_text.h"

#include <cstdint>
#include <random>
#include <string>

class ScaleModel {
public:
    ScaleModel(double baseGrams, double pieceGrams, std::uint32_t seed);

    // A fresh reading in the current mode and unit; the load drifts a little at every reading.
    std::string takeReading();
    // Subsequent readings are relative to the load on the pan now.
    void tare();
    // g -> kg -> ct -> lb -> oz -> g.
    void nextUnit();
    // Count mode on or off; while on, readings are pieces of the piece weight.
    void toggleCountMode();

    const WeighingUnit& unit() const;
    bool countMode() const { return counting; }

private:
    double grossGrams() const;

    double baseGrams;
    double pieceGrams;
    double tareGrams = 0;
    // Drift in tenths of a milligram, a bounded random walk: a real cell wanders but stays put.
    int driftSteps = 0;
    std::size_t unitIndex = 0;
    bool counting = false;
    std::mt19937 random;
};
