#pragma once

#include <vector>

namespace report {

// A chart axis over round numbers: ticks every 1, 2 or 5 times a power of
// ten, from a tick at or below the lowest value to one at or above the
// highest, so every value lies on the axis and the labels stay short.
struct AxisScale {
    double low = 0;
    double high = 1;
    double step = 1;
    // Decimals a tick label needs to tell the ticks apart.
    int decimals = 0;

    // The scale over low..high with about `ticks` intervals (at least 1); an
    // empty or single-valued range still gets a span around its value.
    static AxisScale Over(double low, double high, int ticks);

    std::vector<double> Ticks() const;
    // Where `value` lies between low (0) and high (1).
    double Fraction(double value) const;
};

} // namespace report
