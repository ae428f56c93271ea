// plate-read's overlay of a photo: drawn on the picture at its own size and written as PNG or BMP
// by the target's name, read back with the project's own decoders.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "encoded_pictures.h"
#include "image/bitmap_reader.h"
#include "image/source_picture.h"
#include "overlay_targets.h"
#include "present/overlay_plan.h"
#include "reader/overlay_file.h"
#include "reader/reader.h"
#include "scratch_folder.h"

namespace plate::cli {
namespace {

namespace fs = std::filesystem;

const fs::path kSamples = fs::path(PLATE_SOURCE_DIR) / "data" / "samples";

bool has_colour(const DecodedPicture& picture, int x, int y, Rgb colour) {
  const std::uint8_t* p =
      picture.bgr.data() + (std::size_t(y) * std::size_t(picture.width) + std::size_t(x)) * 3;
  return p[0] == colour.blue && p[1] == colour.green && p[2] == colour.red;
}

// A 3072 x 2304 JPEG of a sample with two plates: both overlays are the photo at its own size, the
// PNG and the BMP the same pixels; each plate's frame is drawn 3 times the window's width along its
// box in picture pixels, and its label below it.
TEST(PhotoOverlay, IsThePictureAtItsOwnSizeFramedWhereEachPlateIs) {
  const testing::ScratchFolder scratch("plate_read_photo_overlay");
  const fs::path& dir = scratch.path();
  auto frame = std::make_unique<Plane>();
  ASSERT_EQ(read_bitmap(kSamples / "two_plates.bmp", *frame), ReadOutcome::read);
  constexpr int k = 3;
  testing::write_file(dir / "photo.jpg", testing::encode_jpeg(testing::enlarged_frame(*frame, k)));
  reader::ReadSettings settings;
  settings.keep_source = true;
  reader::Reader worker(settings);
  ASSERT_FALSE(worker.load_patterns(fs::path(PLATE_SOURCE_DIR) / "data" / "EBMPlog00.pat"));

  struct Row {
    const char* target;
    PictureFormat format;
  };
  std::vector<DecodedPicture> overlays;
  for (const Row& row : {Row{"out.png", PictureFormat::png}, Row{"out.BMP", PictureFormat::bmp}}) {
    const reader::Record report = worker.read_file(dir / "photo.jpg");
    ASSERT_FALSE(report.failed()) << report.messages;
    ASSERT_EQ(reader::write_overlay(worker, dir / row.target), std::nullopt);
    ASSERT_EQ(report.plates.size(), 2u);
    SourcePicture overlay = load_source_picture(dir / row.target);
    ASSERT_EQ(overlay.outcome, PictureOutcome::loaded) << row.target;
    EXPECT_EQ(overlay.format, row.format);
    ASSERT_EQ(overlay.picture.width, kFrameWidth * k);
    ASSERT_EQ(overlay.picture.height, kFrameHeight * k);
    overlays.push_back(std::move(overlay.picture));

    for (const reader::PlateRecord& plate : report.plates) {
      ASSERT_TRUE(plate.source_box);
      const PixelBox& box = *plate.source_box;
      const int mid_x = (box.x_min + box.x_max) / 2, mid_y = (box.y_min + box.y_max) / 2;
      const int pen_reach = kOverlayPenWidth * k / 2;  // 7 pixels each side of the path
      for (const int d : {-pen_reach, 0, pen_reach}) {
        EXPECT_TRUE(has_colour(overlays.back(), box.x_min + d, mid_y, kOverlayFrameColour)) << d;
        EXPECT_TRUE(has_colour(overlays.back(), mid_x, box.y_min + d, kOverlayFrameColour)) << d;
      }
      EXPECT_FALSE(has_colour(overlays.back(), box.x_min - pen_reach - 2, mid_y, kOverlayFrameColour));
      // The label's first cell, 4 * k rows below the frame's bottom edge: blue on white.
      int blue = 0;
      for (int y = box.y_max + 4 * k; y < box.y_max + 4 * k + 16 * k; ++y)
        for (int x = box.x_min; x < box.x_min + 12 * k; ++x)
          blue += has_colour(overlays.back(), x, y, kOverlayLabelColour);
      EXPECT_GT(blue, 0);
    }
  }
  EXPECT_TRUE(overlays[0].bgr == overlays[1].bgr);
}

// Targets are checked by name before any file is read (plate_read_cli_test has the refusal):
// --overlay takes .png or .bmp in any case; --overlay-dir keeps a bitmap's overlay a bitmap and makes a
// photo's a PNG.
TEST(PhotoOverlay, TargetsAreNamedPngOrBmp) {
  const std::vector<fs::path> one{"in.jpg"};
  Options options;
  for (const char* good : {"o.png", "o.PNG", "o.bmp"}) {
    options.overlay_file = good;
    EXPECT_EQ(plan_overlay_targets(one, options).usage_error, "") << good;
  }
  options.overlay_file = "o.bmpx";  // a longer extension that starts alike
  EXPECT_NE(plan_overlay_targets(one, options).usage_error, "");

  options.overlay_file.reset();
  options.overlay_dir = "out";
  const OverlayTargets targets = plan_overlay_targets({"a.jpg", "b.bmp", "c.PNG", "d.JPEG"}, options);
  ASSERT_EQ(targets.usage_error, "");
  const std::vector<std::optional<fs::path>> expected{
      fs::path("out/a-overlay.png"), fs::path("out/b-overlay.bmp"), fs::path("out/c-overlay.png"),
      fs::path("out/d-overlay.png")};
  EXPECT_EQ(targets.paths, expected);
}

}  // namespace
}  // namespace plate::cli
