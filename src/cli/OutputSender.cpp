#include "cli/OutputSender.h"

#include "cli/SystemErrorText.h"

#include <exception>

namespace cli {

void OutputSender::Send(const std::string& payload, std::uint16_t port)
{
    if (sender_ == nullptr) {
        output_.notSent(payload);
        return;
    }
    try {
        sender_->Send(payload, port);
    } catch (const std::exception& e) {
        output_.sendFailed(payload, SystemErrorText(e));
        throw;
    } catch (...) {
        output_.sendFailed(payload, "unknown error");
        throw;
    }
    output_.sent(payload);
}

} // namespace cli
