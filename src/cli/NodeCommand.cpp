#include "cli/NodeCommand.h"

#include "cli/NodeOutput.h"
#include "cli/OptionPanel.h"
#include "cli/OutputSender.h"
#include "loop/DestinationSender.h"
#include "loop/NetworkInterface.h"
#include "loop/QtTimerService.h"
#include "loop/StopSignals.h"
#include "node/GetLocalAddress.h"
#include "node/LocalAddressPlatformPosix.h"
#include "node/NodeController.h"
#include "node/SystemLogClock.h"
#include "transport/EIdException.h"
#include "transport/TIdUDPClient.h"

#include <QCoreApplication>
#include <QTimer>
#include <systemd/sd-daemon.h>

#include <cstdio>
#include <memory>
#include <optional>

namespace cli {

namespace {

constexpr const char* kStopLine = "送信停止";
constexpr const char* kFileEndLine = "ファイル終了";

// The window prints the host name while it discovers its address; here
// standard output belongs to the log (or to JSON), so the line is dropped.
class QuietLocalAddressPlatform : public node::LocalAddressPlatformPosix {
public:
    void writeLine(const char*) override {}
};

// Ends the run when the node stops, and stops it after --count ticks.
class RunControl {
public:
    RunControl(std::int32_t count) : count_(count) {}

    void setController(node::NodeController& controller) { controller_ = &controller; }

    // Asked to stop: a signal or the count reached.
    void stop()
    {
        requested_ = true;
        sd_notify(0, "STOPPING=1");
        controller_->ButtonStopClick();
    }

    void logLine(const std::string& line)
    {
        if (line == kStopLine) {
            // Stopping on its own, the node met the end of its file or a
            // failure; the log line before the stop says which.
            const bool done = requested_ || previous_ == kFileEndLine;
            QCoreApplication::exit(done ? 0 : 1);
        } else if (line.find('\t') != std::string::npos && ++ticks_ == count_) {
            // After the tick has ended, as the stop button would be.
            QTimer::singleShot(0, [this] { stop(); });
        }
        previous_ = line;
    }

private:
    std::int32_t count_;
    std::int32_t ticks_ = 0;
    bool requested_ = false;
    std::string previous_;
    node::NodeController* controller_ = nullptr;
};

} // namespace

NodeCommand::NodeCommand(CLI::App& program)
    : command_(program.add_subcommand("node", "Run the rain node without a window"))
{
    AddNodeOptions(*command_, options_);
    AddCommonOptions(*command_, common_);
    command_->footer(
        "Log lines go to standard output as the window shows them (\"送信開始\", "
        "\"HH:MM:SS<TAB>1\", \"送信失敗\", \"ファイル終了\", \"送信停止\"). SIGINT and SIGTERM "
        "stop at once with the stop line and exit status 0; bad options exit with 2 "
        "before anything is sent.");
}

void NodeCommand::check() const
{
    CheckNodeOptions(*command_, options_);
    const std::string& name = common_.interfaceName;
    if (name.empty())
        return;
    if (!loop::InterfaceExists(name))
        throw CLI::ValidationError("--interface", name + " is no network interface here");
    if (!options_.ip && !loop::InterfaceAddress(name))
        throw CLI::ValidationError("--interface", name + " has no IPv4 address; give --ip");
}

std::string NodeCommand::ipText() const
{
    if (options_.ip)
        return *options_.ip;
    if (!common_.interfaceName.empty())
        return loop::InterfaceAddress(common_.interfaceName).value_or("");
    QuietLocalAddressPlatform platform;
    return node::GetLocalAddress(platform);
}

int NodeCommand::run()
{
    NodeOutput output(common_.json);
    std::unique_ptr<transport::TIdUDPClient> client;
    std::optional<loop::DestinationSender> destination;
    if (!common_.dryRun) {
        client = std::make_unique<transport::TIdUDPClient>();
        destination.emplace(*client, common_.to, common_.port);
        if (!common_.interfaceName.empty()) {
            try {
                destination->BindToInterface(common_.interfaceName);
            } catch (const transport::EIdException& e) {
                std::fprintf(stderr, "setarome-cli: node: --interface: %s: %s\n",
                             common_.interfaceName.c_str(), e.Message().c_str());
                return 2;
            }
        }
    }
    OutputSender sender(destination ? &*destination : nullptr, output);
    RunControl control(common_.count);
    OptionPanel panel(options_, [&](const std::string& line) {
        output.logLine(line);
        control.logLine(line);
    });
    node::SystemLogClock clock;
    QtTimerService timers;
    node::NodeController controller(panel, sender, timers, clock, [this] { return ipText(); });
    control.setController(controller);
    loop::StopSignals stopSignals;
    QObject::connect(&stopSignals, &loop::StopSignals::received, [&control] { control.stop(); });

    controller.FormCreate();
    if (options_.rain == "on")
        controller.ButtonRainOnClick();
    controller.ButtonStartClick();
    sd_notify(0, "READY=1");
    return QCoreApplication::exec();
}

} // namespace cli
