#include "monitor/Monitor.h"

#include <utility>

namespace monitor {

Monitor::Monitor(std::size_t maxKeys, KeyFilter filter, MonitorView& view,
                 capture::RecordSink* capture, ccm::ReceiverProfile receiver)
    : table_(maxKeys), filter_(std::move(filter)), view_(view), capture_(capture),
      receiver_(receiver)
{
}

void Monitor::take(const Datagram& datagram)
{
    ++counts_.received;
    capture::CaptureRecord record;
    record.time = capture::LocalCaptureTime(datagram.received);
    record.sourceIp = datagram.source;
    record.sourcePort = datagram.sourcePort;
    record.destinationIp = datagram.destination;
    record.port = datagram.port;
    record.bytes = std::string(datagram.bytes);
    record.decoded = encodings_.decode(datagram.source, datagram.bytes);
    if (capture_ != nullptr)
        capture_->write(record);
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
