#pragma once
// Bitmap files made byte by byte, each header field as a test wants it: by default 100 x 50 at 24
// bits, pixels that differ from each other and from black, each row padded with 0xEE.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace plate::testing {

// Rows count from the top.
inline std::array<std::uint8_t, 3> test_pixel(int x, int row_from_top) {
  return {std::uint8_t(x & 0xFF), std::uint8_t(row_from_top & 0xFF),
          std::uint8_t(0x80 | x >> 8 | (row_from_top >> 8) << 2)};
}
inline constexpr std::uint8_t kPadding = 0xEE;

struct BmpFile {
  std::int32_t width = 100;
  std::int32_t height = 50;    // negative: rows stored top-down
  std::uint32_t stride = 300;  // 0: no pixel data
  std::uint16_t bit_count = 24;
  std::uint32_t compression = 0;
  std::uint32_t info_header_bytes = 40;
  std::uint32_t gap = 0;          // bytes between the headers and the pixel rows, as a colour table leaves
  std::uint32_t data_offset = 0;  // 0: right after the gap
  const char* signature = "BM";
  std::size_t cut_to = 0;                  // file length after cutting; 0: uncut
  std::vector<std::uint8_t> palette = {};  // written in the gap, its entry count in the header
  std::vector<std::uint8_t> rows = {};     // the pixel rows as stored, in place of the test pixels
};

inline std::vector<std::byte> make_bmp(const BmpFile& f) {
  const std::uint32_t headers = 14 + std::max(f.info_header_bytes, 40u);
  const std::uint32_t gap = std::max<std::uint32_t>(f.gap, std::uint32_t(f.palette.size()));
  std::vector<std::byte> bytes(headers + gap, std::byte{0});
  auto put = [&](std::size_t at, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes[at + i] = std::byte(value >> 8 * i & 0xFF);
  };
  put(0, std::uint8_t(f.signature[0]) | std::uint8_t(f.signature[1]) << 8, 2);
  put(10, f.data_offset ? f.data_offset : headers + gap, 4);
  put(14, f.info_header_bytes, 4);
  put(18, std::uint32_t(f.width), 4);
  put(22, std::uint32_t(f.height), 4);
  put(26, 1, 2);
  put(28, f.bit_count, 2);
  put(30, f.compression, 4);
  put(46, std::uint32_t(f.palette.size() / 4), 4);
  std::transform(f.palette.begin(), f.palette.end(), bytes.begin() + headers,
                 [](auto b) { return std::byte(b); });
  for (const std::uint8_t b : f.rows) bytes.push_back(std::byte(b));
  const int rows = f.stride == 0 || !f.rows.empty() ? 0 : std::abs(f.height);
  for (int i = 0; i < rows; ++i) {
    const std::size_t row_start = bytes.size();
    for (int x = 0; x < f.width; ++x)
      for (std::uint8_t b : test_pixel(x, f.height < 0 ? i : rows - 1 - i)) bytes.push_back(std::byte{b});
    bytes.resize(row_start + f.stride, std::byte{kPadding});
  }
  if (f.cut_to) bytes.resize(f.cut_to);
  return bytes;
}

}  // namespace plate::testing
