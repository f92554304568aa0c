#include "cli/LintCommand.h"

#include "capture/CaptureReader.h"
#include "capture/LinkReceiver.h"
#include "capture/OpenCapture.h"
#include "cli/Duration.h"
#include "cli/OptionChecks.h"
#include "cli/OutputText.h"
#include "cli/ReceiverOption.h"
#include "cli/StandardOutput.h"
#include "cli/SystemErrorText.h"
#include "loop/DatagramReceiver.h"
#include "loop/InputFile.h"
#include "loop/QtTimerService.h"
#include "loop/StopSignals.h"
#include "monitor/ListenPorts.h"
#include "transport/EIdException.h"

#include <QCoreApplication>

#include <charconv>
#include <cstdio>
#include <limits>
#include <memory>
#include <set>
#include <utility>

namespace cli {

namespace {

// As the monitor's: room for bursts of a large segment while a message is judged.
constexpr int kReceiveBuffer = 16 * 1024 * 1024;

// The longest datagram UDP over IPv4 carries.
constexpr std::size_t kMaxDatagramBytes = 65507;

// What messages call an input: standard input by name.
std::string InputName(const std::string& path)
{
    return path == "-" ? "<stdin>" : path;
}

// A closed or failed standard output ends the reading (see main).
bool OutputFailed()
{
    return StandardOutputError() != 0;
}

// "TYPE=N": a type and the decimals its values are written with.
bool ParseCast(const std::string& text, std::string& type, std::int32_t& cast)
{
    const std::size_t equals = text.rfind('=');
    if (equals == std::string::npos || equals == 0)
        return false;
    type = text.substr(0, equals);
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data() + equals + 1, end, cast);
    return result.ec == std::errc() && result.ptr == end && cast >= 0 && cast <= 9;
}

} // namespace

LintCommand::LintCommand(CLI::App& program)
    : Subcommand(program, "lint", "Report every departure of messages from the literal forms")
{
    auto* capture = command_
                        ->add_option("FILE", capture_,
                                     "A capture (JSON lines, as monitor --capture writes, or pcap "
                                     "or pcapng); - reads standard input")
                        ->type_name("FILE");
    auto* raw = command_
                    ->add_option("--raw", raw_,
                                 "Messages as text, one per line (- reads standard input). "
                                 "The line break ends the message, so a trailing line break "
                                 "cannot be judged here")
                    ->type_name("FILE");
    auto* datagram = command_
                         ->add_option("--datagram", datagram_,
                                      "The whole file (- standard input) as one datagram, "
                                      "byte for byte")
                         ->type_name("FILE");
    auto* live = command_->add_flag("--live", live_, "Receive datagrams on --port and lint them");
    capture->excludes(raw, datagram, live);
    raw->excludes(datagram, live);
    datagram->excludes(live);
    command_->add_flag("--link", link_,
                       "With --live: capture every datagram to the ports on the link through "
                       "libpcap instead of a socket, unicast held by another program's socket "
                       "too. Needs CAP_NET_RAW");
    command_->add_flag("--scans", scans_, "With --live: also the discovery ports 16521 and 16529");
    command_
        ->add_option("--port", port_,
                     "With --live: the data port; with a packet capture: datagrams to it "
                     "too, besides the UECS ports")
        ->check(IntegerIn(1, 65535))
        ->type_name("1..65535")
        ->capture_default_str();
    command_
        ->add_option("--interface", interfaceName_, "With --live: receive on this interface only")
        ->check(NetworkInterfaceName())
        ->type_name("NAME");
    command_->add_option("--count", count_, "With --live: stop after N datagrams")
        ->check(IntegerIn(1, std::numeric_limits<std::int32_t>::max()))
        ->type_name("N");
    AddDurationOption(*command_, seconds_,
                      "With --live: stop after this long: 90, 90s, 15m, 1h30m or 1d");
    command_
        ->add_option("--cast", casts_,
                     "Values of this type are written with N decimals (as a CCMSCAN reply "
                     "announces; replies in the input count too)")
        ->type_name("TYPE=N");
    AddReceiverOption(*command_, receiver_,
                      "a finding dropped-by-literal-receiver per such message, with the first "
                      "rule it breaks");
    command_->add_flag("--json", json_,
                       "One JSON object per finding (time, file and line, source, each when "
                       "known; kind, code, detail)");
    command_->footer(
        "One line per finding: FILE:LINE: SOURCE: kind: code: detail for a capture's record, "
        "FILE:LINE: kind: ... for text, TIME SOURCE: kind: ... live, escaped; then a summary on "
        "standard error. A capture line that cannot be read is "
        "reported as FILE:LINE: what and lint goes on with the next. Exit status: 0 nothing "
        "found, 1 something found (a message that does not decode counts) or a system failure (a "
        "port that cannot be opened, standard output that cannot be written), 2 bad usage or "
        "an input that could not be read in full (a live run whose datagrams the kernel "
        "dropped, a file stopped by a signal, too); a file is a regular file or a pipe. A last "
        "capture line cut short (no line break, as a full disk leaves it) is passed over with "
        "a warning. SIGINT, SIGTERM and SIGHUP end the run with the summary and its exit "
        "status.");
}

void LintCommand::check()
{
    if (capture_.empty() && raw_.empty() && datagram_.empty() && !live_)
        throw CLI::ValidationError("a capture FILE, --raw, --datagram or --live is needed");
    const bool liveOnly = scans_ || link_ || !interfaceName_.empty() || count_ > 0 || seconds_ > 0;
    if (liveOnly && !live_)
        throw CLI::ValidationError(
            "--scans, --link, --interface, --count and --duration need --live");
    if (command_->get_option("--port")->count() > 0 && !live_ && capture_.empty())
        throw CLI::ValidationError("--port needs --live or a capture FILE");
    for (const std::string& text : casts_) {
        std::string type;
        std::int32_t cast = 0;
        if (!ParseCast(text, type, cast))
            throw CLI::ValidationError("--cast", text + " is not TYPE=N with N 0..9");
        announcements_.given(type, cast);
    }
}

int LintCommand::run()
{
    monitor::LintSession session(std::move(announcements_), json_, stdout, stderr,
                                 ReceiverProfileOf(receiver_));
    try {
        if (!capture_.empty())
            lintCapture(session);
        else if (!raw_.empty())
            lintRaw(session);
        else if (!datagram_.empty())
            lintDatagram(session);
        else if (!lintLive(session))
            return 1;
    } catch (const loop::InputStopped&) {
        // What was judged is reported; the verdict lacks the rest.
        session.unreadable(InputName(!capture_.empty() ? capture_
                                     : !raw_.empty()   ? raw_
                                                       : datagram_) +
                           ": stopped by a signal before its end");
    } catch (const capture::CaptureError& e) {
        session.unreadable(e.Message());
        // Nothing read: the error says all.
        if (session.tally().messages == 0)
            return session.exitStatus();
    }
    session.finish();
    return session.exitStatus();
}

void LintCommand::lintCapture(monitor::LintSession& session)
{
    std::set<std::uint16_t> ports = capture::UecsPorts();
    ports.insert(port_);
    const std::unique_ptr<capture::RecordSource> source = capture::OpenCapture(capture_, ports);
    const std::string name = InputName(capture_);
    while (std::optional<capture::RecordSource::Entry> entry = source->next()) {
        const std::string where = name + ':' + std::to_string(entry->number);
        if (entry->torn)
            std::fprintf(stderr,
                         "setarome-cli: lint: %s: the last line is cut short (no line break); "
                         "passed over\n",
                         where.c_str());
        else if (!entry->record)
            session.refused(where + ": " + entry->error);
        else
            session.message({entry->record->sourceIp, name, entry->number, entry->record->time},
                            entry->record->bytes);
        if (OutputFailed())
            return;
    }
    const std::string skipped = capture::SkippedText(source->skipped());
    if (!skipped.empty())
        std::fprintf(stderr, "setarome-cli: lint: %s: %s\n", name.c_str(), skipped.c_str());
}

void LintCommand::lintRaw(monitor::LintSession& session)
{
    capture::CaptureReader reader(raw_);
    const std::string name = InputName(raw_);
    while (std::optional<capture::CaptureReader::Line> line = reader.nextLine()) {
        const std::string where = name + ':' + std::to_string(line->number);
        if (line->tooLong)
            session.refused(where + ": line longer than " +
                            std::to_string(capture::CaptureReader::kMaxLineBytes) + " bytes");
        else if (!line->text.empty())
            session.message({{}, name, line->number, {}}, line->text);
        if (OutputFailed())
            return;
    }
}

void LintCommand::lintDatagram(monitor::LintSession& session)
{
    const std::string name = InputName(datagram_);
    std::string bytes(kMaxDatagramBytes + 1, '\0');
    std::size_t size = 0;
    try {
        loop::InputFile input(datagram_);
        for (std::size_t got = 1; got > 0 && size < bytes.size(); size += got)
            got = input.read(bytes.data() + size, bytes.size() - size);
    } catch (const loop::InputStopped&) {
        throw;
    } catch (const runtime::Exception& e) {
        throw capture::CaptureError(e.Message());
    }
    bytes.resize(size);
    if (bytes.size() > kMaxDatagramBytes)
        throw capture::CaptureError(name + ": longer than a UDP datagram can be (" +
                                    std::to_string(kMaxDatagramBytes) + " bytes)");
    session.message({{}, name, 1, {}}, bytes);
}

bool LintCommand::lintLive(monitor::LintSession& session)
{
    const std::vector<std::uint16_t> ports = monitor::ListenPorts(port_, scans_);
    std::int64_t received = 0;
    const auto handle = [&](const loop::ReceivedDatagram& datagram) {
        if (count_ > 0 && received >= count_)
            return;
        session.message({datagram.sourceIp, {}, 0, capture::LocalCaptureTime(datagram.received)},
                        datagram.bytes);
        if (++received == count_ || OutputFailed())
            QCoreApplication::exit(0);
    };
    std::unique_ptr<capture::LinkReceiver> link;
    try {
        if (link_)
            link = std::make_unique<capture::LinkReceiver>(
                interfaceName_, std::set<std::uint16_t>(ports.begin(), ports.end()), handle);
    } catch (const runtime::Exception& e) {
        std::fprintf(stderr, "setarome-cli: lint: --link: %s\n", e.what());
        return false;
    }
    std::vector<std::unique_ptr<loop::DatagramReceiver>> receivers;
    for (const std::uint16_t port : link ? std::vector<std::uint16_t>() : ports) {
        try {
            receivers.push_back(std::make_unique<loop::DatagramReceiver>(
                loop::ReceiverOptions{port, interfaceName_, kReceiveBuffer, false}, handle));
        } catch (const transport::EIdException& e) {
            std::fprintf(stderr, "setarome-cli: lint: port %u: %s\n", port,
                         SystemErrorText(e, port).c_str());
            return false;
        }
    }
    loop::StopSignals stopSignals;
    QObject::connect(&stopSignals, &loop::StopSignals::received, [] { QCoreApplication::exit(0); });
    // On the node's timer, which waits out any --duration in bounded steps.
    QtTimerService stopTimer;
    if (seconds_ > 0 && !stopTimer.arm(stopTimer.now() + std::chrono::seconds(seconds_),
                                       [] { QCoreApplication::exit(0); })) {
        std::fprintf(stderr, "setarome-cli: lint: the system gives no timer\n");
        return false;
    }
    QCoreApplication::exec();
    // What arrived before the stop is still judged.
    if (!OutputFailed())
        for (const auto& receiver : receivers)
            receiver->readQueued();
    std::uint64_t drops = link ? link->kernelDrops() : 0;
    for (const auto& receiver : receivers)
        drops += receiver->kernelDrops();
    // Messages never judged: the verdict is incomplete.
    if (drops > 0)
        session.unreadable("the kernel dropped " + std::to_string(drops) +
                           " datagrams (receive buffer full)");
    return true;
}

} // namespace cli
