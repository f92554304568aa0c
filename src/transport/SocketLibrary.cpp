#include "transport/SocketLibrary.h"

#include "transport/EIdWS2StubError.h"
#include "transport/SocketEntryTable.h"
#include "transport/SocketErrorCode.h"

#include <atomic>
#include <cerrno>
#include <dlfcn.h>
#include <gnu/lib-names.h>
#include <string>

namespace transport {

namespace {

std::atomic<void*> socketLibraryHandle{nullptr};

std::string Filled(const char* format, const char* text)
{
    std::string result(format);
    return result.replace(result.find("%s"), 2, text);
}

// Releases the library when the process ends, after every static object that
// was built later (a component kept in one) has gone.
struct ProcessEndRelease {
    ~ProcessEndRelease() { ReleaseSocketLibrary(); }
} processEndRelease;

} // namespace

std::int32_t StartSocketLibrary()
{
    if (socketLibraryHandle.load() != nullptr) {
        return 0;
    }
    errno = 0;
    void* handle = dlopen(LIBC_SO, RTLD_NOW);
    if (handle == nullptr) {
        throw EIdWS2StubError(Filled("Error on loading Winsock2 library (%s)", LIBC_SO), errno);
    }
    void* expected = nullptr;
    if (!socketLibraryHandle.compare_exchange_strong(expected, handle)) {
        dlclose(handle); // another thread opened it first
    }
    return 0;
}

bool SocketLibraryLoaded()
{
    return socketLibraryHandle.load() != nullptr;
}

void* ResolveSocketEntry(std::size_t index)
{
    SocketEntryBase& entry = SocketEntryAt(index);
    const std::string title = Filled("Error on call Winsock2 library function %s", entry.Name());
    void* handle = socketLibraryHandle.load();
    if (handle == nullptr) {
        throw EIdWS2StubError(title, SocketErrorCode::kNotInitialised);
    }
    void* address = dlsym(handle, entry.Name());
    if (address == nullptr) {
        throw EIdWS2StubError(title, 0);
    }
    entry.Bind(address);
    return address;
}

void ResetSocketEntries()
{
    socketLibraryHandle.store(nullptr);
    for (std::size_t i = 0; i < kSocketEntryCount; ++i) {
        SocketEntryAt(i).Reset();
    }
}

void ReleaseSocketLibrary()
{
    void* handle = socketLibraryHandle.exchange(nullptr);
    if (handle != nullptr) {
        dlclose(handle);
        ResetSocketEntries();
    }
}

} // namespace transport
