#include "app/UdpClientSender.h"

#include "transport/TIdUDPClient.h"

void UdpClientSender::Send(const std::string& payload, std::uint16_t port)
{
    client_.SendBroadcast(payload, port);
}
