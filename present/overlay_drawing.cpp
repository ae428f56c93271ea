#include "present/overlay_drawing.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "overlay_font.h"

namespace plate {

namespace {

// Blue-green-red pixels addressed by column and row from the top, whichever way up they are held.
class Canvas {
 public:
  Canvas(std::uint8_t* top_row, std::ptrdiff_t row_step, int width, int height)
      : top_row_(top_row), row_step_(row_step), width_(width), height_(height) {}

  void put(int x, int row, Rgb colour) const {
    if (x < 0 || x >= width_ || row < 0 || row >= height_) return;
    std::uint8_t* pixel = top_row_ + row_step_ * row + std::ptrdiff_t(x) * kBytesPerPixel;
    pixel[static_cast<std::size_t>(Channel::blue)] = colour.blue;
    pixel[static_cast<std::size_t>(Channel::green)] = colour.green;
    pixel[static_cast<std::size_t>(Channel::red)] = colour.red;
  }

 private:
  std::uint8_t* top_row_;
  std::ptrdiff_t row_step_;
  int width_, height_;
};

// A wide pen lays a round nib along the line, which also rounds the outer corners of a frame.
void stamp_nib(const Canvas& canvas, WindowPoint centre, int radius) {
  for (int dy = -radius; dy <= radius; ++dy)
    for (int dx = -radius; dx <= radius; ++dx)
      if (dx * dx + dy * dy <= radius * radius + 1)
        canvas.put(centre.x + dx, centre.y + dy, kOverlayFrameColour);
}

void draw_line(const Canvas& canvas, WindowPoint from, WindowPoint to, int radius) {
  // In 64 bits: on a picture tens of thousands of pixels wide the products pass 2^31.
  const std::int64_t dx = std::int64_t(to.x) - from.x, dy = std::int64_t(to.y) - from.y;
  const std::int64_t steps = std::max(std::abs(dx), std::abs(dy));
  for (std::int64_t i = 0; i <= steps; ++i) {
    const auto x = static_cast<std::int32_t>(steps == 0 ? from.x : from.x + dx * i / steps);
    const auto y = static_cast<std::int32_t>(steps == 0 ? from.y : from.y + dy * i / steps);
    stamp_nib(canvas, {x, y}, radius);
  }
}

// The font's cells, glyph offsets and glyph pixels all `m` times as large.
void draw_label(const Canvas& canvas, WindowPoint origin, const std::string& text, int m) {
  const int cell_width = kCellWidth * m, cell_height = kCellHeight * m, glyph_pixel_size = kGlyphScale * m;
  int cell_left = origin.x;
  for (const char byte : text) {
    const Glyph& glyph = glyph_for(static_cast<unsigned char>(byte));
    for (int row = 0; row < cell_height; ++row) {
      for (int column = 0; column < cell_width; ++column) {
        const int gx = (column - kGlyphLeft * m) / glyph_pixel_size,
                  gy = (row - kGlyphTop * m) / glyph_pixel_size;
        const bool inked = column >= kGlyphLeft * m && row >= kGlyphTop * m && gx < kGlyphColumns &&
                           gy < kGlyphRows && glyph_pixel(glyph, gx, gy);
        canvas.put(cell_left + column, origin.y + row, inked ? kOverlayLabelColour : kOverlayLabelBackground);
      }
    }
    cell_left += cell_width;
  }
}

void draw_items(const Canvas& canvas, const std::vector<OverlayItem>& items, int magnification) {
  const int radius = kOverlayPenWidth * magnification / 2;
  for (const OverlayItem& item : items) {
    for (std::size_t i = 0; i + 1 < item.frame_path.size(); ++i)
      draw_line(canvas, item.frame_path[i], item.frame_path[i + 1], radius);
    draw_label(canvas, item.label_origin, item.label, magnification);
  }
}

}  // namespace

void draw_overlay(Plane& picture, const std::vector<OverlayItem>& items) {
  // Window row r is plane row 767 - r: the rows run downwards in memory.
  draw_items(Canvas(picture.row(kFrameHeight - 1), -std::ptrdiff_t{kRowStride}, kFrameWidth, kFrameHeight),
             items, 1);
}

void draw_overlay(DecodedPicture& picture, const std::vector<OverlayItem>& items,
                  std::int32_t magnification) {
  if (picture.bgr.size() < std::size_t(picture.width) * std::size_t(picture.height) * kBytesPerPixel) return;
  draw_items(Canvas(picture.bgr.data(), std::ptrdiff_t(picture.width) * kBytesPerPixel, picture.width,
                    picture.height),
             items, std::max<std::int32_t>(1, magnification));
}

}  // namespace plate
