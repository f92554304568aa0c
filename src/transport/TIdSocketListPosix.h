#pragma once

#include "transport/TIdSocketList.h"

#include <array>

namespace transport {

// A socket list with room for 64 descriptors, the size of one select set.
class TIdSocketListPosix : public TIdSocketList {
public:
    static constexpr int kCapacity = 64;

    // Raises EIdStackSetSizeExceeded when the list is full.
    void Add(int socket) override;
    // Moves the last descriptor into the place of the removed one.
    void Remove(int socket) override;
    void Clear() override { count_ = 0; }
    int Count() const override { return count_; }
    // Raises EIdStackSetSizeExceeded for an index outside 0 to Count() - 1.
    int Item(int index) const override;

private:
    std::array<int, kCapacity> sockets_{};
    int count_ = 0;
};

} // namespace transport
