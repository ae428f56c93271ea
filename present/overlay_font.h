#pragma once
// The label font of plate-read's overlay pictures: the only bytes a plate text holds (digits, the
// hyphen 0x2D and the Shift-JIS middle dot 0xA5), as 5 x 7 glyphs drawn at twice their size in
// cells of 12 x 16 pixels, about the system font the desktop window labels with.

#include <array>
#include <cstdint>

namespace plate {

inline constexpr int kGlyphColumns = 5;
inline constexpr int kGlyphRows = 7;
inline constexpr int kGlyphScale = 2;
inline constexpr int kCellWidth = 12;  // pixels per character, spacing included
inline constexpr int kCellHeight = 16;
inline constexpr int kGlyphLeft = 1;  // pixels from the cell's left edge to the glyph
inline constexpr int kGlyphTop = 1;   // pixels from the cell's top edge to the glyph

// Row 0 is the top row; bit 4 is the left-most column.
using Glyph = std::array<std::uint8_t, kGlyphRows>;

inline constexpr std::array<Glyph, 10> kDigitGlyphs = {{
    {0b01110, 0b10001, 0b10011, 0b10101, 0b11001, 0b10001, 0b01110},  // 0
    {0b00100, 0b01100, 0b00100, 0b00100, 0b00100, 0b00100, 0b01110},  // 1
    {0b01110, 0b10001, 0b00001, 0b00010, 0b00100, 0b01000, 0b11111},  // 2
    {0b11111, 0b00010, 0b00100, 0b00010, 0b00001, 0b10001, 0b01110},  // 3
    {0b00010, 0b00110, 0b01010, 0b10010, 0b11111, 0b00010, 0b00010},  // 4
    {0b11111, 0b10000, 0b11110, 0b00001, 0b00001, 0b10001, 0b01110},  // 5
    {0b00110, 0b01000, 0b10000, 0b11110, 0b10001, 0b10001, 0b01110},  // 6
    {0b11111, 0b00001, 0b00010, 0b00100, 0b01000, 0b01000, 0b01000},  // 7
    {0b01110, 0b10001, 0b10001, 0b01110, 0b10001, 0b10001, 0b01110},  // 8
    {0b01110, 0b10001, 0b10001, 0b01111, 0b00001, 0b00010, 0b01100},  // 9
}};
inline constexpr Glyph kHyphenGlyph = {0b00000, 0b00000, 0b00000, 0b11111, 0b00000, 0b00000, 0b00000};
inline constexpr Glyph kMiddleDotGlyph = {0b00000, 0b00000, 0b00000, 0b00100, 0b00000, 0b00000, 0b00000};
inline constexpr Glyph kBlankGlyph = {};

// The glyph of one plate-text byte; any byte the font lacks shows as a blank cell.
constexpr const Glyph& glyph_for(unsigned char byte) {
  if (byte >= '0' && byte <= '9') return kDigitGlyphs[byte - '0'];
  if (byte == 0x2D) return kHyphenGlyph;
  if (byte == 0xA5) return kMiddleDotGlyph;
  return kBlankGlyph;
}

constexpr bool glyph_pixel(const Glyph& glyph, int column, int row) {
  return (glyph[static_cast<std::size_t>(row)] >> (kGlyphColumns - 1 - column)) & 1u;
}

}  // namespace plate
