#include "loop/DestinationSender.h"

#include "transport/TIdSocketHandle.h"
#include "transport/TIdUDPClient.h"

#include <sys/socket.h>
#include <utility>

namespace loop {

DestinationSender::DestinationSender(transport::TIdUDPClient& client, std::string address,
                                     std::uint16_t port)
    : client_(client), address_(std::move(address)), port_(port)
{
    if (address_ != kLimitedBroadcast)
        client_.SetBroadcastEnabled(true);
}

void DestinationSender::BindToInterface(const std::string& name)
{
    // Set before the first send, while the socket has no local port: Linux
    // 5.7 and later then allow it without CAP_NET_RAW.
    client_.EnsureBinding().SetOption(SOL_SOCKET, SO_BINDTODEVICE, name.data(),
                                      static_cast<socklen_t>(name.size()));
}

void DestinationSender::SendToDestination(const std::string& payload)
{
    if (address_ == kLimitedBroadcast)
        client_.SendBroadcast(payload, port_);
    else
        client_.SendText(address_, port_, payload);
}

void DestinationSender::Queue(std::string_view payload)
{
    if (!batch_)
        batch_.emplace(address_, port_);
    batch_->Add(payload);
}

void DestinationSender::SendQueued(const transport::DatagramBatch::Result& result)
{
    if (!batch_ || batch_->Size() == 0)
        return;
    // One datagram after another to the limited broadcast address switches
    // the option on and off around each; a batch keeps it on.
    if (address_ == kLimitedBroadcast)
        client_.SetBroadcastEnabled(true);
    batch_->Send(client_.EnsureBinding(), result);
}

} // namespace loop
