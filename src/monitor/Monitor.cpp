#include "monitor/Monitor.h"

#include <utility>

namespace monitor {

Monitor::Monitor(std::size_t maxKeys, KeyFilter filter, MonitorView& view, CaptureWriter* capture,
                 ccm::ReceiverProfile receiver)
    : table_(maxKeys), filter_(std::move(filter)), view_(view), capture_(capture),
      receiver_(receiver)
{
}

void Monitor::take(const Datagram& datagram)
{
    ++counts_.received;
    CaptureRecord record{LocalCaptureTime(datagram.received),
                         datagram.source,
                         datagram.sourcePort,
                         datagram.port,
                         std::string(datagram.bytes),
                         encodings_.decode(datagram.source, datagram.bytes)};
    if (capture_ != nullptr)
        capture_->write(ToJsonLine(record));
    const std::optional<ccm::Decoded>& message = record.decoded.message;
    if (!message)
        ++counts_.notDecoded;
    if (!message || !message->data) {
        if (filter_.admitsKeyless(datagram.source)) {
            ++counts_.shown;
            view_.datagram(record, nullptr, RowFlags{});
        }
        return;
    }
    const ccm::DataContent& data = *message->data;
    CcmKey key{data.type, data.room, data.region, data.order};
    if (!filter_.admits(key, datagram.source))
        return;
    std::optional<std::string> literalDrop;
    if (receiver_ == ccm::ReceiverProfile::Literal)
        if (auto refusal = ccm::LiteralReceiverRefusal(datagram.bytes))
            literalDrop = std::move(refusal->reason);
    const Row& row =
        table_.update({std::move(key), data.priority, data.value, data.ip, datagram.source,
                       datagram.arrived, datagram.received, std::move(literalDrop)});
    ++counts_.shown;
    view_.datagram(record, &row, table_.flags(row, datagram.arrived));
}

} // namespace monitor
