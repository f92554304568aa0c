#include "cli/ReceiverOption.h"

#include "cli/OptionChecks.h"

namespace cli {

void AddReceiverOption(CLI::App& command, std::string& receiver, const std::string& what)
{
    receiver = "tolerant";
    command
        .add_option("--receiver", receiver,
                    "The receiver data messages are judged for: tolerant (an XML parser) or "
                    "literal (a small field node that matches the message text byte for byte "
                    "and drops what departs from it: " +
                        what + ")")
        ->check(OneOf({"literal", "tolerant"}))
        ->type_name("literal|tolerant")
        ->capture_default_str();
}

ccm::ReceiverProfile ReceiverProfileOf(const std::string& receiver)
{
    return receiver == "literal" ? ccm::ReceiverProfile::Literal : ccm::ReceiverProfile::Tolerant;
}

} // namespace cli
