#include "image/bitmap_writer.h"

#include <fstream>

namespace plate {

namespace {

void put_u16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void put_u32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  put_u16(out, v & 0xFFFFu);
  put_u16(out, v >> 16);
}

// The headers and the rows, bottom row first; `row_from_top(y)` is the picture's row y.
template <typename RowFromTop>
std::vector<std::uint8_t> encode_rows(int width, int height, RowFromTop row_from_top) {
  constexpr std::uint32_t kHeadersBytes = 14 + 40;
  const auto stride = static_cast<std::uint32_t>((3 * std::uint64_t(width) + 3) / 4 * 4);
  const std::uint32_t pixel_bytes = stride * static_cast<std::uint32_t>(height);
  std::vector<std::uint8_t> out;
  out.reserve(kHeadersBytes + pixel_bytes);
  out.push_back('B');
  out.push_back('M');
  put_u32(out, kHeadersBytes + pixel_bytes);
  put_u32(out, 0);  // reserved
  put_u32(out, kHeadersBytes);
  put_u32(out, 40);
  put_u32(out, static_cast<std::uint32_t>(width));
  put_u32(out, static_cast<std::uint32_t>(height));
  put_u16(out, 1);   // planes
  put_u16(out, 24);  // bits per pixel
  put_u32(out, 0);   // uncompressed
  put_u32(out, pixel_bytes);
  for (int i = 0; i < 4; ++i) put_u32(out, 0);  // resolution and palette counts
  const std::size_t row_bytes = 3 * std::size_t(width);
  for (int y = height - 1; y >= 0; --y) {
    const std::uint8_t* row = row_from_top(y);
    out.insert(out.end(), row, row + row_bytes);
    out.insert(out.end(), stride - row_bytes, std::uint8_t{0});
  }
  return out;
}

}  // namespace

std::vector<std::uint8_t> encode_bitmap(const Plane& plane, int width, int height) {
  return encode_rows(width, height, [&](int y) { return plane.row(kFrameHeight - 1 - y); });
}

std::vector<std::uint8_t> encode_bitmap(const DecodedPicture& picture) {
  const std::size_t row_bytes = 3 * std::size_t(picture.width);
  return encode_rows(picture.width, picture.height,
                     [&](int y) { return picture.bgr.data() + std::size_t(y) * row_bytes; });
}

bool write_bitmap(const std::filesystem::path& path, const Plane& plane, int width, int height) {
  const std::vector<std::uint8_t> bytes = encode_bitmap(plane, width, height);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file.flush());
}

}  // namespace plate
