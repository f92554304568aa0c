#include "cli/SendingSide.h"

#include "cli/SystemErrorText.h"
#include "loop/NetworkInterface.h"
#include "node/GetLocalAddress.h"
#include "node/LocalAddressPlatformPosix.h"
#include "transport/EIdException.h"

#include <cstdio>

namespace cli {

namespace {

class QuietLocalAddressPlatform : public node::LocalAddressPlatformPosix {
public:
    void writeLine(const char*) override {}
};

} // namespace

bool SendingSide::open(const CommonOptions& common, const char* command)
{
    if (common.dryRun)
        return true;
    client_ = std::make_unique<transport::TIdUDPClient>();
    destination_.emplace(*client_, common.to, common.port);
    if (common.interfaceName.empty())
        return true;
    try {
        destination_->BindToInterface(common.interfaceName);
        return true;
    } catch (const transport::EIdException& e) {
        std::fprintf(stderr, "setarome-cli: %s: --interface: %s: %s\n", command,
                     common.interfaceName.c_str(), SystemErrorText(e).c_str());
        return false;
    }
}

std::string DiscoveredAddress(const CommonOptions& common)
{
    if (!common.interfaceName.empty())
        return loop::InterfaceAddress(common.interfaceName).value_or("");
    QuietLocalAddressPlatform platform;
    return node::GetLocalAddress(platform);
}

} // namespace cli
