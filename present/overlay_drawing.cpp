#include "present/overlay_drawing.h"

#include <algorithm>
#include <cstdlib>

#include "overlay_font.h"

namespace plate {

namespace {

constexpr int kBottomWindowRow = kFrameHeight - 1;

// Window point to plane row: the painting shows plane row y in window row 767 - y.
void put_window_pixel(Plane& picture, int x, int window_row, Rgb colour) {
  const int y = kBottomWindowRow - window_row;
  if (!Plane::contains(x, y)) return;
  const std::size_t at = Plane::offset_unchecked(x, y);
  picture.bytes[at + static_cast<std::size_t>(Channel::blue)] = colour.blue;
  picture.bytes[at + static_cast<std::size_t>(Channel::green)] = colour.green;
  picture.bytes[at + static_cast<std::size_t>(Channel::red)] = colour.red;
}

// A wide pen lays a round nib along the line, which also rounds the outer corners of a frame.
void stamp_nib(Plane& picture, WindowPoint centre) {
  constexpr int kRadius = kOverlayPenWidth / 2;
  for (int dy = -kRadius; dy <= kRadius; ++dy)
    for (int dx = -kRadius; dx <= kRadius; ++dx)
      if (dx * dx + dy * dy <= kRadius * kRadius + 1)
        put_window_pixel(picture, centre.x + dx, centre.y + dy, kOverlayFrameColour);
}

void draw_line(Plane& picture, WindowPoint from, WindowPoint to) {
  const int steps = std::max(std::abs(to.x - from.x), std::abs(to.y - from.y));
  for (int i = 0; i <= steps; ++i) {
    const int x = steps == 0 ? from.x : from.x + (to.x - from.x) * i / steps;
    const int y = steps == 0 ? from.y : from.y + (to.y - from.y) * i / steps;
    stamp_nib(picture, {x, y});
  }
}

void draw_label(Plane& picture, WindowPoint origin, const std::string& text) {
  int cell_left = origin.x;
  for (const char byte : text) {
    const Glyph& glyph = glyph_for(static_cast<unsigned char>(byte));
    for (int row = 0; row < kCellHeight; ++row) {
      for (int column = 0; column < kCellWidth; ++column) {
        const int gx = (column - kGlyphLeft) / kGlyphScale, gy = (row - kGlyphTop) / kGlyphScale;
        const bool inked = column >= kGlyphLeft && row >= kGlyphTop && gx < kGlyphColumns &&
                           gy < kGlyphRows && glyph_pixel(glyph, gx, gy);
        put_window_pixel(picture, cell_left + column, origin.y + row,
                         inked ? kOverlayLabelColour : kOverlayLabelBackground);
      }
    }
    cell_left += kCellWidth;
  }
}

}  // namespace

void draw_overlay(Plane& picture, const std::vector<OverlayItem>& items) {
  for (const OverlayItem& item : items) {
    for (std::size_t i = 0; i + 1 < item.frame_path.size(); ++i)
      draw_line(picture, item.frame_path[i], item.frame_path[i + 1]);
    draw_label(picture, item.label_origin, item.label);
  }
}

}  // namespace plate
