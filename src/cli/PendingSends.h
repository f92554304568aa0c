#pragma once

#include "station/Station.h"

#include <cstddef>
#include <string>
#include <vector>

namespace loop {
class DestinationSender;
}

namespace cli {

class StationOutput;

// The station's datagrams of one wake-up, queued on the destination, and
// what the output tells of each, kept until the batch has gone out. The
// kept records are reused from wake-up to wake-up, so a steady station
// allocates nothing here.
class PendingSends {
public:
    // `wire` is the encoded datagram of `outgoing`.
    void add(loop::DestinationSender& destination, const station::Outgoing& outgoing,
             const std::string& wire);
    // Sends the queued datagrams, then tells the output of each in order.
    void send(loop::DestinationSender& destination, StationOutput& output);

private:
    struct Kept {
        std::string ip;
        const station::CcmSettings* ccm = nullptr;
        std::string value;
        std::string message;
    };

    std::vector<Kept> kept_;
    std::size_t count_ = 0;
};

} // namespace cli
