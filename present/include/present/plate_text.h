#pragma once
// The system keeps plate texts as Shift-JIS bytes (0xA5 is the half-width katakana middle dot).
// Shown as Latin-1 or through a Windows "A" call outside the Japanese locale, 0xA5 would read as
// the yen sign, so front ends convert plate texts to UTF-8 here (and from UTF-8 on to UTF-16).

#include <string>
#include <string_view>

namespace plate {

inline constexpr std::string_view kMiddleDotUtf8 = "\xEF\xBD\xA5";  // U+FF65 "･"

// Plate-text bytes (digits, 0x2D, 0xA5) to UTF-8; any other byte above 0x7F becomes U+FFFD.
std::string plate_text_to_utf8(std::string_view plate_text);

}  // namespace plate
