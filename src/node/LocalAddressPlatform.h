#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct hostent;

namespace node {

// The platform calls behind GetLocalAddress, in the order it makes them. The
// POSIX implementation is the real one; tests script failures through it.
class LocalAddressPlatform {
public:
    virtual ~LocalAddressPlatform() = default;

    // Readies the socket service; 0 when ready.
    virtual int startup() = 0;
    // Fills `name` with the NUL-terminated host name; 0 on success.
    virtual int gethostname(char* name, std::size_t length) = 0;
    // Writes one line to standard output.
    virtual void writeLine(const char* text) = 0;
    // The resolver's entry for `name`, or null. Its address list holds
    // pointers to 4-byte IPv4 addresses and ends with a null pointer.
    virtual const hostent* gethostbyname(const char* name) = 0;
    // Dotted-decimal text of an address in network byte order, in a buffer
    // the next call overwrites.
    virtual const char* inet_ntoa(std::uint32_t address) = 0;
    // The source address the system picks for a datagram to the limited
    // broadcast address and the node's port, in network byte order; 0 when
    // no route leads there. Nothing is sent.
    virtual std::uint32_t broadcastSourceAddress() = 0;
    // The IPv4 addresses of the interfaces that are up and running (have a
    // carrier), loopback interfaces left out, in network byte order and in
    // the system's order.
    virtual std::vector<std::uint32_t> interfaceAddresses() = 0;
    // Releases what a successful startup() acquired.
    virtual void cleanup() = 0;
};

} // namespace node
