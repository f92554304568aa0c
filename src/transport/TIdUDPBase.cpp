#include "transport/TIdUDPBase.h"

#include "transport/StackRegistry.h"
#include "transport/TIdSocketHandle.h"
#include "transport/TIdStack.h"

#include <sys/socket.h>

namespace transport {

namespace {
constexpr const char* kLimitedBroadcast = "255.255.255.255";
}

TIdUDPBase::TIdUDPBase() = default;

TIdUDPBase::~TIdUDPBase()
{
    loading_ = false;
    SetActive(false);
}

void TIdUDPBase::SendBroadcast(const std::string& text, std::int32_t port)
{
    ApplyBroadcastOption(true, nullptr);
    // A failed send leaves the option on until a later broadcast completes.
    SendText(kLimitedBroadcast, port, text);
    RefreshBroadcastOption();
}

void TIdUDPBase::SendText(const std::string& host, std::int32_t port, const std::string& text)
{
    SendBytes(host, port, text.data(), text.size());
}

void TIdUDPBase::SendBytes(const std::string& host, std::int32_t port, const void* buffer,
                           std::size_t count)
{
    const std::string address = SharedStack()->HostToAddressText(host);
    EnsureBinding().SendDatagram(address, port, buffer, count);
}

TIdSocketHandle& TIdUDPBase::EnsureBinding()
{
    if (!binding_) {
        binding_ = std::make_unique<TIdSocketHandle>();
    }
    if (!binding_->IsOpen()) {
        binding_->OpenSocket(SOCK_DGRAM, 0);
        RefreshBroadcastOption();
    }
    return *binding_;
}

void TIdUDPBase::ReleaseBinding()
{
    binding_.reset();
}

bool TIdUDPBase::IsActive() const
{
    return pendingActive_ || (binding_ && binding_->IsOpen());
}

void TIdUDPBase::ApplyBroadcastOption(bool enabled, TIdSocketHandle* binding)
{
    // The option is an int; -1 has every bit set, as the platform expects of "on".
    const int value = enabled ? -1 : 0;
    if (binding == nullptr) {
        binding = &EnsureBinding();
    }
    binding->SetOption(SOL_SOCKET, SO_BROADCAST, &value, sizeof value);
}

void TIdUDPBase::RefreshBroadcastOption()
{
    ApplyBroadcastOption(broadcastEnabled_, nullptr);
}

void TIdUDPBase::SetActive(bool active)
{
    if (active == IsActive()) {
        return;
    }
    if (loading_) {
        pendingActive_ = active;
    } else if (active) {
        EnsureBinding();
    } else {
        ReleaseBinding();
    }
}

void TIdUDPBase::SetBroadcastEnabled(bool enabled)
{
    if (enabled == broadcastEnabled_) {
        return;
    }
    broadcastEnabled_ = enabled;
    if (IsActive()) {
        RefreshBroadcastOption();
    }
}

void TIdUDPBase::Loaded()
{
    loading_ = false;
    const bool active = pendingActive_;
    pendingActive_ = false;
    SetActive(active);
}

} // namespace transport
