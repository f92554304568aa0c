#pragma once

#include "monitor/SenderEncodings.h"
#include "viewer/CaptureFile.h"
#include "viewer/TrafficModel.h"

#include <cstddef>
#include <map>
#include <memory>
#include <string>

namespace viewer {

// A capture seen as the live window would have seen it at a chosen moment of
// its recorded time: the model holds the records up to that moment, with
// ages and flags as of then. Moving forward takes the records in between;
// moving back starts again from the first record.
class CaptureBrowser {
public:
    CaptureBrowser(CaptureFile file, TrafficLimits limits);

    // In milliseconds since the epoch; both 0 for a capture without records.
    double firstMs() const { return firstMs_; }
    double lastMs() const { return lastMs_; }
    double positionMs() const { return positionMs_; }

    void seek(double ms);

    // Units a scan told, kept when the model starts again.
    void setUnit(const monitor::CcmKey& key, const std::string& unit);

    const TrafficModel& model() const { return *model_; }
    const CaptureFile& file() const { return file_; }
    // The moment of positionMs() on the clock the model's rows were taken on.
    monitor::Clock::time_point now() const;
    // Records taken so far.
    std::size_t taken() const { return next_; }

private:
    void restart();

    CaptureFile file_;
    TrafficLimits limits_;
    std::unique_ptr<TrafficModel> model_;
    // Decodes as the live feed does, so a capture reads as it was heard.
    monitor::SenderEncodings encodings_;
    std::map<monitor::CcmKey, std::string> units_;
    std::size_t next_ = 0;
    double firstMs_ = 0;
    double lastMs_ = 0;
    double positionMs_ = 0;
};

// A capture time on the monotonic clock the key table measures ages on: the
// same distance from its epoch, so differences between records are kept.
monitor::Clock::time_point OnTableClock(const capture::CaptureTime& time);

} // namespace viewer
