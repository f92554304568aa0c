#include "cli/ReplayCommand.h"

#include "cli/OptionChecks.h"
#include "cli/OutputText.h"
#include "loop/DestinationSender.h"
#include "loop/QtTimerService.h"
#include "loop/StopSignals.h"
#include "monitor/CaptureReader.h"
#include "monitor/Replay.h"
#include "monitor/ReplayTimer.h"
#include "monitor/TerminalText.h"
#include "transport/EIdException.h"
#include "transport/TIdUDPClient.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QJsonObject>
#include <QTimer>

#include <cstdio>
#include <map>
#include <optional>
#include <utility>

namespace cli {

namespace {

// Enough to see what fails without flooding the terminal.
constexpr std::uint64_t kFailuresShown = 10;

// One UDP client; one destination per port, since each datagram goes back to
// the port it arrived on unless --port names one.
class ReplaySending {
public:
    ReplaySending(const CommonOptions& common, bool portGiven)
        : common_(common), portGiven_(portGiven)
    {
    }

    // False, with the reason on standard error, when the interface cannot be
    // bound.
    bool open()
    {
        if (common_.interfaceName.empty())
            return true;
        try {
            destination(common_.port).BindToInterface(common_.interfaceName);
            return true;
        } catch (const transport::EIdException& e) {
            std::fprintf(stderr, "setarome-cli: replay: --interface: %s: %s\n",
                         common_.interfaceName.c_str(), OneLine(e.Message()).c_str());
            return false;
        }
    }

    std::uint16_t portOf(const monitor::CaptureRecord& record) const
    {
        return portGiven_ ? common_.port : record.port;
    }

    void send(const monitor::CaptureRecord& record)
    {
        destination(portOf(record)).SendToDestination(record.bytes);
    }

private:
    loop::DestinationSender& destination(std::uint16_t port)
    {
        auto found = destinations_.find(port);
        if (found == destinations_.end())
            found = destinations_.try_emplace(port, client_, common_.to, port).first;
        return found->second;
    }

    const CommonOptions& common_;
    bool portGiven_;
    transport::TIdUDPClient client_;
    std::map<std::uint16_t, loop::DestinationSender> destinations_;
};

class ReplayOutput {
public:
    ReplayOutput(const CommonOptions& common, const ReplaySending& sending)
        : common_(common), sending_(sending)
    {
    }

    void notSent(const monitor::CaptureRecord& record)
    {
        if (common_.json)
            writeJson(record, std::nullopt);
        else
            WriteLine(stdout, monitor::Escaped(record.bytes));
    }

    void sent(const monitor::CaptureRecord& record)
    {
        if (common_.json)
            writeJson(record, std::nullopt);
    }

    void sendFailed(const monitor::CaptureRecord& record, const std::string& error)
    {
        ++failures_;
        if (common_.json) {
            writeJson(record, OneLine(error));
        } else if (failures_ <= kFailuresShown) {
            std::fprintf(stderr, "setarome-cli: replay: %s:%u: %s\n", common_.to.c_str(),
                         sending_.portOf(record), OneLine(error).c_str());
            std::fflush(stderr);
        }
    }

    void finish()
    {
        if (!common_.json && failures_ > kFailuresShown)
            std::fprintf(stderr, "setarome-cli: replay: %llu datagrams could not be sent\n",
                         static_cast<unsigned long long>(failures_));
    }

    std::uint64_t failures() const { return failures_; }

private:
    void writeJson(const monitor::CaptureRecord& record, const std::optional<std::string>& error)
    {
        const QByteArray bytes(record.bytes.data(), static_cast<qsizetype>(record.bytes.size()));
        QJsonObject object{{"time", NowText()},
                           {"captured", QString::fromStdString(FormatCaptureTime(record.time))},
                           {"to", QString::fromStdString(common_.to)},
                           {"port", sending_.portOf(record)},
                           {"size", static_cast<qint64>(record.bytes.size())},
                           {"bytes", QString::fromLatin1(bytes.toBase64())}};
        WriteDatagramJson(stdout, object, error, common_.dryRun);
    }

    const CommonOptions& common_;
    const ReplaySending& sending_;
    std::uint64_t failures_ = 0;
};

} // namespace

ReplayCommand::ReplayCommand(CLI::App& program)
    : Subcommand(program, "replay", "Send the datagrams of a capture again, with their timing")
{
    command_->add_option("FILE", file_, "The capture (JSON lines, as monitor --capture writes)")
        ->required()
        ->type_name("FILE");
    AddCommonOptions(*command_, common_);
    // Its default is each record's own port, not the common one.
    command_->get_option("--port")
        ->description("Send every datagram to this port (default: the port each arrived on)")
        ->default_str("");
    command_->get_option("--interface")
        ->description("Send out of this interface only. Binding to a device needs CAP_NET_RAW "
                      "on Linux before 5.7");
    command_->get_option("--dry-run")
        ->description("Write each datagram to standard output, escaped, at its time, instead "
                      "of sending it");
    command_->get_option("--json")->description(
        "One JSON object per datagram (time, captured, to, port, size, bytes in base64, sent or "
        "error)");
    command_->get_option("--count")->description("Stop after N datagrams");
    auto* speed = command_
                      ->add_option("--speed", speed_,
                                   "Play this many times faster than captured (0.5: half "
                                   "as fast)")
                      ->check(DecimalIn(monitor::ReplaySchedule::kMinSpeed,
                                        monitor::ReplaySchedule::kMaxSpeed))
                      ->type_name(DecimalRange(monitor::ReplaySchedule::kMinSpeed,
                                               monitor::ReplaySchedule::kMaxSpeed))
                      ->capture_default_str();
    command_
        ->add_flag("--as-fast-as-possible", asFastAsPossible_,
                   "Send the datagrams back to back, in order, without their gaps")
        ->excludes(speed);
    command_->footer(
        "Each datagram is sent unchanged, in the capture's order, at the time after the start "
        "that it arrived after the first (divided by --speed). The whole capture is read "
        "first: a line that is not a capture record refuses the replay, as FILE:LINE: what, "
        "with exit status 2, before anything is sent. A datagram that cannot be sent is "
        "reported and the replay goes on; it then ends with exit status 1. SIGINT and SIGTERM "
        "stop at once with exit status 0.");
}

void ReplayCommand::check()
{
    try {
        records_ = monitor::ReadCapture(file_);
    } catch (const monitor::CaptureError& e) {
        throw CLI::ValidationError(e.Message());
    }
    if (common_.count > 0 && records_.size() > static_cast<std::size_t>(common_.count))
        records_.resize(static_cast<std::size_t>(common_.count));
}

int ReplayCommand::run()
{
    ReplaySending sending(common_, command_->get_option("--port")->count() > 0);
    if (!common_.dryRun && !sending.open())
        return 2;
    ReplayOutput output(common_, sending);
    const auto send = [&](const monitor::CaptureRecord& record) {
        if (common_.dryRun) {
            output.notSent(record);
            return;
        }
        try {
            sending.send(record);
        } catch (const std::exception& e) {
            output.sendFailed(record, e.what());
            return;
        }
        output.sent(record);
    };
    bool ended = false;
    const auto end = [&](int status) {
        // A signal may arrive in the wake-up that ends the replay.
        if (std::exchange(ended, true))
            return;
        output.finish();
        QCoreApplication::exit(status);
    };
    QtTimerService loopTimers;
    monitor::ReplayTimer timers(loopTimers);
    monitor::Replay replay(records_, asFastAsPossible_ ? 0 : speed_, timers, send,
                           [&](bool completed) {
                               if (!completed)
                                   std::fprintf(stderr, "setarome-cli: replay: the system gives no "
                                                        "timer\n");
                               end(completed && output.failures() == 0 ? 0 : 1);
                           });
    loop::StopSignals stopSignals;
    QObject::connect(&stopSignals, &loop::StopSignals::received, [&] {
        replay.stop();
        end(0);
    });
    // Inside the loop, so that a capture sent at once can end it.
    QTimer::singleShot(0, [&replay] { replay.start(); });
    return QCoreApplication::exec();
}

} // namespace cli
