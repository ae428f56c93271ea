// load_picture in every build, the decoders built or not: a 24-bit bitmap that fits the frame
// reads exactly as read_bitmap reads it, and where the decoders are not built (Windows) every
// file is read_bitmap's, with its outcomes.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "bmp_files.h"
#include "image/picture_loader.h"
#include "scratch_folder.h"

namespace plate {
namespace {

namespace fs = std::filesystem;

using testing::write_file;

TEST(LoadPictureInEveryBuild, ReadsAFittingBitmapAsReadBitmapDoes) {
  const fs::path file = fs::path(::testing::TempDir()) / "load_picture_any_build.bmp";
  write_file(file, testing::make_bmp({.width = 100, .height = 50}));
  auto loaded = std::make_unique<Plane>(), read = std::make_unique<Plane>();
  const LoadedPicture result = load_picture(file, *loaded, {.keep_source = true});
  ASSERT_EQ(read_bitmap(file, *read), ReadOutcome::read);
  EXPECT_EQ(result.outcome, PictureOutcome::loaded);
  EXPECT_EQ(result.bitmap_outcome, ReadOutcome::read);
  EXPECT_EQ(result.mapping.source, (PictureSize{100, 50}));
  EXPECT_TRUE(loaded->bytes == read->bytes);
  EXPECT_EQ(result.source.width, 100);
  EXPECT_EQ(result.source.bgr[0], read->row(kFrameHeight - 1)[0]);
  fs::remove(file);
}

TEST(LoadPictureInEveryBuild, WithoutTheDecodersEveryFileIsTheBitmapReaders) {
  if (picture_decoders_built()) GTEST_SKIP() << "this build decodes JPEG and PNG";
  const fs::path folder = fs::path(::testing::TempDir());
  write_file(folder / "load_picture_any_build.png", std::vector<std::byte>(60, std::byte{0x89}));
  auto frame = std::make_unique<Plane>();
  const LoadedPicture png = load_picture(folder / "load_picture_any_build.png", *frame);
  EXPECT_EQ(png.outcome, PictureOutcome::bitmap_refused);
  EXPECT_EQ(png.bitmap_outcome, ReadOutcome::wrong_signature);
  const LoadedPicture missing = load_picture(folder / "load_picture_no_such.bmp", *frame);
  EXPECT_EQ(missing.outcome, PictureOutcome::bitmap_refused);
  EXPECT_EQ(missing.bitmap_outcome, ReadOutcome::missing_file);
  const LoadedPicture folder_itself = load_picture(folder, *frame);
  EXPECT_EQ(folder_itself.bitmap_outcome, ReadOutcome::not_a_regular_file);
  fs::remove(folder / "load_picture_any_build.png");
}

}  // namespace
}  // namespace plate
