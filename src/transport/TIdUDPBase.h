#pragma once

#include "transport/TIdComponent.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace transport {

class TIdSocketHandle;

// A UDP component: one socket binding, opened on first use and kept for the
// component's life, with the broadcast option switched on only around a
// broadcast. Every failure raises an exception derived from EIdException and
// leaves the socket open.
class TIdUDPBase : public TIdComponent {
public:
    TIdUDPBase();
    // Releases the binding (closing its socket), then leaves the stack.
    ~TIdUDPBase() override;

    // Sends text's bytes as one datagram to 255.255.255.255:port (low 16
    // bits). Returns only when the platform took the whole datagram.
    void SendBroadcast(const std::string& text, std::int32_t port);
    // host: "localhost" in any case, an IPv4 address text, or a name that is
    // looked up on every call.
    void SendText(const std::string& host, std::int32_t port, const std::string& text);
    void SendBytes(const std::string& host, std::int32_t port, const void* buffer,
                   std::size_t count);

    // The binding, created and opened (with BroadcastEnabled applied) if needed.
    virtual TIdSocketHandle& EnsureBinding();
    // Destroys the binding, closing its socket.
    virtual void ReleaseBinding();
    virtual bool IsActive() const;
    // Sets SO_BROADCAST on binding, or on EnsureBinding() when it is null.
    void ApplyBroadcastOption(bool enabled, TIdSocketHandle* binding);
    virtual void RefreshBroadcastOption();

    TIdSocketHandle* Binding() const noexcept { return binding_.get(); }
    bool Active() const { return IsActive(); }
    // While loading, only remembered until Loaded().
    void SetActive(bool active);
    bool BroadcastEnabled() const noexcept { return broadcastEnabled_; }
    // Applied at once to an open socket, else when the socket opens.
    void SetBroadcastEnabled(bool enabled);
    // The receive buffer size; sending never reads it.
    std::int32_t BufferSize() const noexcept { return bufferSize_; }
    void SetBufferSize(std::int32_t size) noexcept { bufferSize_ = size; }

    // Settings read from a layout: Active written between these two calls
    // takes effect in Loaded().
    void BeginLoading() noexcept { loading_ = true; }
    virtual void Loaded();

protected:
    // The default destination and receive timeout, published by TIdUDPClient;
    // the sending operations take their destination as arguments.
    const std::string& Host() const noexcept { return host_; }
    void SetHost(const std::string& host) { host_ = host; }
    std::int32_t Port() const noexcept { return port_; }
    void SetPort(std::int32_t port) noexcept { port_ = port; }
    std::int32_t ReceiveTimeout() const noexcept { return receiveTimeout_; }
    void SetReceiveTimeout(std::int32_t timeout) noexcept { receiveTimeout_ = timeout; }

private:
    std::unique_ptr<TIdSocketHandle> binding_;
    std::int32_t bufferSize_ = 8192;
    bool pendingActive_ = false;
    std::string host_;
    std::int32_t port_ = 0;
    std::int32_t receiveTimeout_ = -2;
    bool broadcastEnabled_ = false;
    bool loading_ = false;
};

} // namespace transport
