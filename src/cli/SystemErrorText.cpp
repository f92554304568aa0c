#include "cli/SystemErrorText.h"

#include "cli/OutputText.h"
#include "transport/EIdSocketError.h"
#include "transport/SocketErrorCode.h"

#include <cerrno>

namespace cli {

std::string SystemErrorText(const std::exception& error, std::optional<std::uint16_t> port)
{
    const auto* socketError = dynamic_cast<const transport::EIdSocketError*>(&error);
    if (socketError == nullptr)
        return OneLine(error.what());
    const std::int32_t code = socketError->ErrorCode();
    std::string text = transport::SocketErrorCode::SystemText(code);
    // Every receiver here shares its port; only a socket that does not can
    // hold it.
    if (code == transport::SocketErrorCode::FromErrno(EADDRINUSE))
        text += " (" + (port ? "port " + std::to_string(*port) : std::string("the port")) +
                " is held by a socket that does not share it)";
    return text;
}

} // namespace cli
