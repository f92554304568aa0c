// Prints, for each record of a capture (JSON lines), what the decoder makes
// of its bytes as lint decodes them (each sender's encoding remembered):
// {"line":N,"kind":...,"fields":{...}}, kind null for a datagram that does
// not decode. The dissector's fields are compared with these.
//   decoded_fields CAPTURE

#include "capture/CaptureReader.h"
#include "capture/CaptureRecordFields.h"
#include "monitor/JsonObject.h"
#include "monitor/SenderEncodings.h"

#include <cstdio>
#include <exception>

namespace {

std::string Line(std::size_t number, const ccm::DecodeResult& decoded)
{
    std::string line;
    {
        monitor::JsonObject object(line);
        object.integer("line", static_cast<std::int64_t>(number));
        if (decoded.message) {
            object.string("kind", capture::KindName(decoded.message->kind));
            capture::AppendFields(object.member("fields"), *decoded.message);
        } else {
            object.null("kind");
        }
    }
    return line;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: decoded_fields CAPTURE\n");
        return 2;
    }
    try {
        capture::CaptureReader reader(argv[1]);
        monitor::SenderEncodings encodings;
        while (auto entry = reader.next()) {
            if (!entry->record) {
                std::fprintf(stderr, "decoded_fields: line %zu: %s\n", entry->number,
                             entry->error.c_str());
                return 1;
            }
            const auto decoded = encodings.decode(entry->record->sourceIp, entry->record->bytes);
            std::printf("%s\n", Line(entry->number, decoded).c_str());
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "decoded_fields: %s\n", e.what());
        return 1;
    }
    return 0;
}
