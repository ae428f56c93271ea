// What loading a picture reads, holds and decides: the one regular-file check and the descriptor it
// opens, data after a picture never read, PNGs decoded row by row, the JPEG scan limit, and the
// full-size source kept from one load.

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <thread>

#include "bmp_files.h"
#include "encoded_pictures.h"
#include "hostile_pictures.h"
#include "image/bitmap_decoder.h"
#include "image/jpeg_decoder.h"
#include "image/picture_loader.h"
#include "image/png_decoder.h"
#include "image/regular_file.h"
#include "image/source_picture.h"
#include "largest_allocation.h"
#include "scratch_folder.h"

namespace plate {
namespace {

namespace fs = std::filesystem;
using testing::BgrPicture;
using testing::Bytes;
using testing::g_largest_new;
using testing::photo_picture;

struct Frame {
  std::unique_ptr<Plane> plane = std::make_unique<Plane>();
};

// ---- The regular-file check ----

TEST(RegularFileCheck, TellsWhatAPathIsAndOpensOnlyRegularFiles) {
  const testing::ScratchFolder folder("bounded");
  testing::write_file(folder / "picture.bmp", Bytes(10, std::byte{1}));
  fs::create_directory(folder / "folder");
  ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0600), 0);
  fs::create_symlink(folder / "nothing", folder / "dangling");
  fs::create_symlink(folder / "loop_b", folder / "loop_a");
  fs::create_symlink(folder / "loop_a", folder / "loop_b");
  const int unix_socket = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socket_path = (folder / "socket").string();
  ASSERT_LT(socket_path.size(), sizeof address.sun_path);
  std::memcpy(address.sun_path, socket_path.c_str(), socket_path.size() + 1);
  ASSERT_EQ(bind(unix_socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

  struct Case {
    const char* name;
    PathKind kind;
  };
  for (const Case c : {Case{"picture.bmp", PathKind::regular}, Case{"missing.bmp", PathKind::missing},
                       Case{"folder", PathKind::directory}, Case{"fifo", PathKind::fifo},
                       Case{"dangling", PathKind::dangling_symlink}, Case{"loop_a", PathKind::symlink_loop},
                       Case{"socket", PathKind::socket}, Case{"picture.bmp/below", PathKind::missing}}) {
    OpenedFile opened = open_regular_file(folder / c.name);
    EXPECT_EQ(opened.kind, c.kind) << c.name;
    EXPECT_EQ(opened.file.is_open(), c.kind == PathKind::regular) << c.name;
  }
  EXPECT_EQ(open_regular_file("/dev/null").kind, PathKind::device);
  close(unix_socket);
}

TEST(RegularFileCheck, AFileWithoutReadPermissionIsRefusedAsSuch) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
  const testing::ScratchFolder folder("bounded");
  testing::write_file(folder / "secret.bmp", Bytes(10));
  fs::permissions(folder / "secret.bmp", fs::perms::none);
  EXPECT_EQ(open_regular_file(folder / "secret.bmp").kind, PathKind::no_permission);
}

// The name is made to point at a regular picture and at a FIFO in turn while the loader loads it
// again and again: whenever the FIFO comes between the loader's look and its open, the open must
// neither block (no writer ever comes) nor read from it.
TEST(RegularFileCheck, AFifoSwappedInBetweenTheCheckAndTheOpenNeitherBlocksNorIsRead) {
  const testing::ScratchFolder folder("bounded");
  testing::write_file(folder / "picture.bmp", testing::make_bmp({.width = 4, .height = 2}));
  ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0600), 0);
  const fs::path name = folder / "name.bmp", next = folder / "next.bmp";
  fs::create_symlink(folder / "picture.bmp", name);
  std::atomic<bool> loading{true};
  std::thread swapper([&] {
    for (int i = 0; loading; ++i) {
      fs::create_symlink(folder / (i % 2 ? "picture.bmp" : "fifo"), next);
      fs::rename(next, name);
    }
  });
  const auto give_up_at = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  std::atomic<bool> done{false};
  std::thread watchdog([&] {
    while (!done && std::chrono::steady_clock::now() < give_up_at)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (!done) {
      std::fprintf(stderr, "a load blocked on the FIFO\n");
      std::abort();
    }
  });
  Frame frame;
  int loaded = 0, refused = 0;
  for (int i = 0; i < 3000; ++i) {
    const LoadedPicture result = load_picture(name, *frame.plane);
    if (result.outcome == PictureOutcome::loaded) {
      ++loaded;
    } else {
      EXPECT_EQ(result.outcome, PictureOutcome::not_regular_file);
      ++refused;
    }
    const ReadOutcome read = read_bitmap(name, *frame.plane);
    EXPECT_TRUE(read == ReadOutcome::read || read == ReadOutcome::not_a_regular_file);
  }
  done = true;
  loading = false;
  swapper.join();
  watchdog.join();
  EXPECT_GT(loaded, 0);
  EXPECT_GT(refused, 0);
}

// ---- Data after the picture ----

// A picture, then junk: the decoder reads the picture and at most one read-ahead of 64 KB more.
TEST(TrailingData, IsNotReadByAnyDecoder) {
  Bytes junk(std::size_t{4} << 20);
  std::mt19937 random(5);
  for (std::byte& b : junk) b = std::byte(random() & 0xFF);
  const Bytes jpeg = testing::encode_jpeg(photo_picture(640, 480));
  const Bytes progressive = testing::encode_jpeg(photo_picture(640, 480), testing::JpegKind::progressive);
  const Bytes png = testing::zero_rgba16_png(640, 480, true);
  const Bytes bmp = testing::make_bmp(
      {.width = 2000, .height = 3, .stride = 6000, .rows = std::vector<std::uint8_t>(6000 * 3, 9)});
  for (const Bytes* picture : {&jpeg, &progressive, &png, &bmp}) {
    Bytes file = *picture;
    file.insert(file.end(), junk.begin(), junk.end());
    MemoryStream stream(file);
    const DecodeResult result = picture == &png   ? decode_png(stream)
                                : picture == &bmp ? decode_bitmap(stream)
                                                  : decode_jpeg(stream);
    EXPECT_EQ(result.outcome, PictureOutcome::loaded);
    EXPECT_LE(stream.position(), picture->size() + (64 << 10));
  }
}

// 640 x 480 followed by a gigabyte that reads as zeros: the same frame as the picture alone, and
// nothing of the file's size allocated.
TEST(TrailingData, OfAGigabyteLeavesTheFrameAsThePictureAloneAndIsNotHeld) {
  const testing::ScratchFolder folder("bounded");
  const Bytes jpeg = testing::encode_jpeg(photo_picture(640, 480));
  testing::write_file(folder / "alone.jpg", jpeg);
  testing::write_sparse_after(folder / "followed.jpg", jpeg, std::uint64_t{1} << 30);
  Frame alone, followed;
  ASSERT_EQ(load_picture(folder / "alone.jpg", *alone.plane).outcome, PictureOutcome::loaded);
  g_largest_new = 0;
  ASSERT_EQ(load_picture(folder / "followed.jpg", *followed.plane).outcome, PictureOutcome::loaded);
  EXPECT_LT(g_largest_new.load(), std::size_t{2} << 20);
  EXPECT_TRUE(alone.plane->bytes == followed.plane->bytes);
}

// ---- JPEG verdicts and the scan limit ----

std::vector<std::uint8_t> grey_picture(int width, int height) {
  std::vector<std::uint8_t> grey(std::size_t(width) * std::size_t(height));
  for (std::size_t i = 0; i < grey.size(); ++i) grey[i] = std::uint8_t((i * 7) ^ (i >> 9));
  return grey;
}

// 64 scans (one a coefficient) are read, to the very pixels of the same picture in one scan; 128
// (two a coefficient) pass the limit and are refused when the decoder reaches the 101st, without
// reading the rest.
TEST(ScanLimit, ReadsSixtyFourScansAndRefusesAHundredAndTwentyEight) {
  const std::vector<std::uint8_t> grey = grey_picture(1280, 960);
  const DecodeResult sequential =
      decode_jpeg(testing::encode_grey_jpeg(grey, 1280, 960, testing::GreyJpegScans::sequential));
  const DecodeResult in_64 =
      decode_jpeg(testing::encode_grey_jpeg(grey, 1280, 960, testing::GreyJpegScans::one_per_coefficient));
  ASSERT_EQ(sequential.outcome, PictureOutcome::loaded);
  ASSERT_EQ(in_64.outcome, PictureOutcome::loaded);
  EXPECT_TRUE(in_64.picture.bgr == sequential.picture.bgr);

  const Bytes in_128 =
      testing::encode_grey_jpeg(grey, 1280, 960, testing::GreyJpegScans::two_per_coefficient);
  MemoryStream stream(in_128);
  EXPECT_EQ(decode_jpeg(stream).outcome, PictureOutcome::too_many_scans);
  EXPECT_LT(stream.position(), in_128.size());
}

// Stray bytes between markers leave every pixel as it was: the one warning that is let pass. These
// follow a comment of one byte, 0xFF, which is skipped, not taken for the start of a marker.
TEST(JpegWarnings, StrayBytesBetweenMarkersKeepThePicture) {
  const Bytes jpeg = testing::encode_jpeg(photo_picture(64, 48));
  Bytes strayed = jpeg;
  const std::vector<testing::JpegSegment> segments = testing::jpeg_segments(jpeg);
  const testing::JpegSegment first_scan =
      *std::ranges::find_if(segments, [](const testing::JpegSegment& s) { return s.marker == 0xDA; });
  strayed.insert(strayed.begin() + std::ptrdiff_t(first_scan.begin), 5, std::byte{0x42});
  const std::array comment{std::byte{0xFF}, std::byte{0xFE}, std::byte{0}, std::byte{3}, std::byte{0xFF}};
  strayed.insert(strayed.begin() + std::ptrdiff_t(first_scan.begin), comment.begin(), comment.end());
  const DecodeResult plain = decode_jpeg(jpeg), with_stray_bytes = decode_jpeg(strayed);
  ASSERT_EQ(with_stray_bytes.outcome, PictureOutcome::loaded);
  EXPECT_TRUE(with_stray_bytes.picture.bgr == plain.picture.bgr);
}

// ---- PNG row by row ----

// Random 16-bit samples and alpha, opaque and transparent pixels among them: the file decoded
// plainly and interlaced gives each pixel its colour blended on white, rounded once.
TEST(PngRowByRow, SixteenBitAndInterlacedPicturesGiveThePixelsBlendedOnWhite) {
  constexpr int kWidth = 37, kHeight = 23;
  std::mt19937 random(11);
  std::vector<std::uint16_t> samples(std::size_t(kWidth) * kHeight * 4);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const auto r = static_cast<std::uint16_t>(random());
    samples[i] = i % 4 == 3 && r % 3 == 0 ? (r % 2 ? 0 : 65535) : r;
  }
  std::vector<std::uint8_t> expected(std::size_t(kWidth) * kHeight * 3);
  for (std::size_t p = 0; p < std::size_t(kWidth) * kHeight; ++p) {
    const std::uint64_t alpha = samples[p * 4 + 3];
    for (std::size_t c = 0; c < 3; ++c) {
      const double blended = (double(samples[p * 4 + c]) * double(alpha) + 65535.0 * double(65535 - alpha)) /
                             (65535.0 * 65535.0) * 255.0;
      expected[p * 3 + (2 - c)] = static_cast<std::uint8_t>(std::lround(blended));
    }
  }
  for (const bool interlaced : {false, true}) {
    testing::PngImage image;
    image.header = {kWidth, kHeight, 16, SPNG_COLOR_TYPE_TRUECOLOR_ALPHA, 0, 0, std::uint8_t(interlaced)};
    image.data.resize(samples.size() * 2);
    std::memcpy(image.data.data(), samples.data(), image.data.size());
    const DecodeResult decoded = decode_png(testing::encode_png(image));
    ASSERT_EQ(decoded.outcome, PictureOutcome::loaded) << interlaced;
    EXPECT_TRUE(decoded.picture.bgr == expected) << "interlaced " << interlaced;
  }
}

// A 3000 x 2000 interlaced picture of 16-bit RGBA: the largest block held is the 8-bit picture
// (18 MB), not the 48 MB of its RGBA rows.
TEST(PngRowByRow, HoldsTheEightBitPictureAndNotItsSixteenBitRows) {
  const Bytes png = testing::zero_rgba16_png(3000, 2000, true);
  g_largest_new = 0;
  const DecodeResult decoded = decode_png(png);
  ASSERT_EQ(decoded.outcome, PictureOutcome::loaded);
  EXPECT_EQ(g_largest_new.load(), std::size_t{3000} * 2000 * 3);
  EXPECT_EQ(decoded.picture.bgr[0], 255);  // transparent black on white
}

// ---- Stopping a load ----

// A cancel flag already set stops each decoder at its first rows, baseline, progressive or PNG.
TEST(Cancel, StopsEveryDecodeAsInterrupted) {
  const std::atomic<bool> cancel{true};
  Frame frame;
  for (const Bytes& picture : {testing::encode_jpeg(photo_picture(64, 48)),
                               testing::encode_jpeg(photo_picture(64, 48), testing::JpegKind::progressive),
                               testing::zero_rgba16_png(64, 48, true)}) {
    EXPECT_EQ(load_picture_bytes(picture, "", *frame.plane, {.cancel = &cancel}).outcome,
              PictureOutcome::interrupted);
  }
}

// ---- One load for the frame and the full-size source ----

TEST(KeepSource, GivesTheFrameOfAPlainLoadAndThePictureOfLoadSourcePicture) {
  const testing::ScratchFolder folder("bounded");
  testing::PngImage png;
  png.header = {1500, 900, 8, SPNG_COLOR_TYPE_TRUECOLOR, 0, 0, 0};
  png.data = photo_picture(1500, 900).bgr;
  testing::write_file(folder / "large.jpg", testing::encode_jpeg(photo_picture(3000, 2000)));
  testing::write_file(folder / "twice.jpg", testing::encode_jpeg(photo_picture(1500, 1000)));
  testing::write_file(folder / "large.png", testing::encode_png(png));
  testing::write_file(folder / "small.bmp", testing::make_bmp({.width = 30, .height = 20, .stride = 92}));
  testing::write_file(
      folder / "wide.bmp",
      testing::make_bmp(
          {.width = 2000, .height = 3, .stride = 6000, .rows = std::vector<std::uint8_t>(6000 * 3, 7)}));
  for (const char* name : {"large.jpg", "twice.jpg", "large.png", "small.bmp", "wide.bmp"}) {
    Frame plain, kept;
    const LoadedPicture without = load_picture(folder / name, *plain.plane);
    const LoadedPicture with = load_picture(folder / name, *kept.plane, {.keep_source = true});
    const SourcePicture source = load_source_picture(folder / name);
    ASSERT_EQ(with.outcome, PictureOutcome::loaded) << name;
    EXPECT_TRUE(kept.plane->bytes == plain.plane->bytes) << name;
    EXPECT_EQ(with.mapping.fitted, without.mapping.fitted) << name;
    EXPECT_EQ(with.source.width, source.picture.width) << name;
    EXPECT_EQ(with.source.height, source.picture.height) << name;
    EXPECT_TRUE(with.source.bgr == source.picture.bgr) << name;
    EXPECT_TRUE(without.source.bgr.empty()) << name;
  }
}

}  // namespace
}  // namespace plate
