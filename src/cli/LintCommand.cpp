#include "cli/LintCommand.h"

#include "cli/Duration.h"
#include "cli/OptionChecks.h"
#include "cli/OutputText.h"
#include "cli/StandardOutput.h"
#include "cli/SystemErrorText.h"
#include "loop/DatagramReceiver.h"
#include "loop/InputFile.h"
#include "loop/QtTimerService.h"
#include "loop/StopSignals.h"
#include "monitor/CaptureReader.h"
#include "monitor/ListenPorts.h"
#include "transport/EIdException.h"

#include <QCoreApplication>

#include <charconv>
#include <cstdio>
#include <limits>
#include <memory>
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
                                     "A capture (JSON lines, as monitor --capture writes); - reads "
                                     "standard input")
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
    command_->add_flag("--scans", scans_, "With --live: also the discovery ports 16521 and 16529");
    command_->add_option("--port", port_, "With --live: the data port")
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
    const bool liveOnly = scans_ || command_->get_option("--port")->count() > 0 ||
                          !interfaceName_.empty() || count_ > 0 || seconds_ > 0;
    if (liveOnly && !live_)
        throw CLI::ValidationError(
            "--scans, --port, --interface, --count and --duration need --live");
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
    monitor::LintSession session(std::move(announcements_), json_, stdout, stderr);
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
    } catch (const monitor::CaptureError& e) {
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
    monitor::CaptureReader reader(capture_);
    const std::string name = InputName(capture_);
    while (std::optional<monitor::CaptureReader::Entry> entry = reader.nextEntry()) {
        const std::string where = name + ':' + std::to_string(entry->line);
        if (entry->torn)
            std::fprintf(stderr,
                         "setarome-cli: lint: %s: the last line is cut short (no line break); "
                         "passed over\n",
                         where.c_str());
        else if (!entry->record)
            session.refused(where + ": " + entry->error);
        else
            session.message({entry->record->sourceIp, name, entry->line, entry->record->time},
                            entry->record->bytes);
        if (OutputFailed())
            return;
    }
}

void LintCommand::lintRaw(monitor::LintSession& session)
{
    monitor::CaptureReader reader(raw_);
    const std::string name = InputName(raw_);
    while (std::optional<monitor::CaptureReader::Line> line = reader.nextLine()) {
        const std::string where = name + ':' + std::to_string(line->number);
        if (line->tooLong)
            session.refused(where + ": line longer than " +
                            std::to_string(monitor::CaptureReader::kMaxLineBytes) + " bytes");
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
        throw monitor::CaptureError(e.Message());
    }
    bytes.resize(size);
    if (bytes.size() > kMaxDatagramBytes)
        throw monitor::CaptureError(name + ": longer than a UDP datagram can be (" +
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
        session.message({datagram.sourceIp, {}, 0, monitor::LocalCaptureTime(datagram.received)},
                        datagram.bytes);
        if (++received == count_ || OutputFailed())
            QCoreApplication::exit(0);
    };
    std::vector<std::unique_ptr<loop::DatagramReceiver>> receivers;
    for (const std::uint16_t port : ports) {
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
    std::uint64_t drops = 0;
    for (const auto& receiver : receivers)
        drops += receiver->kernelDrops();
    // Messages never judged: the verdict is incomplete.
    if (drops > 0)
        session.unreadable("the kernel dropped " + std::to_string(drops) +
                           " datagrams (receive buffer full)");
    return true;
}

} // namespace cli
