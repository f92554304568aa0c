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
    explicit Square(const GeneratorSpec& spec) : spec_(spec) {}
    double value(double, bool step, node::RandomSequence&) override
    {
        if (step)
            counter_ = (counter_ + 1) % spec_.cycle;
        return spec_.cycle / 2 > counter_ ? spec_.high : spec_.low;
    }

private:
    const GeneratorSpec& spec_;
    std::int32_t counter_ = 0;
};

// The rain node's "乱数": a whole number from min to max.
class Random : public Generator {
public:
    explicit Random(const GeneratorSpec& spec)
        : lower_(static_cast<std::int64_t>(spec.min)),
          span_(static_cast<std::int64_t>(spec.max) - lower_ + 1)
    {
    }
    double value(double, bool step, node::RandomSequence& random) override
    {
        if (step || !drawn_) {
            current_ = static_cast<double>(lower_ + random.next() % span_);
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
    explicit Walk(const GeneratorSpec& spec) : spec_(spec) {}
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
        return high_ ? spec_.high : spec_.low;
    }

private:
    static constexpr std::int32_t kSwitchScale = 3000;
    const GeneratorSpec& spec_;
    bool high_ = true;
    bool drawn_ = false;
    std::int32_t sinceSwitch_ = 0;
};

class Sine : public Generator {
public:
    explicit Sine(const GeneratorSpec& spec) : spec_(spec) {}
    double value(double t, bool, node::RandomSequence&) override
    {
        const double angle = 2 * std::numbers::pi * (t + spec_.phase) / spec_.period;
        return spec_.min + (spec_.max - spec_.min) * (1 + std::sin(angle)) / 2;
    }

private:
    const GeneratorSpec& spec_;
};

class Ramp : public Generator {
public:
    Ramp(const GeneratorSpec& spec, double current)
        : spec_(spec), from_(spec.from.value_or(current))
    {
    }
    double value(double t, bool, node::RandomSequence&) override
    {
        const double into =
            spec_.repeat ? std::fmod(t, spec_.duration) : std::min(t, spec_.duration);
        return from_ + (spec_.to - from_) * into / spec_.duration;
    }

private:
    const GeneratorSpec& spec_;
    double from_;
};

// A values file moves one row per sample and holds its last row, or starts
// over; a timed file holds each row from its time on.
class Playback : public Generator {
public:
    explicit Playback(const GeneratorSpec& spec) : spec_(spec) {}
    double value(double t, bool step, node::RandomSequence&) override
    {
        const auto& rows = spec_.rows;
        if (spec_.timed) {
            while (next_ < rows.size() && rows[next_].at <= t)
                ++next_;
            return rows[next_ == 0 ? 0 : next_ - 1].value;
        }
        if (step || next_ == 0) {
            if (next_ == rows.size() && spec_.loop)
                next_ = 0;
            if (next_ < rows.size())
                ++next_;
        }
        return rows[next_ - 1].value;
    }

private:
    const GeneratorSpec& spec_;
    std::size_t next_ = 0;
};

} // namespace

std::unique_ptr<Generator> MakeGenerator(const GeneratorSpec& spec, double current)
{
    using Kind = GeneratorSpec::Kind;
    switch (spec.kind) {
    case Kind::Constant:
        return std::make_unique<Constant>(spec.value);
    case Kind::Square:
        return std::make_unique<Square>(spec);
    case Kind::Random:
        return std::make_unique<Random>(spec);
    case Kind::Walk:
        return std::make_unique<Walk>(spec);
    case Kind::Sine:
        return std::make_unique<Sine>(spec);
    case Kind::Ramp:
        return std::make_unique<Ramp>(spec, current);
    case Kind::Playback:
        return std::make_unique<Playback>(spec);
    }
    return nullptr;
}

} // namespace station
