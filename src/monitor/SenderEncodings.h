#pragma once

#include "ccm/Decoder.h"

#include <cstddef>
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>

namespace monitor {

// Decodes datagram after datagram, remembering which encoding each sender's
// text showed, so that a later datagram whose text reads both as UTF-8 and as
// Shift-JIS is read as its sender wrote before. Remembers the kMaxSenders
// senders whose encoding showed most recently: a flood of spoofed sources
// cannot grow it.
class SenderEncodings {
public:
    static constexpr std::size_t kMaxSenders = 4096;

    // `source` is the sender's address; an empty one (text input) is no
    // sender and is not remembered.
    ccm::DecodeResult decode(const std::string& source, std::string_view bytes);

    std::size_t size() const { return encodings_.size(); }

private:
    struct Entry {
        ccm::Encoding encoding;
        std::list<std::string>::iterator age;
    };

    void remember(const std::string& source, ccm::Encoding encoding);

    std::unordered_map<std::string, Entry> encodings_;
    // Most recently heard first.
    std::list<std::string> ages_;
};

} // namespace monitor
