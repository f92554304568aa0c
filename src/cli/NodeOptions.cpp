#include "cli/NodeOptions.h"

#include "ccm/CcmMessage.h"
#include "ccm/FieldText.h"
#include "cli/OptionChecks.h"
#include "node/PlaybackFile.h"

#include <utility>

namespace cli {

namespace {

// The panel's limits of each spin field.
void AddSpin(CLI::App& command, const char* name, std::int32_t& value, std::int32_t min,
             std::int32_t max, const char* help)
{
    command.add_option(name, value, help)
        ->check(IntegerIn(min, max))
        ->type_name(std::to_string(min) + ".." + std::to_string(max))
        ->capture_default_str();
}

// An option that only the named source reads.
void RequireSource(const CLI::App& command, const NodeOptions& options, const char* name,
                   const char* source)
{
    if (command.count(name) > 0 && options.source != source)
        throw CLI::ValidationError(name, std::string("only with --source ") + source);
}

// A text the node writes into its message: the scenario reader's check.
CLI::Validator FieldText(std::size_t maxChars)
{
    return CLI::Validator(
        [maxChars](const std::string& text) { return ccm::FieldTextFault(text, maxChars, false); },
        "");
}

} // namespace

void AddNodeOptions(CLI::App& command, NodeOptions& options)
{
    command.add_option("--source", options.source, "Value source")
        ->check(OneOf({"fixed", "periodic", "random", "random2", "file"}))
        ->type_name("fixed|periodic|random|random2|file")
        ->capture_default_str();
    command.add_option("--rain", options.rain, "Rain state of the fixed source")
        ->check(OneOf({"on", "off"}))
        ->type_name("on|off")
        ->capture_default_str();
    AddSpin(command, "--cycle", options.cycle, 5, 99999,
            "Ticks per period of the periodic source, raining in its first half");
    command
        .add_option("--file", options.file,
                    "Playback file of the file source: one line per "
                    "tick, starting with an integer (1 rain, 0 dry)")
        ->type_name("PATH");
    command.add_flag("--loop", options.loop, "Play the file again from its first line at its end");
    command.add_option("--interval", options.interval, "Seconds between ticks")
        ->check(OneOf({"1", "10", "60"}))
        ->type_name("1|10|60")
        ->capture_default_str();
    command.add_option("--type", options.type, "CCM type, at most 19 characters")
        ->check(FieldText(ccm::kTypeMaxChars))
        ->type_name("TEXT")
        ->capture_default_str();
    AddSpin(command, "--room", options.room, 0, 127, "CCM room");
    AddSpin(command, "--region", options.region, 0, 127, "CCM region");
    AddSpin(command, "--order", options.order, 0, 30000, "CCM order");
    AddSpin(command, "--priority", options.priority, 0, 30, "CCM priority");
    command
        .add_option("--ip", options.ip,
                    "Address text in <IP>, at most 24 characters (default: the address of "
                    "--interface, else the "
                    "node's discovered address)")
        ->check(FieldText(ccm::kIpMaxChars))
        ->type_name("TEXT");
    command.add_flag("--answer-scans", options.answerScans,
                     "Answer NODESCAN and CCMSCAN on UDP 16529 and SEARCH on 16521, to the "
                     "requester only, if it is on a directly connected network, at most 10 "
                     "replies a second to each address; the ports are shared with this user's "
                     "programs only");
}

void CheckNodeOptions(const CLI::App& command, const NodeOptions& options)
{
    RequireSource(command, options, "--rain", "fixed");
    RequireSource(command, options, "--cycle", "periodic");
    RequireSource(command, options, "--file", "file");
    RequireSource(command, options, "--loop", "file");
    if (options.answerScans && command.count("--dry-run") > 0)
        throw CLI::ValidationError("--answer-scans", "not with --dry-run: answers are sent");
    if (options.source != "file")
        return;
    if (command.count("--file") == 0)
        throw CLI::ValidationError("--source", "file needs --file PATH");
    // The same test the first tick makes, so a typing error is caught before
    // anything is sent.
    node::PlaybackFile file;
    if (!file.open(options.file))
        throw CLI::ValidationError("--file", options.file + " cannot be opened as a regular file");
}

} // namespace cli
