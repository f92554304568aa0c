#include "transport/EIdWS2StubError.h"

#include "transport/SocketErrorCode.h"

namespace transport {

namespace {

std::string StubMessage(const std::string& title, std::int32_t systemError)
{
    if (systemError == 0) {
        return title;
    }
    return title + ": " + SocketErrorCode::SystemText(systemError);
}

} // namespace

EIdWS2StubError::EIdWS2StubError(const std::string& title, std::int32_t systemError)
    : EIdException(StubMessage(title, systemError)), systemError_(systemError),
      systemErrorText_(systemError == 0 ? std::string() : SocketErrorCode::SystemText(systemError)),
      errorTitle_(title)
{
}

} // namespace transport
