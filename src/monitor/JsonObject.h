#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace monitor {

// The one writer of this program's JSON records: one object, members in the
// order they are added, every string value through the terminal-safe JSON
// escaper and every number in the same form whatever the locale. Member
// names are this program's own words in plain ASCII, written as given: never
// pass text from the network or a file as a name. Written by hand
// rather than through Qt's JSON objects, which sort their keys and would cost
// the monitor a document per datagram.
class JsonObject {
public:
    // Opens the object at the end of `out`; it is closed when this goes.
    explicit JsonObject(std::string& out);
    ~JsonObject();
    JsonObject(const JsonObject&) = delete;
    JsonObject& operator=(const JsonObject&) = delete;

    void string(std::string_view name, std::string_view text);
    void integer(std::string_view name, std::int64_t number);
    // The shortest text that reads back as the same double.
    void decimal(std::string_view name, double number);
    void null(std::string_view name);
    // For a nested value: the name is written, the caller appends the value.
    std::string& member(std::string_view name);

private:
    std::string& out_;
    bool first_ = true;
};

// `text` as a JSON string, quotes included, escaped as JsonObject does.
void AppendJsonString(std::string& out, std::string_view text);

} // namespace monitor
