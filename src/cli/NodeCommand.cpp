#include "cli/NodeCommand.h"

#include "cli/NodeOutput.h"
#include "cli/OptionPanel.h"
#include "cli/OutputSender.h"
#include "cli/OutputText.h"
#include "cli/SendingSide.h"
#include "cli/StandardOutput.h"
#include "cli/SystemErrorText.h"
#include "discovery/Identity.h"
#include "discovery/ScanListener.h"
#include "loop/DestinationSender.h"
#include "loop/NetworkInterface.h"
#include "loop/QtTimerService.h"
#include "loop/StopSignals.h"
#include "node/NodeController.h"
#include "node/SystemLogClock.h"
#include "transport/EIdException.h"

#include <QCoreApplication>
#include <QTimer>
#include <systemd/sd-daemon.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <utility>

namespace cli {

namespace {

constexpr const char* kStopLine = "送信停止";
constexpr const char* kFileEndLine = "ファイル終了";
constexpr const char* kSendFailedLine = "送信失敗";

// Ends the run when the node stops, and stops it after --count ticks. A
// run stopped by a signal ends with 0: the operator asked for it; so does one
// whose standard output failed, which main reports. A run that
// ended by itself (--count, the end of the file) ends with 1 if a datagram
// could not be sent, so a script never takes a lost run for a good one; so
// does a stop of the node on a failure of its own.
class RunControl {
public:
    enum class Reason { Signal, Output, Count };

    explicit RunControl(std::int32_t count) : count_(count) {}

    void setController(node::NodeController& controller) { controller_ = &controller; }

    // Once: a second signal read in the same wake-up must not log a second
    // stop.
    void stop(Reason reason)
    {
        if (reason_)
            return;
        reason_ = reason;
        controller_->ButtonStopClick();
    }

    void logLine(const std::string& line)
    {
        if (line == kStopLine) {
            sd_notify(0, "STOPPING=1");
            QCoreApplication::exit(exitStatus());
        } else if (line == kSendFailedLine) {
            sendFailed_ = true;
        } else if (IsTickLine(line) && ++ticks_ == count_) {
            // After the tick has ended, as the stop button would be.
            QTimer::singleShot(0, [this] { stop(Reason::Count); });
        }
        previous_ = line;
    }

private:
    int exitStatus() const
    {
        if (reason_ == Reason::Signal || reason_ == Reason::Output)
            return 0;
        // The line before the node's own stop tells a played file from a
        // failure.
        const bool finished = reason_ == Reason::Count || previous_ == kFileEndLine;
        return finished && !sendFailed_ ? 0 : 1;
    }

    std::int32_t count_;
    std::int32_t ticks_ = 0;
    std::optional<Reason> reason_;
    bool sendFailed_ = false;
    std::string previous_;
    node::NodeController* controller_ = nullptr;
};

// The node as scans see it: the panel's one CCM, at the level its interval
// gives, under the default identity.
discovery::AnsweringNode ScanAnswer(const NodeOptions& options, const std::string& ip)
{
    const char* level = options.interval == 1    ? "A-1S-0"
                        : options.interval == 10 ? "A-10S-0"
                                                 : "A-1M-0";
    return {discovery::DefaultIdentity(ip),
            {{options.type, options.room, options.region, options.order, options.priority, 0, "",
              level}}};
}

} // namespace

NodeCommand::NodeCommand(CLI::App& program)
    : Subcommand(program, "node", "Run the rain node without a window")
{
    AddNodeOptions(*command_, options_);
    AddCommonOptions(*command_, common_);
    command_->footer(
        "Log lines go to standard output as the window shows them (\"送信開始\", "
        "\"HH:MM:SS<TAB>1\", \"送信失敗\", \"ファイル終了\", \"送信停止\"). SIGINT, SIGTERM and "
        "SIGHUP stop at once with the stop line and exit status 0; a closed standard output "
        "stops too, one that cannot be written exits with 1. A run that ends by itself "
        "(--count, the end of the file) exits with 1 if a datagram could not be sent; bad "
        "options exit with 2 before anything is sent.");
}

void NodeCommand::check()
{
    CheckNodeOptions(*command_, options_);
    const std::string& name = common_.interfaceName;
    if (name.empty())
        return;
    if (!options_.ip && !loop::InterfaceAddress(name))
        throw CLI::ValidationError("--interface", name + " has no IPv4 address; give --ip");
}

std::string NodeCommand::ipText() const
{
    return options_.ip ? *options_.ip : DiscoveredAddress(common_);
}

int NodeCommand::run()
{
    NodeOutput output(common_.json);
    SendingSide sending;
    if (!sending.open(common_, "node"))
        return 2;
    std::unique_ptr<discovery::ScanListener> listener;
    if (options_.answerScans) {
        try {
            listener = std::make_unique<discovery::ScanListener>(
                std::vector{ScanAnswer(options_, ipText())}, common_.interfaceName);
        } catch (const transport::EIdException& e) {
            std::fprintf(stderr, "setarome-cli: node: --answer-scans: %s\n",
                         SystemErrorText(e).c_str());
            return 2;
        }
    }
    OutputSender sender(sending.destination(), output);
    RunControl control(common_.count);
    bool outputFailed = false;
    OptionPanel panel(options_, [&](const std::string& line) {
        output.logLine(line);
        control.logLine(line);
        // After the tick, as the stop button would be; once.
        if (StandardOutputError() != 0 && !std::exchange(outputFailed, true))
            QTimer::singleShot(0, [&control] { control.stop(RunControl::Reason::Output); });
    });
    node::SystemLogClock clock;
    QtTimerService timers;
    node::NodeController controller(panel, sender, timers, clock, [this] { return ipText(); });
    control.setController(controller);
    loop::StopSignals stopSignals;
    QObject::connect(&stopSignals, &loop::StopSignals::received,
                     [&control] { control.stop(RunControl::Reason::Signal); });

    controller.FormCreate();
    if (options_.rain == "on")
        controller.ButtonRainOnClick();
    controller.ButtonStartClick();
    sd_notify(0, "READY=1");
    return QCoreApplication::exec();
}

} // namespace cli
