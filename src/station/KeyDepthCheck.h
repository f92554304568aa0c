#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace station {

// Refuses, before the TOML library sees it, a scenario whose dotted keys or
// table headers have more than kMaxKeyParts parts: the library descends
// into each part by recursion, and tens of thousands of them overflow the
// stack. (It bounds the nesting of arrays and inline tables itself.) Throws
// ScenarioError at the start of the key.
class KeyDepthCheck {
public:
    static constexpr int kMaxKeyParts = 64;

    explicit KeyDepthCheck(const std::string& file) : file_(file) {}
    void check(std::string_view text);

private:
    void skipString(std::string_view text);
    void skipComment(std::string_view text);
    void advance(std::string_view text);
    [[noreturn]] void fail(std::uint32_t line, std::uint32_t column, const std::string& what) const;

    const std::string& file_;
    std::size_t at_ = 0;
    std::uint32_t line_ = 1;
    std::uint32_t column_ = 1;
};

} // namespace station
