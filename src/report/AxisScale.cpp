#include "report/AxisScale.h"

#include <algorithm>
#include <cmath>

namespace report {

namespace {

// The round step nearest above `raw`: 1, 2 or 5 times a power of ten.
double RoundStep(double raw)
{
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double factor : {1.0, 2.0, 5.0})
        if (factor * power >= raw * 0.999999)
            return factor * power;
    return 10 * power;
}

} // namespace

AxisScale AxisScale::Over(double low, double high, int ticks)
{
    if (!std::isfinite(low) || !std::isfinite(high))
        low = high = 0;
    if (low > high)
        std::swap(low, high);
    // So high - low stays finite; a chart cannot show the difference anyway.
    low = std::clamp(low, -1e300, 1e300);
    high = std::clamp(high, -1e300, 1e300);
    if (high - low < 1e-9) {
        // One value: a unit span around it (0..1 for a series that is all 0).
        const double pad = std::max(std::abs(low) * 0.1, 0.5);
        const bool zero = low == 0;
        low = zero ? 0 : low - pad;
        high = zero ? 1 : high + pad;
    }
    AxisScale scale;
    scale.step = RoundStep((high - low) / std::max(ticks, 1));
    scale.low = std::floor(low / scale.step + 1e-9) * scale.step;
    scale.high = std::ceil(high / scale.step - 1e-9) * scale.step;
    scale.decimals = std::max(0, static_cast<int>(-std::floor(std::log10(scale.step) + 1e-9)));
    return scale;
}

std::vector<double> AxisScale::Ticks() const
{
    std::vector<double> ticks;
    const long count = std::lround((high - low) / step);
    for (long i = 0; i <= count; ++i)
        ticks.push_back(low + static_cast<double>(i) * step);
    return ticks;
}

double AxisScale::Fraction(double value) const
{
    return (value - low) / (high - low);
}

} // namespace report
