#include "cli/ReplayCommand.h"

#include "capture/OpenCapture.h"
#include "cli/OptionChecks.h"
#include "cli/OutputText.h"
#include "cli/StandardOutput.h"
#include "cli/SystemErrorText.h"
#include "loop/DestinationSender.h"
#include "loop/InputFile.h"
#include "loop/QtTimerService.h"
#include "loop/StopSignals.h"
#include "monitor/Replay.h"
#include "monitor/ReplaySummary.h"
#include "monitor/ReplayTimer.h"
#include "monitor/TerminalText.h"
#include "transport/EIdException.h"
#include "transport/TIdUDPClient.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QJsonObject>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <limits>
#include <map>
#include <optional>
#include <utility>

namespace cli {

namespace {

// Enough to see what fails without flooding the terminal.
constexpr std::uint64_t kFailuresShown = 10;

constexpr std::size_t kNoLimit = std::numeric_limits<std::size_t>::max();

void Complain(const std::string& what)
{
    std::fprintf(stderr, "setarome-cli: replay: %s\n", what.c_str());
    std::fflush(stderr);
}

void PassOverTorn(const std::string& name, std::size_t line)
{
    Complain(name + ':' + std::to_string(line) +
             ": the last line is cut short (no line break); passed over");
}

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
            Complain("--interface: " + common_.interfaceName + ": " + SystemErrorText(e));
            return false;
        }
    }

    std::uint16_t portOf(const capture::CaptureRecord& record) const
    {
        return portGiven_ ? common_.port : record.port;
    }

    void send(const capture::CaptureRecord& record)
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

// The records of the capture, read as the replay reaches them, round after
// round. A damaged line (only a pipe holds one by then: a regular file was
// checked first), a read that fails or a stop signal ends the stream.
class CaptureStream {
public:
    CaptureStream(std::unique_ptr<capture::RecordSource>& reader, std::set<std::uint16_t> ports,
                  std::size_t roundLimit, std::size_t totalLimit)
        : reader_(reader), ports_(std::move(ports)), roundLimit_(roundLimit),
          totalLimit_(totalLimit)
    {
    }

    std::optional<capture::CaptureRecord> next()
    {
        if (ended_ || takenInRound_ == roundLimit_ || taken_ == totalLimit_)
            return std::nullopt;
        try {
            std::optional<capture::RecordSource::Entry> entry = reader_->next();
            if (entry && entry->record) {
                ++takenInRound_;
                ++taken_;
                return std::move(entry->record);
            }
            if (!entry) {
                ReportSkipped();
                return std::nullopt;
            }
            if (entry->torn)
                PassOverTorn(reader_->name(), entry->number);
            else
                fail(capture::Located(reader_->name(), entry->number, entry->error));
        } catch (const loop::InputStopped&) {
            // The signal is still pending: StopSignals ends the run.
        } catch (const capture::CaptureError& e) {
            fail(e.Message());
        }
        ended_ = true;
        return std::nullopt;
    }

    // The file from its start for another round; false when the stream
    // ended otherwise than at a round's end, or the file cannot be opened
    // again (said).
    bool rewind(const std::string& path)
    {
        if (ended_ || taken_ == totalLimit_)
            return false;
        try {
            reader_ = capture::OpenCapture(path, ports_);
        } catch (const capture::CaptureError& e) {
            fail(e.Message());
            ended_ = true;
            return false;
        }
        takenInRound_ = 0;
        return true;
    }

    // The input could not be read in full.
    bool failed() const { return failed_; }

private:
    void fail(const std::string& what)
    {
        Complain(what);
        failed_ = true;
    }

    void ReportSkipped() const
    {
        const std::string skipped = capture::SkippedText(reader_->skipped());
        if (!skipped.empty())
            Complain(reader_->name() + ": " + skipped);
    }

    std::unique_ptr<capture::RecordSource>& reader_;
    std::set<std::uint16_t> ports_;
    std::size_t roundLimit_;
    std::size_t totalLimit_;
    std::size_t takenInRound_ = 0;
    std::size_t taken_ = 0;
    bool ended_ = false;
    bool failed_ = false;
};

class ReplayOutput {
public:
    ReplayOutput(const CommonOptions& common, const ReplaySending& sending)
        : common_(common), sending_(sending)
    {
    }

    void notSent(const capture::CaptureRecord& record)
    {
        count(record);
        if (common_.json)
            writeJson(record, std::nullopt);
        else
            WriteLine(stdout, monitor::Escaped(record.bytes));
    }

    void sent(const capture::CaptureRecord& record)
    {
        count(record);
        if (common_.json)
            writeJson(record, std::nullopt);
    }

    void sendFailed(const capture::CaptureRecord& record, const std::string& error)
    {
        ++failures_;
        if (common_.json) {
            writeJson(record, OneLine(error));
        } else if (failures_ <= kFailuresShown) {
            Complain(common_.to + ':' + std::to_string(sending_.portOf(record)) + ": " +
                     OneLine(error));
        }
    }

    // The summary: on standard error, or as the last JSON line. Not after
    // standard output went away: that ends the run quietly (see main).
    void finish(std::size_t rounds, std::chrono::steady_clock::duration duration)
    {
        if (!common_.json && failures_ > kFailuresShown)
            std::fprintf(stderr, "setarome-cli: replay: %llu datagrams could not be sent\n",
                         static_cast<unsigned long long>(failures_));
        if (StandardOutputError() != 0)
            return;
        const monitor::ReplaySummary summary{sent_, bytes_, failures_, rounds, duration};
        if (common_.json)
            WriteLine(stdout, monitor::ReplaySummaryJson(summary, common_.dryRun));
        else
            Complain(monitor::ReplaySummaryText(summary, common_.dryRun));
    }

    std::uint64_t failures() const { return failures_; }

private:
    void count(const capture::CaptureRecord& record)
    {
        ++sent_;
        bytes_ += record.bytes.size();
    }

    void writeJson(const capture::CaptureRecord& record, const std::optional<std::string>& error)
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
    std::uint64_t sent_ = 0;
    std::uint64_t bytes_ = 0;
    std::uint64_t failures_ = 0;
};

void SendOne(ReplaySending& sending, ReplayOutput& output, const capture::CaptureRecord& record)
{
    try {
        sending.send(record);
    } catch (const std::exception& e) {
        output.sendFailed(record, SystemErrorText(e));
        return;
    }
    output.sent(record);
}

} // namespace

ReplayCommand::ReplayCommand(CLI::App& program)
    : Subcommand(program, "replay", "Send the datagrams of a capture again, with their timing")
{
    command_
        ->add_option(
            "FILE", file_,
            "The capture: JSON lines, as monitor --capture writes, or pcap or pcapng (told by "
            "their first bytes); - reads standard input")
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
        "error), then one for the summary");
    command_->get_option("--count")->description("Stop after N datagrams, in all rounds");
    command_
        ->add_option("--loop", loops_,
                     "Play the capture N times. Between rounds the gaps are kept too: the next "
                     "round's first datagram follows the last one by the capture's mean gap (its "
                     "span divided by its gaps), so a steady stream stays steady. A capture of "
                     "one datagram has no gap to keep: its rounds go back to back. Standard "
                     "input and pipes cannot be read twice: more than one round needs a file")
        ->check(IntegerIn(1, 1'000'000))
        ->type_name("N")
        ->capture_default_str();
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
        "that it arrived after the first (divided by --speed). A regular file is checked "
        "through first, without being held in memory: a line that is not a capture record "
        "refuses the replay, as FILE:LINE: what, with exit status 2, before anything is sent. "
        "Standard input (-) or a pipe is checked as it is played: a damaged line ends the "
        "replay there with exit status 2. A last line cut short (no line break, as a full disk "
        "leaves it) is passed over with a warning. A datagram that cannot be sent is reported "
        "and the replay goes on; it then ends with exit status 1. SIGINT, SIGTERM and SIGHUP "
        "stop at once with exit status 0. From a pcap or pcapng file (Ethernet, VLAN, Linux "
        "cooked capture v1 and v2, raw IPv4) the UDP datagrams to the UECS ports 16520, 16521 "
        "and 16529 (and to --port where given) are sent, IPv4 fragments joined; what else it "
        "holds is counted on standard error; a damaged record is refused as FILE:RECORD: what. At "
        "the end a summary goes to standard error (with "
        "--json, a last JSON object to standard output): datagrams sent (written, with "
        "--dry-run), their bytes, those that failed, rounds begun, the duration and the rate "
        "achieved.");
}

void ReplayCommand::check()
{
    const std::size_t count = common_.count > 0 ? static_cast<std::size_t>(common_.count) : 0;
    try {
        reader_ = capture::OpenCapture(file_, ports());
        totalLimit_ = count > 0 ? count : kNoLimit;
        roundLimit_ = totalLimit_;
        if (!reader_->rereadable()) {
            // Holding a whole capture in memory to play it again has no
            // bound a user could foresee; a file has none to need.
            if (loops_ > 1)
                throw CLI::ValidationError("--loop", "standard input and pipes cannot be read "
                                                     "again: more than one round needs a file");
            return;
        }
        // Lines appended after this pass (a monitor still writing) are not
        // played, in any round: they were not checked.
        const capture::CaptureCheck checked = capture::CheckCapture(file_, ports(), count);
        roundLimit_ = checked.records;
        if (checked.tornLine)
            PassOverTorn(file_, *checked.tornLine);
    } catch (const capture::CaptureError& e) {
        throw CLI::ValidationError(e.Message());
    }
}

std::set<std::uint16_t> ReplayCommand::ports() const
{
    std::set<std::uint16_t> ports = capture::UecsPorts();
    if (command_->get_option("--port")->count() > 0)
        ports.insert(common_.port);
    return ports;
}

int ReplayCommand::run()
{
    ReplaySending sending(common_, command_->get_option("--port")->count() > 0);
    if (!common_.dryRun && !sending.open())
        return 2;
    ReplayOutput output(common_, sending);
    CaptureStream stream(reader_, ports(), roundLimit_, totalLimit_);
    std::optional<monitor::Replay> replay;
    auto started = std::chrono::steady_clock::now();
    bool ended = false;
    const auto end = [&](int status) {
        // A signal may arrive in the wake-up that ends the replay.
        if (std::exchange(ended, true))
            return;
        output.finish(replay->round(), std::chrono::steady_clock::now() - started);
        QCoreApplication::exit(status);
    };
    const auto send = [&](const capture::CaptureRecord& record) {
        if (common_.dryRun)
            output.notSent(record);
        else
            SendOne(sending, output, record);
        // A closed or failed standard output ends the replay (see main).
        if (StandardOutputError() != 0) {
            replay->stop();
            end(0);
        }
    };
    QtTimerService loopTimers;
    monitor::ReplayTimer timers(loopTimers);
    replay.emplace(
        [&stream] { return stream.next(); }, asFastAsPossible_ ? 0 : speed_, timers, send,
        [&](bool completed) {
            if (!completed)
                Complain("the system gives no timer");
            if (stream.failed())
                end(2);
            else
                end(completed && output.failures() == 0 ? 0 : 1);
        },
        static_cast<std::size_t>(loops_), [this, &stream] { return stream.rewind(file_); });
    loop::StopSignals stopSignals;
    QObject::connect(&stopSignals, &loop::StopSignals::received, [&] {
        replay->stop();
        end(0);
    });
    // Inside the loop, so that a capture sent at once can end it.
    QTimer::singleShot(0, [&] {
        started = std::chrono::steady_clock::now();
        replay->start();
    });
    return QCoreApplication::exec();
}

} // namespace cli
