#pragma once

namespace transport {

// A list of socket descriptors, as the stack's select reads and refills it.
class TIdSocketList {
public:
    virtual ~TIdSocketList() = default;

    virtual void Add(int socket) = 0;
    // Removes the descriptor if listed; the order of the others may change.
    virtual void Remove(int socket) = 0;
    virtual void Clear() = 0;
    virtual int Count() const = 0;
    virtual int Item(int index) const = 0;
};

} // namespace transport
