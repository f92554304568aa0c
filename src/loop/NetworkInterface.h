#pragma once

#include <optional>
#include <string>

namespace loop {

// Whether the system has a network interface of that name.
bool InterfaceExists(const std::string& name);

// The first IPv4 address of the named interface as dotted-decimal text, or
// nothing when it has none.
std::optional<std::string> InterfaceAddress(const std::string& name);

} // namespace loop
