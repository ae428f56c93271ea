#include "image/bitmap_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "bmp_files.h"
#include "present/outcome_messages.h"
#include "scratch_folder.h"
#include "test_pictures.h"

namespace plate {
namespace {

using enum ReadOutcome;
using testing::BmpFile;
using testing::kPadding;
using testing::make_bmp;
using testing::test_pixel;

constexpr const char* kReadError = "ファイルリードエラーです";
constexpr const char* kTooBig = "Too big width";
constexpr const char* kOnly24Bit = "24ビットビットマップだけを処理します";

std::unique_ptr<Plane> plane_of(std::uint8_t level) {
  auto plane = std::make_unique<Plane>();
  plane->fill(level);
  return plane;
}

// The frame after reading the file's picture rows first..last (counted from the top): each on
// plane row 767 - row from x = 0 on, its padding just right of it, and black everywhere else.
std::unique_ptr<Plane> expected_plane(const BmpFile& f, int first_row, int last_row) {
  auto plane = plane_of(0);
  for (int r = first_row; r <= last_row; ++r) {
    std::uint8_t* row = plane->row(kFrameHeight - 1 - r);
    for (int x = 0; x < f.width; ++x) std::ranges::copy(test_pixel(x, r), row + 3 * x);
    std::fill(row + 3 * f.width, row + f.stride, kPadding);
  }
  return plane;
}

// The offset of the first byte where the planes differ; kPlaneBytes when they agree.
std::ptrdiff_t first_difference(const Plane& got, const Plane& want) {
  return std::ranges::mismatch(got.bytes, want.bytes).in1 - got.bytes.begin();
}

struct ReadCase {
  const char* name;
  BmpFile file;
  ReadOutcome outcome = read;
  const char* message = nullptr;
  int rows_kept = 0;  // of a truncated file: the rows before the cut
};

class ReadTest : public ::testing::TestWithParam<ReadCase> {};

// A read leaves its one message or none, and a frame with exactly the rows read: the whole
// picture, the rows before a cut, or none. Only the first failing check speaks.
TEST_P(ReadTest, GivesItsOutcomeMessageAndFrame) {
  const ReadCase& c = GetParam();
  auto plane = plane_of(0x55);
  EXPECT_EQ(read_bitmap_bytes(make_bmp(c.file), *plane), c.outcome);
  EXPECT_EQ(bitmap_message(c.outcome), c.message ? std::string_view(c.message) : std::string_view());
  const int kept = c.outcome == read ? std::abs(c.file.height) : c.rows_kept;
  const int first = c.file.height < 0 ? 0 : c.file.height - kept;
  EXPECT_EQ(first_difference(*plane, *expected_plane(c.file, first, first + kept - 1)), kPlaneBytes);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Files, ReadTest, ::testing::Values(
    ReadCase{"Corner100x50", {}},
    ReadCase{"FullFrame", {1024, 768, 3072}},
    ReadCase{"Width1023StrideIs3072", {1023, 2, 3072}},
    ReadCase{"Width1StrideIs4", {1, 3, 4}},
    ReadCase{"TopDown", {.height = -50}},
    ReadCase{"V5Header", {.info_header_bytes = 124}},
    ReadCase{"ColourTableGap", {.gap = 1024}},
    ReadCase{"Width1025", {1025, 1, 3076}, too_wide, kTooBig},
    ReadCase{"Height769", {1, 769, 4}, too_tall, kTooBig},
    ReadCase{"TopDownHeight769", {1, -769, 4}, too_tall, kTooBig},
    ReadCase{"HeightIntMin", {1, INT_MIN, 0}, too_tall, kTooBig},
    ReadCase{"TooBigBeforeWrongBitCount", {2000, 1000, 0, 8}, too_wide, kTooBig},
    ReadCase{"EightBit", {.stride = 100, .bit_count = 8}, not_24_bit, kOnly24Bit},
    ReadCase{"Bitfields", {.compression = 3}, colour_masks, kOnly24Bit},
    ReadCase{"Rle8", {.compression = 1}, compressed, kOnly24Bit},
    ReadCase{"WidthZero", {.width = 0}, zero_width, kReadError},
    ReadCase{"NegativeWidth", {.width = -100}, negative_width, kReadError},
    ReadCase{"NotBM", {.signature = "BA"}, wrong_signature, kReadError},
    ReadCase{"Os2CoreHeader", {.info_header_bytes = 12}, os2_header, kReadError},
    ReadCase{"OffsetBelow54", {.data_offset = 53}, bad_pixel_offset, kReadError},
    ReadCase{"OffsetInsideV5Header", {.info_header_bytes = 124, .data_offset = 54}, bad_pixel_offset, kReadError},
    ReadCase{"OffsetPastEnd", {.data_offset = 54 + 50 * 300 + 1}, bad_pixel_offset, kReadError},
    ReadCase{"HeadersCutShort", {.cut_to = 53}, headers_cut_short, kReadError},
    ReadCase{"HeightZero", {.height = 0}, empty_picture},
    ReadCase{"CutAtFirstRow", {.cut_to = 54}, truncated_rows, kReadError},
    ReadCase{"CutOneByteShort", {.cut_to = 54 + 50 * 300 - 1}, truncated_rows, kReadError, 49},
    ReadCase{"TopDownCutInsideARow", {.height = -50, .cut_to = 54 + 20 * 300 + 150}, truncated_rows, kReadError,
             20}),
    testing::row_name);
// clang-format on

TEST(ReadBitmapFileTest, FileReadsAsItsBytesAndUnopenablePathsAreReadErrors) {
  const BmpFile f{.height = -50, .info_header_bytes = 124};
  const auto bytes = make_bmp(f);
  const auto dir = std::filesystem::path(::testing::TempDir()) / "bitmap_reader_test";
  std::filesystem::create_directories(dir);
  const auto path = dir / std::filesystem::path(u8"ナンバー.bmp");
  testing::write_file(path, bytes);
  auto plane = std::make_unique<Plane>();
  EXPECT_EQ(read_bitmap(path, *plane), read);
  EXPECT_EQ(first_difference(*plane, *expected_plane(f, 0, 49)), kPlaneBytes);

  EXPECT_EQ(read_bitmap(dir / "missing.bmp", *plane), missing_file);
  EXPECT_EQ(read_bitmap(dir, *plane), not_a_regular_file);
  EXPECT_EQ(bitmap_message(missing_file), kReadError);
  EXPECT_EQ(bitmap_message(not_a_regular_file), kReadError);
  EXPECT_EQ(first_difference(*plane, *expected_plane(f, 0, -1)), kPlaneBytes);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace plate
