#include "image/picture_loader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "bmp_files.h"
#include "encoded_pictures.h"
#include "hostile_pictures.h"
#include "image/jpeg_decoder.h"
#include "largest_allocation.h"
#include "scratch_folder.h"
#include "test_pictures.h"

namespace plate {
namespace {

namespace fs = std::filesystem;
using testing::BgrPicture;
using testing::Bytes;
using Rows = std::vector<std::uint8_t>;
using testing::g_largest_new;
using testing::row_name;

struct Loaded {
  LoadedPicture result;
  std::unique_ptr<Plane> frame = std::make_unique<Plane>();
};

std::unique_ptr<Loaded> load_bytes(const Bytes& bytes, const char* name = "") {
  auto loaded = std::make_unique<Loaded>();
  loaded->result = load_picture_bytes(bytes, name, *loaded->frame);
  return loaded;
}

// The shown picture's pixel (x from the left, y from the top) as it lies in the frame.
std::uint8_t shown(const Plane& frame, int x, int y, Channel c = Channel::green) {
  return frame.channel_unchecked(x, kFrameHeight - 1 - y, c);
}

// 48 x 32: 16-pixel blocks, three across and two down, each its own grey; the blocks at the
// stored top-left (level 0) and top-right (level 80) tell every orientation apart.
constexpr int kBlock = 16;
constexpr std::array<std::array<std::uint8_t, 3>, 2> kBlockLevels{{{0, 40, 80}, {120, 160, 200}}};

BgrPicture blocks() {
  BgrPicture picture(3 * kBlock, 2 * kBlock);
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x) {
      const std::uint8_t level = kBlockLevels[std::size_t(y / kBlock)][std::size_t(x / kBlock)];
      picture.set(x, y, level, level, level);
    }
  return picture;
}

std::uint8_t shown_block(const Plane& frame, int column, int row) {
  return shown(frame, column * kBlock + kBlock / 2, row * kBlock + kBlock / 2);
}

struct OrientationRow {
  const char* name;
  int orientation;
  PictureSize shown_size;
  std::array<int, 2> top_left_at, top_right_at;  // where the stored corner blocks are shown
};

class ExifOrientation : public ::testing::TestWithParam<OrientationRow> {};

TEST_P(ExifOrientation, TurnsThePictureAsTheCameraSays) {
  const OrientationRow& row = GetParam();
  const Bytes jpeg = testing::with_exif_orientation(testing::encode_jpeg(blocks()), row.orientation,
                                                    row.orientation % 2 == 0);
  const auto loaded = load_bytes(jpeg, "turned.JPG");
  ASSERT_EQ(loaded->result.outcome, PictureOutcome::loaded);
  EXPECT_EQ(loaded->result.mapping.source, row.shown_size);
  EXPECT_NEAR(shown_block(*loaded->frame, row.top_left_at[0], row.top_left_at[1]), 0, 4);
  EXPECT_NEAR(shown_block(*loaded->frame, row.top_right_at[0], row.top_right_at[1]), 80, 4);
}

INSTANTIATE_TEST_SUITE_P(AllEight, ExifOrientation,
                         ::testing::Values(OrientationRow{"as_stored", 1, {48, 32}, {0, 0}, {2, 0}},
                                           OrientationRow{"mirrored", 2, {48, 32}, {2, 0}, {0, 0}},
                                           OrientationRow{"half_turn", 3, {48, 32}, {2, 1}, {0, 1}},
                                           OrientationRow{"flipped", 4, {48, 32}, {0, 1}, {2, 1}},
                                           OrientationRow{"transposed", 5, {32, 48}, {0, 0}, {0, 2}},
                                           OrientationRow{"clockwise", 6, {32, 48}, {1, 0}, {1, 2}},
                                           OrientationRow{"transversed", 7, {32, 48}, {1, 2}, {1, 0}},
                                           OrientationRow{"anticlockwise", 8, {32, 48}, {0, 2}, {0, 0}}),
                         row_name);

// Decoded straight at the smallest of 1/2, 1/4, 1/8 that still covers the fitted size, turned
// after scaling: 3000 x 2000 on its side needs 1/2, since 1/4 would leave 500 of 512 columns.
TEST(LargeJpeg, IsDecodedAtTheSmallestScaleThatCoversItsFittedSize) {
  struct Case {
    int width, height, orientation;
    PictureSize held;
  };
  for (const Case c : {Case{4096, 3072, 1, {1024, 768}}, Case{3000, 2000, 6, {1000, 1500}}}) {
    BgrPicture picture(c.width, c.height, 200);
    for (int y = 0; y < c.height / 2; ++y)
      for (int x = 0; x < c.width / 2; ++x) picture.set(x, y, 30, 30, 30);  // dark stored top-left quarter
    const Bytes jpeg = testing::with_exif_orientation(testing::encode_jpeg(picture), c.orientation, true);
    const DecodeResult decoded = decode_jpeg(jpeg);
    ASSERT_EQ(decoded.outcome, PictureOutcome::loaded);
    EXPECT_EQ((PictureSize{decoded.picture.width, decoded.picture.height}), c.held);
    // Turned clockwise, the stored top-left quarter is shown top-right.
    const int dark_x = c.orientation == 6 ? c.held.width - 5 : 5;
    EXPECT_NEAR(decoded.picture.bgr[std::size_t(5 * c.held.width + dark_x) * 3], 30, 4);
  }
}

testing::PngImage png_of(int width, std::uint8_t colour_type, std::uint8_t depth,
                         std::vector<std::uint8_t> data) {
  testing::PngImage image;
  image.header = {std::uint32_t(width), 1, depth, colour_type, 0, 0, 0};
  image.data = std::move(data);
  return image;
}

struct PngRow {
  const char* name;
  testing::PngImage image;
  std::vector<std::array<std::uint8_t, 3>> expected_bgr;  // the row's pixels from the left
};

class PngKinds : public ::testing::TestWithParam<PngRow> {};

TEST_P(PngKinds, DecodeBlendedOnWhite) {
  const auto loaded = load_bytes(testing::encode_png(GetParam().image), "picture.png");
  ASSERT_EQ(loaded->result.outcome, PictureOutcome::loaded);
  for (std::size_t x = 0; x < GetParam().expected_bgr.size(); ++x)
    for (int c = 0; c < 3; ++c)
      EXPECT_EQ(shown(*loaded->frame, int(x), 0, Channel(c)), GetParam().expected_bgr[x][std::size_t(c)])
          << "pixel " << x << " channel " << c;
}

testing::PngImage palette_png() {
  testing::PngImage image = png_of(3, SPNG_COLOR_TYPE_INDEXED, 8, {0, 1, 2});
  image.palette = {{255, 0, 0, 0}, {0, 0, 255, 0}, {10, 20, 30, 0}};
  image.palette_alpha = {255, 0};  // the blue entry fully transparent, the last opaque by default
  return image;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, PngKinds,
    ::testing::Values(
        PngRow{"grey", png_of(2, SPNG_COLOR_TYPE_GRAYSCALE, 8, {77, 0}), {{77, 77, 77}, {0, 0, 0}}},
        PngRow{"alpha_on_white",
               png_of(3, SPNG_COLOR_TYPE_TRUECOLOR_ALPHA, 8, {0, 0, 0, 128, 255, 0, 0, 0, 0, 100, 0, 255}),
               {{127, 127, 127}, {255, 255, 255}, {0, 100, 0}}},
        PngRow{"palette_with_transparency", palette_png(), {{0, 0, 255}, {255, 255, 255}, {30, 20, 10}}}),
    row_name);

// An 8-bit palette bitmap, which the 24-bit reader refuses for its depth.
TEST(PaletteBitmap, IsDecodedBottomRowFirst) {
  const auto loaded = load_bytes(testing::make_bmp({.width = 2,
                                                    .height = 2,
                                                    .bit_count = 8,
                                                    .palette = {1, 2, 3, 0, 200, 150, 100, 0},
                                                    .rows = {0, 1, 0, 0, 1, 0, 0, 0}}),
                                 "a.bmp");
  ASSERT_EQ(loaded->result.outcome, PictureOutcome::loaded);
  EXPECT_EQ(shown(*loaded->frame, 0, 0, Channel::blue), 200);  // top row, from the second file row
  EXPECT_EQ(shown(*loaded->frame, 0, 1, Channel::red), 3);
}

TEST(OversizedBitmap, IsShrunkInsteadOfRefused) {
  const auto loaded =
      load_bytes(testing::make_bmp({.width = 2048, .height = 2, .rows = Rows(2048 * 3 * 2, 90)}));
  ASSERT_EQ(loaded->result.outcome, PictureOutcome::loaded);
  EXPECT_EQ(loaded->result.mapping.fitted, (PictureSize{1024, 1}));
  EXPECT_EQ(shown(*loaded->frame, 1023, 0), 90);
}

// A 24-bit bitmap that fits the frame, or any bitmap the decoders leave alone, takes
// read_bitmap's path: same plane bytes, same outcome.
TEST(BitmapsReadToday, LoadExactlyAsReadBitmapReadsThem) {
  std::vector<fs::path> files;
  const fs::path suite = fs::path(PLATE_SOURCE_DIR) / "../shared/corpus/bmpsuite";
  if (fs::is_directory(suite)) {
    for (const auto& entry : fs::recursive_directory_iterator(suite))
      if (entry.path().extension() == ".bmp") files.push_back(entry.path());
  }
  const fs::path folder = fs::path(::testing::TempDir()) / "bitmaps_read_today";
  fs::create_directories(folder);
  testing::write_file(folder / "1023_wide.bmp",
                      testing::make_bmp({.width = 1023, .height = 5, .stride = 3072}));
  testing::write_file(
      folder / "cut.bmp",
      testing::make_bmp({.width = 1023, .height = 5, .stride = 3072, .cut_to = 54 + 3072 * 3 + 1000}));
  testing::write_file(folder / "four_bits.bmp", testing::make_bmp({8, 2, 4, 4}));
  for (const char* name : {"1023_wide.bmp", "cut.bmp", "four_bits.bmp"}) files.push_back(folder / name);

  int through_reader = 0;
  for (const fs::path& file : files) {
    Loaded loaded;
    loaded.frame->fill(77);
    loaded.result = load_picture(file, *loaded.frame);
    if (!loaded.result.bitmap_outcome) continue;  // a depth or size the reader refuses
    ++through_reader;
    auto expected = std::make_unique<Plane>();
    const ReadOutcome read = read_bitmap(file, *expected);
    EXPECT_EQ(*loaded.result.bitmap_outcome, read) << file;
    EXPECT_TRUE(loaded.frame->bytes == expected->bytes) << file;
  }
  EXPECT_GE(through_reader, 3);
}

struct BadInputRow {
  const char* name;
  const char* file_name;
  Bytes (*bytes)();
  PictureOutcome outcome;
};

Bytes cut_in_half(Bytes bytes) {
  bytes.resize(bytes.size() / 2);
  return bytes;
}
Bytes small_png() {
  return testing::encode_png(png_of(64, SPNG_COLOR_TYPE_GRAYSCALE, 8, std::vector<std::uint8_t>(64, 5)));
}
Bytes giant_bmp() {
  return testing::make_bmp(
      {.width = 65535, .height = 65535, .stride = 0, .bit_count = 8, .palette = Rows(8)});
}

const Bytes& photo_jpeg() {
  static const Bytes jpeg = testing::encode_jpeg(testing::photo_picture(640, 480));
  return jpeg;
}

// A sound PNG with the zlib checksum at the end of its picture data changed: the decoder stops
// reading at the last row, before that chunk's CRC, so only the checksum itself can tell.
Bytes png_with_its_zlib_checksum_changed() {
  Bytes png = small_png();
  const std::size_t end_chunk = png.size() - 12;  // IEND: length, type, CRC
  png[end_chunk - 4 - 1] ^= std::byte{0x5A};      // before the picture data's CRC
  return png;
}

class BadInput : public ::testing::TestWithParam<BadInputRow> {};

// Each gets its one outcome and a black frame; none allocates anything of the size
// a header claims.
TEST_P(BadInput, IsRefusedWithItsOutcome) {
  const testing::ScratchFolder folder("loader");
  const fs::path file = folder / GetParam().file_name;
  testing::write_file(file, GetParam().bytes());
  Loaded loaded;
  loaded.frame->fill(77);
  g_largest_new = 0;
  loaded.result = load_picture(file, *loaded.frame);
  EXPECT_LT(g_largest_new.load(), std::size_t{16} << 20);
  EXPECT_EQ(loaded.result.outcome, GetParam().outcome);
  EXPECT_TRUE(
      std::all_of(loaded.frame->bytes.begin(), loaded.frame->bytes.end(), [](auto b) { return b == 0; }));
}

INSTANTIATE_TEST_SUITE_P(
    Refused, BadInput,
    ::testing::Values(
        BadInputRow{"empty_file", "empty.jpg", [] { return Bytes{}; }, PictureOutcome::empty_file},
        BadInputRow{"truncated_jpeg", "cut.jpg", [] { return cut_in_half(photo_jpeg()); },
                    PictureOutcome::truncated},
        BadInputRow{"truncated_png", "cut.png", [] { return cut_in_half(small_png()); },
                    PictureOutcome::truncated},
        BadInputRow{"cmyk_jpeg", "print.jpg",
                    [] { return testing::encode_jpeg(blocks(), testing::JpegKind::cmyk); },
                    PictureOutcome::cmyk_jpeg},
        BadInputRow{"png_named_jpeg", "photo.jpg", small_png, PictureOutcome::name_bytes_mismatch},
        BadInputRow{"text_named_png", "notes.png", [] { return Bytes(40, std::byte{'a'}); },
                    PictureOutcome::unrecognised_bytes},
        BadInputRow{"giant_png_header", "giant.png", [] { return testing::png_header_only(65535, 65535); },
                    PictureOutcome::too_large},
        BadInputRow{
            "giant_jpeg_header", "giant.jpg",
            [] { return testing::with_size_claimed(testing::encode_jpeg(BgrPicture(8, 8)), 65500, 65500); },
            PictureOutcome::too_large},
        BadInputRow{"giant_bitmap_header", "giant.bmp", giant_bmp, PictureOutcome::too_large},
        // Data that ends early is cut short whatever follows it, an end marker included.
        BadInputRow{"jpeg_cut_after_1000_bytes_with_an_end_marker", "cut.jpg",
                    [] { return testing::cut_with_end_marker(photo_jpeg(), 1000); },
                    PictureOutcome::truncated},
        BadInputRow{"jpeg_cut_at_nine_tenths_with_an_end_marker", "cut.jpg",
                    [] { return testing::cut_with_end_marker(photo_jpeg(), photo_jpeg().size() * 9 / 10); },
                    PictureOutcome::truncated},
        BadInputRow{"jpeg_claiming_10000_square_over_640_x_480_data", "claims.jpg",
                    [] { return testing::with_size_claimed(photo_jpeg(), 10000, 10000); },
                    PictureOutcome::truncated},
        BadInputRow{"jpeg_claiming_twice_its_height", "claims.jpg",
                    [] { return testing::with_size_claimed(photo_jpeg(), 640, 960); },
                    PictureOutcome::truncated},
        BadInputRow{"jpeg_with_a_bad_huffman_code", "damaged.jpg",
                    [] {
                      Bytes jpeg = photo_jpeg();
                      // Stuffed 0xFF bytes: 256 one bits in a row, longer than any Huffman code. Near the end
                      // of the data, where libjpeg-turbo decodes with its careful path: its fast path turns a
                      // bad code into a zero without a warning.
                      for (std::size_t i = jpeg.size() - 100; i < jpeg.size() - 36; i += 2)
                        jpeg[i] = std::byte{0xFF}, jpeg[i + 1] = std::byte{0};
                      return jpeg;
                    },
                    PictureOutcome::corrupt},
        BadInputRow{"jpeg_with_its_first_ac_scan_repeated", "repeated.jpg",
                    [] {
                      return testing::with_scan_repeated(
                          testing::encode_jpeg(testing::photo_picture(640, 480),
                                               testing::JpegKind::progressive),
                          1, 200);
                    },
                    PictureOutcome::corrupt},
        BadInputRow{"jpeg_of_12_bit_samples", "deep.jpg",
                    [] { return testing::with_frame_header(photo_jpeg(), 4, {12}); },
                    PictureOutcome::unsupported},
        BadInputRow{"png_with_its_zlib_checksum_changed", "changed.png", png_with_its_zlib_checksum_changed,
                    PictureOutcome::corrupt},
        BadInputRow{"png_header_claiming_10000_square", "claims.png",
                    [] { return testing::png_header_only(10000, 10000); }, PictureOutcome::truncated},
        // Interlaced, and after its 33 bytes of signature and header fewer bytes than the rows of all
        // seven passes need at the least (1/1032 of them), though enough for the last six: the first
        // pass has 720 300 bytes of rows.
        BadInputRow{"interlaced_png_short_of_its_first_pass", "cut.png",
                    [] {
                      Bytes png = testing::zero_rgba16_png(2400, 2400, true);
                      png.resize(33 + (testing::png_data_bytes(2400, 2400, 64, true) - 720'300 / 2) / 1032);
                      return png;
                    },
                    PictureOutcome::truncated},
        BadInputRow{"png_rows_of_3_million_16_bit_pixels", "wide.png",
                    [] { return testing::zero_rgba16_png(3'000'000, 1, false); },
                    PictureOutcome::rows_too_long},
        BadInputRow{"png_colour_profile_of_20_mb", "profile.png",
                    [] { return testing::png_with_large_chunk("iCCP", 20 << 20); },
                    PictureOutcome::unsupported},
        BadInputRow{"png_compressed_text_of_20_mb", "text.png",
                    [] { return testing::png_with_large_chunk("zTXt", 20 << 20); },
                    PictureOutcome::unsupported}),
    row_name);

}  // namespace
}  // namespace plate
