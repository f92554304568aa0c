#pragma once

#include <optional>
#include <string>

namespace loop {

// Whether the system has a network interface of that name.
bool InterfaceExists(const std::string& name);

// The first IPv4 address of the named interface as dotted-decimal text, or
// nothing when it has none.
std::optional<std::string> InterfaceAddress(const std::string& name);

// Whether `ip` (dotted-decimal text) is an IPv4 address of an interface of
// this host, loopback included (all of 127/8).
bool IsLocalAddress(const std::string& ip);

} // namespace loop
