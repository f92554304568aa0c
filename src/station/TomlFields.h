#pragma once

#include "station/ScenarioError.h"

#include <toml++/toml.h>

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace station {

// The keys of one TOML table, read with checks. Each getter marks its key as
// known; finish() then refuses any key nobody asked for, so a misspelt key
// is an error rather than a silent default. Every error carries the
// position of the value (or of the table when a key is missing).
class TomlFields {
public:
    TomlFields(const toml::table& table, const std::string& file);

    std::optional<double> number(std::string_view key, double min, double max);
    std::optional<std::int64_t> integer(std::string_view key, std::int64_t min, std::int64_t max);
    // A text that may go into a message: see ccm::FieldTextFault.
    std::optional<std::string> text(std::string_view key, std::size_t maxChars);
    // A file's path, not empty.
    std::optional<std::string> path(std::string_view key);
    std::optional<bool> flag(std::string_view key);
    // The array of tables under `key`, if any.
    const toml::array* tables(std::string_view key);
    // A table, inline or not.
    const toml::table* table(std::string_view key);
    // The node under `key`, marked as known, without a check of its type.
    const toml::node* node(std::string_view key);

    template <typename T> T required(std::optional<T> value, std::string_view key) const
    {
        if (!value)
            fail(table_, "missing key '" + std::string(key) + "'");
        return *value;
    }

    void finish() const;
    [[noreturn]] void fail(const toml::node& at, const std::string& what) const;
    [[noreturn]] void fail(const toml::source_region& at, const std::string& what) const;

private:
    const toml::node* find(std::string_view key);
    // The key's node, refused unless it is a text; nothing when it is absent.
    const toml::node* textNode(std::string_view key);

    const toml::table& table_;
    const std::string& file_;
    std::set<std::string, std::less<>> known_;
};

// The shortest text that reads back as `value`.
std::string NumberText(double value);

} // namespace station
