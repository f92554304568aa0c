#pragma once

#include "cli/CommonOptions.h"
#include "cli/SendingSide.h"
#include "cli/TestOutput.h"
#include "cli/TestRun.h"
#include "loop/DatagramReceiver.h"
#include "capture/CaptureWriter.h"
#include "report/RunResult.h"
#include "station/Scenario.h"

#include <QTimer>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace cli {

// The scenarios of one `test` command run in turn, sharing the sending
// socket, the receiver on UDP 16520 and the capture. Runs on the Qt Core
// event loop and leaves it with the exit status when the last has ended.
class TestSession {
public:
    using Scenarios = std::vector<std::pair<std::string, station::Scenario>>;
    // The seconds a scenario runs at most.
    using Duration = std::function<double(const station::Scenario&)>;

    TestSession(const CommonOptions& common, Scenarios scenarios, Duration duration,
                std::vector<report::ScenarioResult>& results);

    // Opens the sockets and the capture; false, said on standard error, when
    // the interface cannot be used. Throws transport::EIdSocketError for the
    // receiving port and runtime::Exception for the capture.
    bool open(const std::string& capturePath);
    void start();
    // SIGINT or SIGTERM: the scenario running ends with its verdicts so far.
    void stop();

private:
    void heard(const loop::ReceivedDatagram& received);
    void send(const std::string& ip, const std::string& wire);
    // One datagram, heard or sent (source port 0), appended to the capture.
    void capture(std::chrono::system_clock::time_point when, const std::string& source,
                 std::uint16_t sourcePort, std::uint16_t port, std::string_view bytes);
    void startNext();
    void ended();
    void flushCapture();

    const CommonOptions& common_;
    Scenarios scenarios_;
    Duration duration_;
    std::vector<report::ScenarioResult>& results_;
    SendingSide sending_;
    TestOutput output_;
    std::unique_ptr<capture::CaptureWriter> capture_;
    std::unique_ptr<loop::DatagramReceiver> receiver_;
    std::unique_ptr<TestRun> current_;
    QTimer flush_;
    std::size_t next_ = 0;
    bool stopped_ = false;
    // Failures of the sends or the capture: the run is not to be trusted.
    bool failed_ = false;
    std::int64_t sendFailures_ = 0;
};

} // namespace cli
