#pragma once

#include "transport/EIdException.h"

#include <cstdint>
#include <string>

namespace transport {

// The socket library binding could not reach a platform function: the library
// is not loaded (or already released), could not be loaded, or lacks the name.
class EIdWS2StubError : public EIdException {
public:
    // A code of 0 makes the title the whole message; any other code appends
    // ": " and the platform's text for it.
    EIdWS2StubError(const std::string& title, std::int32_t systemError);

    std::int32_t SystemError() const noexcept { return systemError_; }
    const std::string& SystemErrorText() const noexcept { return systemErrorText_; }
    const std::string& ErrorTitle() const noexcept { return errorTitle_; }

private:
    std::int32_t systemError_;
    std::string systemErrorText_;
    std::string errorTitle_;
};

} // namespace transport
