#pragma once

#include "transport/TIdUDPBase.h"

namespace transport {

// The datagram client the node panel owns. Constructing it registers with the
// shared socket stack and raises if the stack cannot start; SendBroadcast is
// the node's one call per tick.
class TIdUDPClient : public TIdUDPBase {
public:
    using TIdUDPBase::Host;
    using TIdUDPBase::Port;
    using TIdUDPBase::ReceiveTimeout;
    using TIdUDPBase::SetHost;
    using TIdUDPBase::SetPort;
    using TIdUDPBase::SetReceiveTimeout;
};

} // namespace transport
