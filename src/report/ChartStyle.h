#pragma once

namespace report {

// Shared by the charts and the page around them, so a chart saved on its own
// looks as it does in the report.

// Japanese system fonts first (IPA on Debian, Noto on most Linux, Hiragino on
// macOS, Yu Gothic and Meiryo on Windows), so kanji and kana render wherever
// the file is opened; then any sans-serif.
inline constexpr const char* kFontFamily =
    "IPAPGothic, 'IPAGothic', 'Noto Sans CJK JP', 'Hiragino Kaku Gothic ProN', "
    "'Yu Gothic', Meiryo, sans-serif";

inline constexpr const char* kWatchedColour = "#1f4e9c";
inline constexpr const char* kStimulusColours[] = {"#d9822b", "#2e8b57", "#8e44ad", "#7f6000"};
inline constexpr const char* kWithinColour = "#cfe3ff";
inline constexpr const char* kHoldsColour = "#c6ecc6";
inline constexpr const char* kDecidedColour = "#c0392b";

} // namespace report
