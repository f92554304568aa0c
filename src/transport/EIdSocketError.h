#pragma once

#include "transport/EIdException.h"

#include <cstdint>
#include <string>
#include <utility>

namespace transport {

// A socket call failed; ErrorCode is the Windows Sockets style code
// (10000 + the BSD error number, 11001 for an unknown host).
class EIdSocketError : public EIdException {
public:
    EIdSocketError(std::int32_t code, std::string message)
        : EIdException(std::move(message)), errorCode_(code)
    {
    }

    std::int32_t ErrorCode() const noexcept { return errorCode_; }

private:
    std::int32_t errorCode_;
};

} // namespace transport
