#pragma once

#include "node/LocalAddressPlatform.h"

namespace node {

// The local address calls on Linux: the resolver of the C library, the
// kernel's route choice and the interface list of getifaddrs. There is no
// socket service to start.
class LocalAddressPlatformPosix : public LocalAddressPlatform {
public:
    int startup() override { return 0; }
    int gethostname(char* name, std::size_t length) override;
    void writeLine(const char* text) override;
    const hostent* gethostbyname(const char* name) override;
    const char* inet_ntoa(std::uint32_t address) override;
    std::uint32_t broadcastSourceAddress() override;
    std::vector<std::uint32_t> interfaceAddresses() override;
    void cleanup() override {}
};

} // namespace node
