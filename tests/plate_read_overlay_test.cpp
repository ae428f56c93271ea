#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "../present/overlay_font.h"
#include "present/overlay_drawing.h"

namespace plate {
namespace {

bool is(const Plane& p, int x, int window_row, Rgb c) {
  const int y = kFrameHeight - 1 - window_row;
  return p.channel_unchecked(x, y, Channel::red) == c.red &&
         p.channel_unchecked(x, y, Channel::green) == c.green &&
         p.channel_unchecked(x, y, Channel::blue) == c.blue;
}

constexpr Rgb kWhite = {255, 255, 255}, kBlack = {0, 0, 0};

// The frame of x 100..300, plane rows 200..260, as plan_overlay gives it, labelled with a middle
// dot, a hyphen and a digit.
const OverlayItem kItem{
    1, {{{100, 567}, {300, 567}, {300, 507}, {100, 507}, {100, 567}}}, {100, 571}, "\xA5-1"};

TEST(OverlayDrawingTest, FrameIsAFivePixelPenOnThePlannedPathClippedAtTheEdges) {
  auto picture = std::make_unique<Plane>();
  picture->fill(255);
  draw_overlay(*picture, {kItem});
  for (const int row : {565, 567, 569, 505, 507, 509})
    EXPECT_TRUE(is(*picture, 200, row, kOverlayFrameColour)) << row;
  for (const int row : {564, 570, 504, 510}) EXPECT_TRUE(is(*picture, 200, row, kWhite)) << row;
  for (const int x : {98, 100, 102, 298, 300, 302})
    EXPECT_TRUE(is(*picture, x, 537, kOverlayFrameColour)) << x;
  for (const int x : {97, 103, 297, 303}) EXPECT_TRUE(is(*picture, x, 537, kWhite)) << x;
  // Pen and label reaching past the frame are clipped; the sanitizers catch a stray write.
  draw_overlay(*picture, {{1, {{{1, 766}, {1023, 766}, {1023, 0}, {1, 0}, {1, 766}}}, {1000, 760}, "12-34"}});
  EXPECT_TRUE(is(*picture, 0, 0, kOverlayFrameColour));
  EXPECT_TRUE(is(*picture, 1023, 0, kOverlayFrameColour));
  EXPECT_TRUE(is(*picture, 1023, 767, kOverlayLabelBackground));  // the label, drawn after the frame
}

TEST(OverlayDrawingTest, LabelIsBlueOnWhiteCellsFromTheLabelOrigin) {
  auto picture = std::make_unique<Plane>();
  picture->fill(0);
  draw_overlay(*picture, {kItem});
  std::array<int, 3> blue_per_cell{};
  for (int row = 571; row < 571 + kCellHeight; ++row) {
    for (int x = 100; x < 100 + 3 * kCellWidth; ++x) {
      const bool blue = is(*picture, x, row, kOverlayLabelColour);
      EXPECT_TRUE(blue || is(*picture, x, row, kOverlayLabelBackground)) << x << "," << row;
      blue_per_cell[std::size_t((x - 100) / kCellWidth)] += blue;
    }
  }
  const int dot = kGlyphScale * kGlyphScale;  // the middle dot, the hyphen and the 1 have 1, 5 and 10
  EXPECT_EQ(blue_per_cell, (std::array{dot, 5 * dot, 10 * dot}));
  EXPECT_TRUE(is(*picture, 100 + 3 * kCellWidth, 575, kBlack));  // nothing past the last cell
  EXPECT_TRUE(is(*picture, 100, 571 + kCellHeight, kBlack));
}

}  // namespace
}  // namespace plate
