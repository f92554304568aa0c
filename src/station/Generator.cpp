#include "station/Generator.h"

#include "node/RandomSequence.h"

#include <cmath>
#include <numbers>

namespace station {

namespace {

class Constant : public Generator {
public:
    explicit Constant(double value) : value_(value) {}
    double value(double, bool, node::RandomSequence&) override { return value_; }

private:
    double value_;
};

// The rain node's "一定周期": the counter moves first, then the first half of
// the cycle is high.
class Square : public Generator {
public:
    explicit Square(const GeneratorSettings& settings) : settings_(settings) {}
    double value(double, bool step, node::RandomSequence&) override
    {
        if (step)
            counter_ = (counter_ + 1) % settings_.cycle;
        return settings_.cycle / 2 > counter_ ? settings_.high : settings_.low;
    }

private:
    const GeneratorSettings& settings_;
    std::int32_t counter_ = 0;
};

// The rain node's "乱数": a whole number from min to max, drawn as the
// window draws while the range is no wider than its 32768 numbers.
class Random : public Generator {
public:
    explicit Random(const GeneratorSettings& settings)
        : lower_(static_cast<std::int64_t>(settings.min)),
          span_(static_cast<std::int64_t>(settings.max) - lower_ + 1)
    {
    }
    double value(double, bool step, node::RandomSequence& random) override
    {
        if (step || !drawn_) {
            current_ = static_cast<double>(lower_ + static_cast<std::int64_t>(random.below(
                                                        static_cast<std::uint64_t>(span_))));
            drawn_ = true;
        }
        return current_;
    }

private:
    std::int64_t lower_;
    std::int64_t span_;
    double current_ = 0;
    bool drawn_ = false;
};

// The rain node's "乱数2": switches with a chance that grows with the sends
// since the last switch. It starts high, as the window's walk starts raining.
class Walk : public Generator {
public:
    explicit Walk(const GeneratorSettings& settings) : settings_(settings) {}
    double value(double, bool step, node::RandomSequence& random) override
    {
        if (step || !drawn_) {
            drawn_ = true;
            if (random.next() % kSwitchScale < sinceSwitch_) {
                high_ = !high_;
                sinceSwitch_ = 0;
            } else {
                ++sinceSwitch_;
            }
        }
        return high_ ? settings_.high : settings_.low;
    }

private:
    static constexpr std::int32_t kSwitchScale = 3000;
    const GeneratorSettings& settings_;
    bool high_ = true;
    bool drawn_ = false;
    std::int32_t sinceSwitch_ = 0;
};

class Sine : public Generator {
public:
    explicit Sine(const GeneratorSettings& settings) : settings_(settings) {}
    double value(double t, bool, node::RandomSequence&) override
    {
        const double angle = 2 * std::numbers::pi * (t + settings_.phase) / settings_.period;
        return settings_.min + (settings_.max - settings_.min) * (1 + std::sin(angle)) / 2;
    }

private:
    const GeneratorSettings& settings_;
};

class Ramp : public Generator {
public:
    Ramp(const GeneratorSettings& settings, double current)
        : settings_(settings), from_(settings.from.value_or(current))
    {
    }
    double value(double t, bool, node::RandomSequence&) override
    {
        const double into =
            settings_.repeat ? std::fmod(t, settings_.duration) : std::min(t, settings_.duration);
        return from_ + (settings_.to - from_) * into / settings_.duration;
    }

private:
    const GeneratorSettings& settings_;
    double from_;
};

// A values file moves one row per sample and holds its last row, or starts
// over; a timed file holds each row from its time on.
class Playback : public Generator {
public:
    explicit Playback(const GeneratorSettings& settings) : settings_(settings) {}
    double value(double t, bool step, node::RandomSequence&) override
    {
        const auto& rows = settings_.rows;
        if (settings_.timed) {
            while (next_ < rows.size() && rows[next_].at <= t)
                ++next_;
            return rows[next_ == 0 ? 0 : next_ - 1].value;
        }
        if (step || next_ == 0) {
            if (next_ == rows.size() && settings_.loop)
                next_ = 0;
            if (next_ < rows.size())
                ++next_;
        }
        return rows[next_ - 1].value;
    }

private:
    const GeneratorSettings& settings_;
    std::size_t next_ = 0;
};

} // namespace

std::unique_ptr<Generator> MakeGenerator(const GeneratorSettings& settings, double current)
{
    using Kind = GeneratorSettings::Kind;
    switch (settings.kind) {
    case Kind::Constant:
        return std::make_unique<Constant>(settings.value);
    case Kind::Square:
        return std::make_unique<Square>(settings);
    case Kind::Random:
        return std::make_unique<Random>(settings);
    case Kind::Walk:
        return std::make_unique<Walk>(settings);
    case Kind::Sine:
        return std::make_unique<Sine>(settings);
    case Kind::Ramp:
        return std::make_unique<Ramp>(settings, current);
    case Kind::Playback:
        return std::make_unique<Playback>(settings);
    }
    return nullptr;
}

} // namespace station
