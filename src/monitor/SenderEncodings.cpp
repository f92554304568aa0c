#include "monitor/SenderEncodings.h"

namespace monitor {

ccm::DecodeResult SenderEncodings::decode(const std::string& source, std::string_view bytes)
{
    const auto known = source.empty() ? encodings_.end() : encodings_.find(source);
    const ccm::Encoding preferred =
        known == encodings_.end() ? ccm::Encoding::Unknown : known->second.encoding;
    ccm::DecodeResult result = ccm::Decode(bytes, preferred);
    if (!source.empty() && result.message && result.message->evident != ccm::Encoding::Unknown)
        remember(source, result.message->evident);
    return result;
}

void SenderEncodings::remember(const std::string& source, ccm::Encoding encoding)
{
    const auto known = encodings_.find(source);
    if (known != encodings_.end()) {
        known->second.encoding = encoding;
        ages_.splice(ages_.begin(), ages_, known->second.age);
        return;
    }
    if (encodings_.size() == kMaxSenders) {
        encodings_.erase(ages_.back());
        ages_.pop_back();
    }
    ages_.push_front(source);
    encodings_.emplace(source, Entry{encoding, ages_.begin()});
}

} // namespace monitor
