#include "transport/TIdSocketListPosix.h"

#include "transport/EIdException.h"

namespace transport {

namespace {
constexpr const char* kSetSizeExceeded = "Set Size Exceeded.";
}

void TIdSocketListPosix::Add(int socket)
{
    if (count_ >= kCapacity) {
        throw EIdStackSetSizeExceeded(kSetSizeExceeded);
    }
    sockets_[count_++] = socket;
}

void TIdSocketListPosix::Remove(int socket)
{
    for (int i = 0; i < count_; ++i) {
        if (sockets_[i] == socket) {
            sockets_[i] = sockets_[--count_];
            return;
        }
    }
}

int TIdSocketListPosix::Item(int index) const
{
    if (index < 0 || index >= count_) {
        throw EIdStackSetSizeExceeded(kSetSizeExceeded);
    }
    return sockets_[index];
}

} // namespace transport
