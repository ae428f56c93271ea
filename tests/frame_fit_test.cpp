#include "image/frame_fit.h"

#include <gtest/gtest.h>

#include <memory>

#include "test_pictures.h"

namespace plate {
namespace {

using testing::row_name;

struct FittedSizeRow {
  const char* name;
  PictureSize source, fitted;
};

class FittedSize : public ::testing::TestWithParam<FittedSizeRow> {};

TEST_P(FittedSize, KeepsTheAspectAndJustFits) {
  EXPECT_EQ(fitted_size(GetParam().source.width, GetParam().source.height), GetParam().fitted);
}

INSTANTIATE_TEST_SUITE_P(Sizes, FittedSize,
                         ::testing::Values(FittedSizeRow{"whole_frame_kept", {1024, 768}, {1024, 768}},
                                           FittedSizeRow{"small_kept", {400, 277}, {400, 277}},
                                           FittedSizeRow{"landscape_photo", {4272, 2848}, {1024, 683}},
                                           FittedSizeRow{"portrait_photo", {2848, 4272}, {512, 768}},
                                           FittedSizeRow{"one_column_over", {1025, 1}, {1024, 1}},
                                           FittedSizeRow{"thin_strip_keeps_a_row", {100000, 1}, {1024, 1}},
                                           FittedSizeRow{"one_row_over", {1, 769}, {1, 768}}),
                         row_name);

DecodedPicture picture_of(int width, int height, auto&& bgr_at) {
  DecodedPicture picture{width, height, width, height, {}};
  picture.bgr.resize(std::size_t(width) * height * 3);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const std::array<std::uint8_t, 3> bgr = bgr_at(x, y);
      std::copy(bgr.begin(), bgr.end(), picture.bgr.begin() + (std::ptrdiff_t(y) * width + x) * 3);
    }
  return picture;
}

// Every frame pixel against the area average worked out directly, one picture pixel at a time,
// for shrinks whose frame columns overlap two or three picture columns, and many; 1536 x 1152
// shrinks by exactly 2/3.
TEST(AreaAveraging, MatchesTheDirectAverageOfEveryFramePixel) {
  for (const PictureSize size :
       {PictureSize{1068, 712}, PictureSize{1536, 1152}, PictureSize{1025, 769}, PictureSize{4100, 3}}) {
    const DecodedPicture picture = picture_of(size.width, size.height, [](int x, int y) {
      const auto level = [&](int k) { return std::uint8_t((x * 7 + y * 13 + k * 101 + x * y % 97) % 256); };
      return std::array<std::uint8_t, 3>{level(0), level(1), level(2)};
    });
    auto frame = std::make_unique<Plane>();
    const PictureSize fitted = fit_into_frame(picture, *frame).fitted;
    const auto overlap = [](std::int64_t from, std::int64_t to, std::int64_t t, std::int64_t s) {
      return std::max<std::int64_t>(0, std::min((t + 1) * from, (s + 1) * to) - std::max(t * from, s * to));
    };
    int wrong = 0;
    for (int ty = 0; ty < fitted.height; ++ty)
      for (int tx = 0; tx < fitted.width; ++tx)
        for (int c = 0; c < 3; ++c) {
          std::int64_t sum = 0;
          for (int sy = ty * size.height / fitted.height;
               sy <= (ty + 1) * size.height / fitted.height && sy < size.height; ++sy)
            for (int sx = tx * size.width / fitted.width;
                 sx <= (tx + 1) * size.width / fitted.width && sx < size.width; ++sx)
              sum += overlap(size.width, fitted.width, tx, sx) * overlap(size.height, fitted.height, ty, sy) *
                     picture.bgr[(std::size_t(sy) * size.width + sx) * 3 + c];
          const std::int64_t area = std::int64_t(size.width) * size.height;
          wrong += frame->channel_unchecked(tx, kFrameHeight - 1 - ty, Channel(c)) != (sum + area / 2) / area;
        }
    EXPECT_EQ(wrong, 0) << size.width << " x " << size.height;
  }
}

TEST(FitIntoFrame, LeavesTheFrameBelowTheShrunkPictureBlack) {
  const DecodedPicture picture = picture_of(2048, 1024, [](int, int) {
    return std::array<std::uint8_t, 3>{9, 99, 199};
  });
  auto frame = std::make_unique<Plane>();
  frame->fill(50);
  const FrameMapping mapping = fit_into_frame(picture, *frame);
  EXPECT_EQ(mapping.fitted, (PictureSize{1024, 512}));
  EXPECT_EQ(frame->channel_unchecked(1023, 256, Channel::red), 199);  // the picture's bottom-right
  EXPECT_EQ(frame->channel_unchecked(0, 255, Channel::red), 0);       // below it
}

struct MappingRow {
  const char* name;
  FrameMapping mapping;
  PixelBox frame_box;
  std::optional<PixelBox> source_box;
};

class BoxMapping : public ::testing::TestWithParam<MappingRow> {};

TEST_P(BoxMapping, TurnsFrameBoxesIntoPicturePixelsAndBack) {
  const MappingRow& row = GetParam();
  const std::optional<PixelBox> source = frame_box_to_source(row.mapping, row.frame_box);
  EXPECT_EQ(source, row.source_box);
  if (!source) return;
  const std::optional<PixelBox> back = source_box_to_frame(row.mapping, *source);
  ASSERT_TRUE(back);
  // Back in the frame the box covers at least the part of the original box on the picture.
  EXPECT_LE(back->x_min, row.frame_box.x_min);
  EXPECT_GE(back->x_max, std::min(row.frame_box.x_max, row.mapping.fitted.width - 1));
  EXPECT_GE(back->y_max, row.frame_box.y_max);
  EXPECT_LE(back->y_min, std::max(row.frame_box.y_min, kFrameHeight - row.mapping.fitted.height));
}

constexpr FrameMapping kHalf{{2048, 1536}, {1024, 768}};
constexpr FrameMapping kPhoto{{4272, 2848}, {1024, 683}};
constexpr FrameMapping kSmall{{400, 277}, {400, 277}};

INSTANTIATE_TEST_SUITE_P(
    Boxes, BoxMapping,
    ::testing::Values(
        MappingRow{"half_top_left", kHalf, {10, 19, 758, 767}, PixelBox{20, 39, 0, 19}},
        MappingRow{"half_bottom_right", kHalf, {1023, 1023, 0, 0}, PixelBox{2046, 2047, 1534, 1535}},
        MappingRow{"photo_uneven_scale", kPhoto, {100, 149, 500, 559}, PixelBox{417, 625, 867, 1117}},
        MappingRow{"unscaled_flips_rows_only", kSmall, {5, 9, 760, 767}, PixelBox{5, 9, 0, 7}},
        MappingRow{"clipped_to_the_picture", kSmall, {390, 500, 400, 767}, PixelBox{390, 399, 0, 276}},
        MappingRow{"wholly_in_the_black", kSmall, {500, 600, 100, 200}, std::nullopt}),
    row_name);

}  // namespace
}  // namespace plate
