#pragma once

#include "node/Sender.h"

namespace transport {
class TIdUDPClient;
}

// The node's sender: the panel's UDP client.
class UdpClientSender : public node::Sender {
public:
    explicit UdpClientSender(transport::TIdUDPClient& client) : client_(client) {}
    void Send(const std::string& payload, std::uint16_t port) override;

private:
    transport::TIdUDPClient& client_;
};
