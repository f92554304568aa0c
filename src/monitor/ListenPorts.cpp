#include "monitor/ListenPorts.h"

#include "ccm/Decoder.h"

#include <algorithm>

namespace monitor {

std::vector<std::uint16_t> ListenPorts(std::uint16_t dataPort, bool scans)
{
    std::vector<std::uint16_t> ports{dataPort};
    if (!scans)
        return ports;
    for (const std::uint16_t scanPort : {ccm::kSearchPort, ccm::kScanPort}) {
        if (std::find(ports.begin(), ports.end(), scanPort) == ports.end())
            ports.push_back(scanPort);
    }
    return ports;
}

} // namespace monitor
