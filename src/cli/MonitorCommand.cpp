#include "cli/MonitorCommand.h"

#include "capture/LinkReceiver.h"
#include "capture/OpenCapture.h"
#include "ccm/Ipv4Text.h"
#include "cli/Duration.h"
#include "cli/OptionChecks.h"
#include "cli/OutputText.h"
#include "cli/ReceiverOption.h"
#include "cli/StandardOutput.h"
#include "cli/SystemErrorText.h"
#include "loop/DatagramReceiver.h"
#include "loop/QtTimerService.h"
#include "loop/StopSignals.h"
#include "monitor/DiscardView.h"
#include "monitor/LineView.h"
#include "monitor/ListenPorts.h"
#include "monitor/Monitor.h"
#include "monitor/ScreenView.h"
#include "runtime/Exception.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <set>
#include <unistd.h>
#include <utility>

namespace cli {

namespace {

// Enough for 50 000 datagrams a second while the monitor writes a capture
// (the kernel charges each small datagram about 1 KiB of buffer).
constexpr int kDefaultReceiveBuffer = 16 * 1024 * 1024;
constexpr int kRefreshMs = 250;
constexpr int kCaptureFlushMs = 1000;

bool OnTerminal()
{
    const char* term = std::getenv("TERM");
    return ::isatty(fileno(stdout)) == 1 && term != nullptr && std::strcmp(term, "dumb") != 0;
}

void Complain(const std::string& what)
{
    std::fprintf(stderr, "setarome-cli: monitor: %s\n", OneLine(what).c_str());
    std::fflush(stderr);
}

// One run: the receivers feed the monitor until the end, which writes the
// rest of the capture, the final view and the summary. A capture that cannot
// be written is reported once and ends the run.
class Session {
public:
    Session(monitor::Monitor& monitor, monitor::MonitorView& view, capture::RecordSink* capture,
            std::int64_t count)
        : monitor_(monitor), view_(view), capture_(capture), count_(count)
    {
    }

    // Throws transport::EIdSocketError when the port cannot be used.
    void listen(const loop::ReceiverOptions& options)
    {
        receivers_.push_back(std::make_unique<loop::DatagramReceiver>(
            options, [this](const loop::ReceivedDatagram& received) { take(received); }));
    }

    // Every datagram to the ports on the link instead. Throws
    // runtime::Exception when the link cannot be captured on.
    void listenLink(const std::string& interfaceName, const std::vector<std::uint16_t>& ports)
    {
        links_.push_back(std::make_unique<capture::LinkReceiver>(
            interfaceName, std::set<std::uint16_t>(ports.begin(), ports.end()),
            [this](const loop::ReceivedDatagram& received) { take(received); }));
    }

    void refresh()
    {
        view_.refresh(monitor_.table(), counts(), monitor::Clock::now());
        // A closed or failed standard output ends the run (see main).
        if (StandardOutputError() != 0)
            end(0);
    }

    void flushCapture()
    {
        try {
            if (capture_ != nullptr)
                capture_->flush();
        } catch (const runtime::Exception& e) {
            captureFailed(e);
        }
    }

    // A stop from outside (a signal, --duration): what arrived before it is
    // still taken.
    void stop()
    {
        for (const auto& receiver : receivers_)
            receiver->readQueued();
        end(0);
    }

    void end(int status)
    {
        // A signal may arrive in the wake-up that ends the run.
        if (std::exchange(ended_, true))
            return;
        status_ = status;
        flushCapture();
        const monitor::Counts final = counts();
        view_.finish(monitor_.table(), final, monitor::Clock::now());
        std::fprintf(stderr,
                     "setarome-cli: monitor: received %llu, not decoded %llu, kernel drops %llu, "
                     "keys %zu, evicted %llu\n",
                     static_cast<unsigned long long>(final.received),
                     static_cast<unsigned long long>(final.notDecoded),
                     static_cast<unsigned long long>(final.kernelDrops), monitor_.table().size(),
                     static_cast<unsigned long long>(monitor_.table().evicted()));
        QCoreApplication::exit(status_);
    }

    int status() const { return status_; }

private:
    void take(const loop::ReceivedDatagram& received)
    {
        if (ended_)
            return;
        try {
            monitor_.take({received.bytes, received.sourceIp, received.sourcePort,
                           received.localPort, received.received, received.arrived,
                           received.destinationAddress != 0
                               ? ccm::Ipv4Text(received.destinationAddress)
                               : std::string()});
        } catch (const runtime::Exception& e) {
            captureFailed(e);
            return;
        }
        if (count_ > 0 && static_cast<std::int64_t>(monitor_.counts().shown) >= count_)
            end(0);
    }

    void captureFailed(const runtime::Exception& e)
    {
        Complain(e.what());
        // The writer is of no further use: nothing more is written to it.
        capture_ = nullptr;
        if (ended_)
            status_ = 1;
        else
            end(1);
    }

    monitor::Counts counts() const
    {
        monitor::Counts counts = monitor_.counts();
        for (const auto& receiver : receivers_)
            counts.kernelDrops += receiver->kernelDrops();
        for (const auto& link : links_)
            counts.kernelDrops += link->kernelDrops();
        return counts;
    }

    monitor::Monitor& monitor_;
    monitor::MonitorView& view_;
    capture::RecordSink* capture_;
    std::int64_t count_;
    std::vector<std::unique_ptr<loop::DatagramReceiver>> receivers_;
    std::vector<std::unique_ptr<capture::LinkReceiver>> links_;
    bool ended_ = false;
    int status_ = 0;
};

} // namespace

MonitorCommand::MonitorCommand(CLI::App& program)
    : Subcommand(program, "monitor", "Show every CCM heard on the segment, live")
{
    capture_.keep = 5;
    command_->add_option("--port", port_, "The data port to listen on")
        ->check(IntegerIn(1, 65535))
        ->type_name("1..65535")
        ->capture_default_str();
    command_->add_flag("--scans", scans_,
                       "Also listen to the discovery ports 16521 (SEARCH) and 16529 (NODESCAN, "
                       "CCMSCAN) and show their messages");
    command_
        ->add_option("--interface", interfaceName_,
                     "Hear only what arrives on this interface. Binding to a device needs "
                     "CAP_NET_RAW on Linux before 5.7")
        ->check(NetworkInterfaceName())
        ->type_name("NAME");
    receiveBuffer_ = kDefaultReceiveBuffer;
    command_
        ->add_option("--receive-buffer", receiveBuffer_,
                     "Socket receive buffer; the default keeps up with 50 000 datagrams a "
                     "second (the system may grant less to a user without CAP_NET_ADMIN)")
        ->check(IntegerIn(4096, std::numeric_limits<int>::max() / 2))
        ->type_name("BYTES")
        ->capture_default_str();
    command_->add_option("--type", types_, "Show only this CCM type (repeat for several)")
        ->type_name("TYPE");
    command_->add_option("--room", rooms_, "Show only this room (repeat for several)")
        ->check(IntegerIn(0, 127))
        ->type_name("0..127");
    command_->add_option("--region", regions_, "Show only this region (repeat for several)")
        ->check(IntegerIn(0, 127))
        ->type_name("0..127");
    command_
        ->add_option("--source", sources_,
                     "Show only datagrams from this address (repeat "
                     "for several)")
        ->check(Ipv4Address())
        ->type_name("ADDRESS");
    command_->add_flag("--json", json_,
                       "One JSON object per datagram instead of the table: its capture line "
                       "(time, source, source_port, port, size, bytes, kind, fields and "
                       "findings or error and offset), then for data interval, datagrams, "
                       "rate, missed, first_seen, last_seen and flags");
    AddReceiverOption(*command_, receiver_,
                      "a row whose last datagram it would drop is flagged literal-drop");
    command_
        ->add_option("--count", count_,
                     "Stop after showing N datagrams, those the filters admit (default: until "
                     "stopped)")
        ->check(IntegerIn(1, std::numeric_limits<std::int64_t>::max()))
        ->type_name("N");
    AddDurationOption(*command_, seconds_, "Stop after this long: 90, 90s, 15m, 1h30m or 1d");
    command_
        ->add_option("--max-keys", maxKeys_,
                     "Rows kept at most; beyond it the least recently updated goes")
        ->check(IntegerIn(1, 10'000'000))
        ->type_name("N")
        ->capture_default_str();
    command_
        ->add_option("--capture", capture_.path,
                     "Append every datagram heard, whatever the filters, to FILE as one JSON "
                     "line (time, source, source_port, destination, port, size, bytes, kind, "
                     "fields, findings), or as a packet in a pcap file when FILE ends in .pcap")
        ->type_name("FILE");
    command_->add_flag("--link", link_,
                       "Capture every datagram to the ports on the link (--interface, else "
                       "every interface) through libpcap instead of a socket: unicast held by "
                       "another program's socket too, incoming and outgoing. Needs CAP_NET_RAW");
    command_
        ->add_option("--capture-format", captureFormat_,
                     "The capture's format whatever its name: jsonl or pcap (raw IPv4, with "
                     "each datagram's receive time, addresses and ports; Wireshark opens it)")
        ->check(CLI::IsMember({"jsonl", "pcap"}))
        ->type_name("jsonl|pcap");
    command_
        ->add_option("--capture-size", capture_.maxBytes,
                     "Start a new capture file when it would grow past this size: FILE "
                     "becomes FILE.1, FILE.1 FILE.2 ... (default: never)")
        ->check(IntegerIn(4096, std::numeric_limits<std::int64_t>::max()))
        ->type_name("BYTES");
    // At least one: none would delete the whole capture at each rotation.
    command_->add_option("--capture-keep", capture_.keep, "Rotated capture files kept")
        ->check(IntegerIn(1, 1000))
        ->type_name("N")
        ->capture_default_str();
    command_->footer(
        "On a terminal the table is redrawn in place a few times a second; piped, each "
        "datagram is one line (or one JSON object with --json). Each row counts its datagrams, "
        "their rate (between the first and the last) and the sends missed: a gap of k times "
        "the sender's interval (the median of its last five gaps, judged once it has two) "
        "counts k-1. Flags: stale (no update for "
        "three times its interval), conflict (two senders with the same key and priority), "
        "mismatch (the <IP> text is not the source address), literal-drop (with --receiver "
        "literal). Text from the network is shown "
        "escaped. SIGINT, SIGTERM and SIGHUP stop with the final table, the capture written, a "
        "summary on standard error and exit status 0; so does a closed standard output. A "
        "capture or standard output that cannot be written, or a port that cannot be opened, "
        "ends the run with exit status 1.");
}

void MonitorCommand::check()
{
    if (capture_.path.empty()) {
        for (const char* option : {"--capture-size", "--capture-keep", "--capture-format"})
            if (command_->count(option) > 0)
                throw CLI::ValidationError(option, "needs --capture FILE");
    }
    filter_.types = {types_.begin(), types_.end()};
    filter_.rooms = {rooms_.begin(), rooms_.end()};
    filter_.regions = {regions_.begin(), regions_.end()};
    filter_.sources = {sources_.begin(), sources_.end()};
}

std::vector<std::uint16_t> MonitorCommand::ports() const
{
    return monitor::ListenPorts(port_, scans_);
}

std::string MonitorCommand::header() const
{
    std::string text = "setarome-cli monitor: port";
    const std::vector<std::uint16_t> listened = ports();
    text += listened.size() > 1 ? "s" : "";
    for (std::size_t i = 0; i < listened.size(); ++i)
        text += (i == 0 ? " " : ", ") + std::to_string(listened[i]);
    if (!interfaceName_.empty())
        text += " on " + interfaceName_;
    if (!capture_.path.empty())
        text += ", capture " + capture_.path;
    return text;
}

int MonitorCommand::run()
{
    std::unique_ptr<capture::RecordSink> capture;
    try {
        const capture::CaptureFormat format =
            captureFormat_.empty()     ? capture::FormatByName(capture_.path)
            : captureFormat_ == "pcap" ? capture::CaptureFormat::pcap
                                       : capture::CaptureFormat::jsonLines;
        if (!capture_.path.empty())
            capture = capture::CreateCapture(capture_, format);
    } catch (const runtime::Exception& e) {
        Complain(e.what());
        return 2;
    }
    std::unique_ptr<monitor::MonitorView> view;
    if (IsNullDevice(STDOUT_FILENO)) {
        view = std::make_unique<monitor::DiscardView>();
    } else if (!json_ && OnTerminal()) {
        const char* noColour = std::getenv("NO_COLOR");
        view = std::make_unique<monitor::ScreenView>(
            stdout, noColour == nullptr || *noColour == '\0', header());
    } else {
        // Flushed at each refresh, not at each line. The buffer is ours:
        // given none, glibc keeps the file's block size (4 KiB for a pipe),
        // a write for every 30 lines.
        static char lines[64 * 1024];
        std::setvbuf(stdout, lines, _IOFBF, sizeof lines);
        view = std::make_unique<monitor::LineView>(stdout, json_);
    }
    monitor::Monitor monitor(static_cast<std::size_t>(maxKeys_), filter_, *view, capture.get(),
                             ReceiverProfileOf(receiver_));
    Session session(monitor, *view, capture.get(), count_);
    try {
        if (link_)
            session.listenLink(interfaceName_, ports());
    } catch (const std::exception& e) {
        view.reset();
        Complain("--link: " + std::string(e.what()));
        return 1;
    }
    for (const std::uint16_t port : link_ ? std::vector<std::uint16_t>() : ports()) {
        try {
            session.listen({port, interfaceName_, receiveBuffer_});
        } catch (const std::exception& e) {
            view.reset();
            Complain("port " + std::to_string(port) + ": " + SystemErrorText(e, port));
            return 1;
        }
    }
    QTimer refresh;
    QObject::connect(&refresh, &QTimer::timeout, [&] { session.refresh(); });
    refresh.start(kRefreshMs);
    QTimer flush;
    QObject::connect(&flush, &QTimer::timeout, [&] { session.flushCapture(); });
    if (capture)
        flush.start(kCaptureFlushMs);
    // On the node's timer, which waits out any --duration in bounded steps.
    QtTimerService stopTimer;
    if (seconds_ > 0 &&
        !stopTimer.arm(stopTimer.now() + std::chrono::seconds(seconds_), [&] { session.stop(); })) {
        view.reset();
        Complain("the system gives no timer");
        return 1;
    }
    loop::StopSignals stopSignals;
    QObject::connect(&stopSignals, &loop::StopSignals::received, [&] { session.stop(); });
    QTimer::singleShot(0, [&] { session.refresh(); });
    QCoreApplication::exec();
    return session.status();
}

} // namespace cli
