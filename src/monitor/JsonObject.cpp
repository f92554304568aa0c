#include "monitor/JsonObject.h"

#include "monitor/TerminalText.h"

#include <charconv>

namespace monitor {

JsonObject::JsonObject(std::string& out) : out_(out)
{
    out_ += '{';
}

JsonObject::~JsonObject()
{
    out_ += '}';
}

void JsonObject::string(std::string_view name, std::string_view text)
{
    AppendJsonString(member(name), text);
}

void JsonObject::integer(std::string_view name, std::int64_t number)
{
    member(name);
    char text[24];
    const auto end = std::to_chars(text, text + sizeof text, number).ptr;
    out_.append(text, end);
}

void JsonObject::decimal(std::string_view name, double number)
{
    member(name);
    // to_chars ignores the locale: a German one would otherwise write "0,3".
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, number).ptr;
    out_.append(text, end);
}

void JsonObject::null(std::string_view name)
{
    member(name) += "null";
}

std::string& JsonObject::member(std::string_view name)
{
    if (!first_)
        out_ += ',';
    first_ = false;
    out_ += '"';
    out_.append(name);
    out_ += "\":";
    return out_;
}

void AppendJsonString(std::string& out, std::string_view text)
{
    out += '"';
    AppendJsonEscaped(out, text);
    out += '"';
}

} // namespace monitor
