#pragma once

#include <cstdint>
#include <exception>
#include <optional>
#include <string>

namespace cli {

// A failure as Linux users read it, on one line: the system's own text for a
// socket error ("Address already in use") rather than the socket layer's
// numbered message, which the window keeps. A busy port names what holds it;
// any other failure keeps its text.
std::string SystemErrorText(const std::exception& error,
                            std::optional<std::uint16_t> port = std::nullopt);

} // namespace cli
