#include "cli/ConvertCommand.h"

#include "capture/OpenCapture.h"
#include "cli/OptionChecks.h"
#include "loop/InputFile.h"

#include <cstdio>
#include <memory>

namespace cli {

namespace {

void Complain(const std::string& what)
{
    std::fprintf(stderr, "setarome-cli: convert: %s\n", what.c_str());
}

} // namespace

ConvertCommand::ConvertCommand(CLI::App& program)
    : Subcommand(program, "convert", "Rewrite a capture in another format")
{
    command_
        ->add_option("IN", input_,
                     "The capture: JSON lines, pcap or pcapng (told by their first bytes); - "
                     "reads standard input")
        ->required()
        ->type_name("FILE");
    command_
        ->add_option("OUT", output_,
                     "The file written (appended to): pcap when it ends in .pcap, else JSON "
                     "lines")
        ->required()
        ->type_name("FILE");
    command_->add_option("--format", format_, "OUT's format whatever its name")
        ->check(CLI::IsMember({"jsonl", "pcap"}))
        ->type_name("jsonl|pcap");
    command_
        ->add_option("--port", port_,
                     "From a packet capture: datagrams to this port too, besides the UECS "
                     "ports 16520, 16521 and 16529")
        ->check(IntegerIn(1, 65535))
        ->type_name("1..65535");
    command_->footer(
        "Every datagram keeps its receive time, source and destination address and ports "
        "and bytes; a pcap file holds them as raw IPv4 packets that Wireshark and tshark "
        "open. From a packet capture, what is not UDP over IPv4 to the ports read is counted "
        "on standard error and left out. A damaged record refuses a regular file before "
        "anything is written (FILE:N: what, exit status 2); from standard input it ends the "
        "conversion there with exit status 2.");
}

std::set<std::uint16_t> ConvertCommand::ports() const
{
    std::set<std::uint16_t> ports = capture::UecsPorts();
    if (port_ != 0)
        ports.insert(port_);
    return ports;
}

void ConvertCommand::check()
{
    try {
        source_ = capture::OpenCapture(input_, ports());
        if (source_->rereadable())
            capture::CheckCapture(input_, ports(), 0);
    } catch (const capture::CaptureError& e) {
        throw CLI::ValidationError(e.Message());
    }
}

int ConvertCommand::run()
{
    const capture::CaptureFormat format = format_.empty()     ? capture::FormatByName(output_)
                                          : format_ == "pcap" ? capture::CaptureFormat::pcap
                                                              : capture::CaptureFormat::jsonLines;
    int status = 0;
    try {
        capture::RecordSource& source = *source_;
        const std::unique_ptr<capture::RecordSink> sink =
            capture::CreateCapture({output_, 0, 0}, format);
        while (std::optional<capture::RecordSource::Entry> entry = source.next()) {
            if (entry->record) {
                sink->write(*entry->record);
            } else if (!entry->torn) {
                Complain(capture::Located(source.name(), entry->number, entry->error));
                status = 2;
                break;
            }
        }
        sink->flush();
        const std::string skipped = capture::SkippedText(source.skipped());
        if (!skipped.empty())
            Complain(source.name() + ": " + skipped);
    } catch (const loop::InputStopped&) {
        return 0;
    } catch (const capture::CaptureError& e) {
        Complain(e.Message());
        return 2;
    } catch (const runtime::Exception& e) {
        Complain(e.Message());
        return 1;
    }
    return status;
}

} // namespace cli
