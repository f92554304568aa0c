#include "cli/CommonOptions.h"

#include "cli/OptionChecks.h"

#include <limits>

namespace cli {

void AddCommonOptions(CLI::App& command, CommonOptions& options)
{
    command
        .add_option("--to", options.to,
                    "Destination address; a unicast address reaches a "
                    "controller behind a router")
        ->check(Ipv4Address())
        ->type_name("ADDRESS")
        ->capture_default_str();
    command.add_option("--port", options.port, "Destination UDP port")
        ->check(IntegerIn(1, 65535))
        ->type_name("1..65535")
        ->capture_default_str();
    command
        .add_option("--interface", options.interfaceName,
                    "Send out of this interface only and take its IPv4 address as <IP>. "
                    "Binding to a device needs CAP_NET_RAW on Linux before 5.7")
        ->check(NetworkInterfaceName())
        ->type_name("NAME");
    command.add_flag("--dry-run", options.dryRun,
                     "Write each datagram to standard output instead of sending it");
    command.add_flag("--json", options.json,
                     "One JSON object per line: each tick (time, value, message, sent or "
                     "error) and each other log line");
    command.add_option("--count", options.count, "Stop after N ticks (default: until stopped)")
        ->check(IntegerIn(1, std::numeric_limits<std::int32_t>::max()))
        ->type_name("N");
}

} // namespace cli
