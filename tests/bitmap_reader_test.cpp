#include "image/bitmap_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace plate {
namespace {

const std::string kReadError = "ファイルリードエラーです";
const std::string kTooBig = "Too big width";
const std::string kOnly24Bit = "24ビットビットマップだけを処理します";

struct RecordingMessages final : MessageService {
  std::vector<std::string> texts;
  void show_message(std::string_view text) override { texts.emplace_back(text); }
};

std::unique_ptr<Plane> plane_filled(std::uint8_t value) {
  auto plane = std::make_unique<Plane>();
  plane->fill(value);
  return plane;
}

// Every pixel of a test picture differs from every other and from black. Rows count from the top.
std::array<std::uint8_t, 3> test_pixel(int x, int row_from_top) {
  return {std::uint8_t(x & 0xFF), std::uint8_t(row_from_top & 0xFF),
          std::uint8_t(0x80 | x >> 8 | (row_from_top >> 8) << 2)};
}
constexpr std::uint8_t kPadding = 0xEE;

struct BmpFile {
  std::int32_t width;
  std::int32_t height;       // negative: rows stored top-down
  std::uint32_t stride = 0;  // 0: no pixel data
  std::uint16_t bit_count = 24;
  std::uint32_t compression = 0;
  std::uint32_t info_header_bytes = 40;
  std::uint32_t gap = 0;  // bytes between the headers and the pixel rows, as a colour table leaves
  std::optional<std::uint32_t> data_offset = std::nullopt;  // default: right after the gap
  const char* signature = "BM";
  std::optional<std::size_t> cut_to = std::nullopt;  // file length after cutting
};

std::vector<std::byte> make_bmp(const BmpFile& f) {
  const std::uint32_t headers = 14 + std::max(f.info_header_bytes, 40u);
  std::vector<std::byte> bytes(headers + f.gap, std::byte{0});
  auto put = [&](std::size_t at, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes[at + i] = std::byte(value >> 8 * i & 0xFF);
  };
  put(0, std::uint8_t(f.signature[0]), 1);
  put(1, std::uint8_t(f.signature[1]), 1);
  put(10, f.data_offset.value_or(headers + f.gap), 4);
  put(14, f.info_header_bytes, 4);
  put(18, std::uint32_t(f.width), 4);
  put(22, std::uint32_t(f.height), 4);
  put(26, 1, 2);
  put(28, f.bit_count, 2);
  put(30, f.compression, 4);
  const int rows = f.stride == 0 ? 0 : std::abs(f.height);
  for (int i = 0; i < rows; ++i) {
    const int row_from_top = f.height < 0 ? i : rows - 1 - i;
    const std::size_t row_start = bytes.size();
    for (int x = 0; x < f.width; ++x)
      for (std::uint8_t b : test_pixel(x, row_from_top)) bytes.push_back(std::byte{b});
    bytes.resize(row_start + f.stride, std::byte{kPadding});
  }
  if (f.cut_to) bytes.resize(*f.cut_to);
  return bytes;
}

// The frame as it must look after reading picture rows first..last (counted from the top).
std::unique_ptr<Plane> expected_plane(int width, int stride, int first_row, int last_row) {
  auto plane = plane_filled(0);
  for (int r = first_row; r <= last_row; ++r) {
    std::uint8_t* row = plane->row(kFrameHeight - 1 - r);
    for (int x = 0; x < width; ++x) std::ranges::copy(test_pixel(x, r), row + 3 * x);
    std::fill(row + 3 * width, row + stride, kPadding);
  }
  return plane;
}

ReadOutcome read_built(const BmpFile& f, Plane& plane, MessageService& messages) {
  const std::vector<std::byte> bytes = make_bmp(f);
  return read_bitmap_bytes(bytes, plane, messages);
}

// Every data row carries a name, for the test's name and for failure reports.
template <class Case>
requires requires(const Case& c) {
  c.name;
}
void PrintTo(const Case& c, std::ostream* out) {
  *out << c.name;
}

template <class Case>
std::string case_name(const ::testing::TestParamInfo<Case>& row) {
  return row.param.name;
}

std::string first_difference(const Plane& got, const Plane& want) {
  for (std::size_t i = 0; i < kPlaneBytes; ++i) {
    if (got.bytes[i] != want.bytes[i])
      return "x " + std::to_string(i % kRowStride / 3) + " y " + std::to_string(i / kRowStride) + " byte " +
             std::to_string(i % 3) + ": " + std::to_string(got.bytes[i]) + " instead of " +
             std::to_string(want.bytes[i]);
  }
  return "";
}

struct Refusal {
  const char* name;
  BmpFile file;
  ReadOutcome outcome;
  const std::string* message;  // nullptr: none
};

class RefusalTest : public ::testing::TestWithParam<Refusal> {};

// Only the first failing check speaks, and a refused file leaves a black frame.
TEST_P(RefusalTest, GivesItsOutcomeOneMessageAndABlackFrame) {
  const Refusal& c = GetParam();
  auto plane = plane_filled(0x55);
  RecordingMessages messages;
  EXPECT_EQ(read_built(c.file, *plane, messages), c.outcome);
  EXPECT_EQ(messages.texts, c.message ? std::vector{*c.message} : std::vector<std::string>{});
  EXPECT_EQ(first_difference(*plane, *plane_filled(0)), "");
}

INSTANTIATE_TEST_SUITE_P(
    Headers, RefusalTest,
    ::testing::Values(
        Refusal{"Width1025", {1025, 1, 3076}, ReadOutcome::too_big, &kTooBig},
        Refusal{"Height769", {1, 769, 4}, ReadOutcome::too_big, &kTooBig},
        Refusal{"TopDownHeight769", {1, -769, 4}, ReadOutcome::too_big, &kTooBig},
        Refusal{"HeightIntMin", {1, INT_MIN}, ReadOutcome::too_big, &kTooBig},
        Refusal{"TooBigBeforeWrongBitCount", {2000, 1000, 0, 8}, ReadOutcome::too_big, &kTooBig},
        Refusal{"EightBit", {100, 50, 100, 8}, ReadOutcome::unsupported_format, &kOnly24Bit},
        Refusal{"ThirtyTwoBit", {100, 50, 400, 32}, ReadOutcome::unsupported_format, &kOnly24Bit},
        Refusal{"Bitfields", {100, 50, 300, 24, 3}, ReadOutcome::unsupported_format, &kOnly24Bit},
        Refusal{"WidthZero", {0, 50}, ReadOutcome::corrupt, &kReadError},
        Refusal{"NegativeWidth", {-100, 50, 300}, ReadOutcome::corrupt, &kReadError},
        Refusal{"NotBM",
                {.width = 4, .height = 4, .stride = 12, .signature = "BA"},
                ReadOutcome::corrupt,
                &kReadError},
        Refusal{"Os2CoreHeader", {4, 4, 12, 24, 0, 12}, ReadOutcome::corrupt, &kReadError},
        Refusal{"OffsetBelow54",
                {.width = 4, .height = 4, .stride = 12, .data_offset = 53},
                ReadOutcome::corrupt,
                &kReadError},
        Refusal{"OffsetInsideV5Header",
                {.width = 4, .height = 4, .stride = 12, .info_header_bytes = 124, .data_offset = 54},
                ReadOutcome::corrupt,
                &kReadError},
        Refusal{"OffsetPastEnd",
                {.width = 4, .height = 4, .stride = 12, .data_offset = 103},
                ReadOutcome::corrupt,
                &kReadError},
        Refusal{"HeadersCutShort",
                {.width = 4, .height = 4, .stride = 12, .cut_to = 53},
                ReadOutcome::corrupt,
                &kReadError},
        Refusal{"CutAtFirstRow",
                {.width = 4, .height = 4, .stride = 12, .cut_to = 54},
                ReadOutcome::truncated,
                &kReadError},
        Refusal{"HeightZero", {100, 0, 300}, ReadOutcome::empty_picture, nullptr}),
    case_name<Refusal>);

struct Placement {
  const char* name;
  BmpFile file;
};

class PlacementTest : public ::testing::TestWithParam<Placement> {};

// Whatever the encoding, the picture's top row lands on plane row 767 and its left column on x = 0,
// with the row padding just right of it and black everywhere else.
TEST_P(PlacementTest, PictureFillsTheTopLeftCorner) {
  const BmpFile& f = GetParam().file;
  auto plane = plane_filled(0x55);
  RecordingMessages messages;
  EXPECT_EQ(read_built(f, *plane, messages), ReadOutcome::read);
  EXPECT_TRUE(messages.texts.empty());
  EXPECT_EQ(first_difference(*plane, *expected_plane(f.width, int(f.stride), 0, std::abs(f.height) - 1)), "");
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, PlacementTest,
    ::testing::Values(Placement{"FullFrame", {1024, 768, 3072}}, Placement{"Corner100x50", {100, 50, 300}},
                      Placement{"Width1023StrideIs3072", {1023, 2, 3072}},
                      Placement{"Width1StrideIs4", {1, 3, 4}}, Placement{"TopDown", {100, -50, 300}},
                      Placement{"TopDownFullFrame", {1024, -768, 3072}},
                      Placement{"V5Header", {100, 50, 300, 24, 0, 124}},
                      Placement{"ColourTableGap", {.width = 100, .height = 50, .stride = 300, .gap = 1024}}),
    case_name<Placement>);

struct Cut {
  const char* name;
  std::int32_t height;
  std::size_t bytes_after_headers;
  int rows_kept;
};

class TruncationTest : public ::testing::TestWithParam<Cut> {};

// The rows read before the cut stay where a whole file would put them; the short row stays black.
TEST_P(TruncationTest, KeepsTheRowsBeforeTheCut) {
  const Cut& c = GetParam();
  const BmpFile f{.width = 100, .height = c.height, .stride = 300, .cut_to = 54 + c.bytes_after_headers};
  auto plane = plane_filled(0x55);
  RecordingMessages messages;
  EXPECT_EQ(read_built(f, *plane, messages), ReadOutcome::truncated);
  EXPECT_EQ(messages.texts, std::vector{kReadError});
  const int first = c.height < 0 ? 0 : c.height - c.rows_kept;
  EXPECT_EQ(first_difference(*plane, *expected_plane(100, 300, first, first + c.rows_kept - 1)), "");
}

INSTANTIATE_TEST_SUITE_P(Cuts, TruncationTest,
                         ::testing::Values(Cut{"InsideARow", 50, 20 * 300 + 150, 20},
                                           Cut{"OneByteShort", 50, 50 * 300 - 1, 49},
                                           Cut{"TopDownInsideARow", -50, 20 * 300 + 150, 20}),
                         case_name<Cut>);

TEST(ReadBitmapFileTest, FileReadsAsItsBytesAndUnopenablePathsAreReadErrors) {
  const auto bytes = make_bmp({100, -50, 300, 24, 0, 124});
  const auto dir = std::filesystem::path(::testing::TempDir()) / "bitmap_reader_test";
  std::filesystem::create_directories(dir);
  const auto path = dir / std::filesystem::path(u8"ナンバー.bmp");
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));

  auto from_file = plane_filled(0x55);
  RecordingMessages messages;
  EXPECT_EQ(read_bitmap(path, *from_file, messages), ReadOutcome::read);
  EXPECT_EQ(first_difference(*from_file, *expected_plane(100, 300, 0, 49)), "");

  EXPECT_EQ(read_bitmap(dir / "missing.bmp", *from_file, messages), ReadOutcome::cannot_open);
  // A folder fails to open on Windows and opens without bytes on Linux: a read error either way.
  EXPECT_NE(read_bitmap(dir, *from_file, messages), ReadOutcome::read);
  EXPECT_EQ(messages.texts, (std::vector{kReadError, kReadError}));
  EXPECT_EQ(first_difference(*from_file, *plane_filled(0)), "");
  std::filesystem::remove_all(dir);
}

// The public BMP test suite: 91 files of every kind and fault, each 127 x 64 picture.
class BmpSuiteTest : public ::testing::Test {
 protected:
  const std::filesystem::path suite_dir_ = PLATE_SOURCE_DIR "/../shared/corpus/bmpsuite";
  void SetUp() override {
    if (!std::filesystem::is_directory(suite_dir_)) GTEST_SKIP() << "BMP suite not found at " << suite_dir_;
  }
};

TEST_F(BmpSuiteTest, ReadsTheUncompressed24BitPicturesExactlyAndSpeaksOnceForEveryOther) {
  // The four files with 24-bit uncompressed pixels within the frame (one of them with a V5 header,
  // two with a colour table before the pixels); reallybig.bmp is 24-bit as well but too big.
  const std::set<std::string> readable = {"g/rgb24.bmp", "g/rgb24pal.bmp", "q/rgb24largepal.bmp",
                                          "q/rgb24lprof.bmp"};
  std::ifstream ppm(suite_dir_ / "expected/rgb24.ppm", std::ios::binary);
  std::string magic;
  int width = 0, height = 0, max_value = 0;
  ppm >> magic >> width >> height >> max_value;
  ppm.get();
  const std::vector<char> expected_rgb{std::istreambuf_iterator<char>(ppm), {}};
  ASSERT_EQ(magic, "P6");
  ASSERT_EQ(expected_rgb.size(), std::size_t(width * height * 3));

  auto plane = std::make_unique<Plane>();
  std::set<std::string> read_files;
  int files = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(suite_dir_)) {
    if (entry.path().extension() != ".bmp") continue;
    ++files;
    const std::string name = std::filesystem::relative(entry.path(), suite_dir_).generic_string();
    RecordingMessages messages;
    const ReadOutcome outcome = read_bitmap(entry.path(), *plane, messages);
    if (outcome != ReadOutcome::read) {
      EXPECT_EQ(messages.texts.size(), 1u) << name;
      continue;
    }
    read_files.insert(name);
    EXPECT_TRUE(messages.texts.empty()) << name;
    for (int r = 0; r < height; ++r)
      for (int x = 0; x < width; ++x)
        for (int c = 0; c < 3; ++c)
          ASSERT_EQ(plane->channel_unchecked(x, kFrameHeight - 1 - r, Channel(2 - c)),
                    std::uint8_t(expected_rgb[std::size_t((r * width + x) * 3 + c)]))
              << name << " x " << x << " row " << r;
  }
  EXPECT_GE(files, 89);
  EXPECT_EQ(read_files, readable);
}

}  // namespace
}  // namespace plate
