#include "cli/PendingSends.h"

#include "cli/StationOutput.h"
#include "cli/SystemErrorText.h"
#include "loop/DestinationSender.h"

namespace cli {

void PendingSends::add(loop::DestinationSender& destination, const station::Outgoing& outgoing,
                       const std::string& wire)
{
    if (count_ == kept_.size())
        kept_.emplace_back();
    Kept& kept = kept_[count_++];
    kept.ip = outgoing.ip;
    kept.ccm = &outgoing.ccm;
    kept.value = outgoing.value;
    kept.message = outgoing.message;
    destination.Queue(wire);
}

void PendingSends::send(loop::DestinationSender& destination, StationOutput& output)
{
    destination.SendQueued([&](std::size_t index, const std::exception* error) {
        const Kept& kept = kept_[index];
        const station::Outgoing outgoing{kept.ip, *kept.ccm, kept.value, kept.message};
        if (error != nullptr)
            output.sendFailed(outgoing, SystemErrorText(*error));
        else
            output.sent(outgoing);
    });
    count_ = 0;
}

} // namespace cli
