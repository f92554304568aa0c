#pragma once

#include "transport/SocketLibrary.h"

#include <atomic>
#include <cstddef>

namespace transport {

// One entry of the socket library binding: its name and the current target of
// every call through it. The target starts at the entry's stub, which binds
// the entry on its first call and completes that call.
class SocketEntryBase {
public:
    SocketEntryBase(const SocketEntryBase&) = delete;
    SocketEntryBase& operator=(const SocketEntryBase&) = delete;

    std::size_t Index() const noexcept { return index_; }
    const char* Name() const noexcept { return name_; }
    bool IsBound() const noexcept { return Target() != stub_; }
    void Bind(void* address) noexcept { target_.store(address, std::memory_order_release); }
    void Reset() noexcept { Bind(stub_); }

protected:
    SocketEntryBase(std::size_t index, const char* name, void* stub)
        : index_(index), name_(name), stub_(stub), target_(stub)
    {
    }
    ~SocketEntryBase() = default;

    // Two threads binding one entry at once store the same address; the atomic
    // keeps that race well defined without a lock on the call path.
    void* Target() const noexcept { return target_.load(std::memory_order_acquire); }

private:
    std::size_t index_;
    const char* name_;
    void* stub_;
    std::atomic<void*> target_;
};

template <std::size_t EntryIndex, typename Function> class SocketEntry;

// An entry typed after the platform function it stands for. Set and Get are
// the test seam: a test points the entry at a recording or failing function
// and puts the saved target back afterwards.
template <std::size_t EntryIndex, typename R, typename... A>
class SocketEntry<EntryIndex, R (*)(A...)> : public SocketEntryBase {
public:
    using Function = R (*)(A...);

    explicit SocketEntry(const char* name)
        : SocketEntryBase(EntryIndex, name, reinterpret_cast<void*>(&Stub))
    {
    }

    R operator()(A... args) const { return reinterpret_cast<Function>(Target())(args...); }
    Function Get() const noexcept { return reinterpret_cast<Function>(Target()); }
    void Set(Function function) noexcept { Bind(reinterpret_cast<void*>(function)); }

private:
    static R Stub(A... args)
    {
        return reinterpret_cast<Function>(ResolveSocketEntry(EntryIndex))(args...);
    }
};

// The C library declares most functions noexcept; the entries are not, since a
// stub raises when it cannot bind.
template <std::size_t EntryIndex, typename R, typename... A>
class SocketEntry<EntryIndex, R (*)(A...) noexcept> : public SocketEntry<EntryIndex, R (*)(A...)> {
public:
    using SocketEntry<EntryIndex, R (*)(A...)>::SocketEntry;
};

} // namespace transport
