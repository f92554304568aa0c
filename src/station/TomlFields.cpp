#include "station/TomlFields.h"

#include "ccm/FieldText.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace station {

namespace {
// A path as long as Linux takes one.
constexpr std::size_t kMaxPathBytes = 4096;
} // namespace

TomlFields::TomlFields(const toml::table& table, const std::string& file)
    : table_(table), file_(file)
{
}

void TomlFields::fail(const toml::node& at, const std::string& what) const
{
    fail(at.source(), what);
}

void TomlFields::fail(const toml::source_region& at, const std::string& what) const
{
    throw ScenarioError(file_, at.begin.line, at.begin.column, what);
}

const toml::node* TomlFields::find(std::string_view key)
{
    known_.emplace(key);
    return table_.get(key);
}

const toml::node* TomlFields::node(std::string_view key)
{
    return find(key);
}

std::optional<double> TomlFields::number(std::string_view key, double min, double max)
{
    const toml::node* node = find(key);
    if (!node)
        return std::nullopt;
    if (!node->is_number())
        fail(*node, std::string(key) + " must be a number");
    const double value = node->value<double>().value();
    // Not only for the message: inf and nan would reach the wire as text.
    if (!std::isfinite(value) || value < min || value > max)
        fail(*node, std::string(key) + " must be " + NumberText(min) + ".." + NumberText(max) +
                        ", got " + NumberText(value));
    return value;
}

std::optional<std::int64_t> TomlFields::integer(std::string_view key, std::int64_t min,
                                                std::int64_t max)
{
    const toml::node* node = find(key);
    if (!node)
        return std::nullopt;
    if (!node->is_integer())
        fail(*node, std::string(key) + " must be a whole number");
    const std::int64_t value = node->as_integer()->get();
    if (value < min || value > max)
        fail(*node, std::string(key) + " must be " + std::to_string(min) + ".." +
                        std::to_string(max) + ", got " + std::to_string(value));
    return value;
}

const toml::node* TomlFields::textNode(std::string_view key)
{
    const toml::node* node = find(key);
    if (node && !node->is_string())
        fail(*node, std::string(key) + " must be a text");
    return node;
}

std::optional<std::string> TomlFields::text(std::string_view key, std::size_t maxChars)
{
    const toml::node* node = textNode(key);
    if (!node)
        return std::nullopt;
    const std::string& value = node->as_string()->get();
    if (const std::string fault = ccm::FieldTextFault(value, maxChars, true); !fault.empty())
        fail(*node, std::string(key) + ' ' + fault);
    return value;
}

std::optional<std::string> TomlFields::path(std::string_view key)
{
    const toml::node* node = textNode(key);
    if (!node)
        return std::nullopt;
    const std::string& value = node->as_string()->get();
    // A path never reaches the wire; only the log shows it.
    if (value.empty() || value.size() > kMaxPathBytes ||
        std::any_of(value.begin(), value.end(),
                    [](unsigned char c) { return c < 0x20 || c == 0x7F; }))
        fail(*node, std::string(key) + " must be a path of 1.." + std::to_string(kMaxPathBytes) +
                        " bytes without control characters");
    return value;
}

std::optional<bool> TomlFields::flag(std::string_view key)
{
    const toml::node* node = find(key);
    if (!node)
        return std::nullopt;
    if (!node->is_boolean())
        fail(*node, std::string(key) + " must be true or false");
    return node->as_boolean()->get();
}

const toml::array* TomlFields::tables(std::string_view key)
{
    const toml::node* node = find(key);
    if (!node)
        return nullptr;
    if (!node->is_array_of_tables())
        fail(*node, std::string(key) + " must be tables ([[" + std::string(key) + "]])");
    return node->as_array();
}

const toml::table* TomlFields::table(std::string_view key)
{
    const toml::node* node = find(key);
    if (!node)
        return nullptr;
    if (!node->is_table())
        fail(*node, std::string(key) + " must be a table");
    return node->as_table();
}

void TomlFields::finish() const
{
    for (const auto& [key, node] : table_) {
        if (!known_.contains(key.str()))
            fail(key.source(), "unknown key " + Quoted(key.str()));
    }
}

std::string NumberText(double value)
{
    char digits[32];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    return std::string(digits, result.ptr);
}

} // namespace station
