// The file is read front to back through a stream: headers, colour table, rows, and nothing after
// the last row. The headers are decoded byte by byte, little-endian, like the 24-bit reader's; the rows are
// read from the pixel data offset, bottom-up or top-down by the height's sign. The fourth byte of a plain
// 32-bit pixel is unused by most writers and often holds garbage, so it is not read as alpha; pixels of 8
// bits whose index is past the colour table are black.

#include "image/bitmap_decoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <vector>

#include "engine/plane.h"
#include "image/byte_stream.h"

namespace plate {

namespace {

constexpr std::size_t kHeadersBytes = 54;  // file header and the 40-byte info header
constexpr std::size_t kInfoHeaderAt = 14;
constexpr std::uint32_t kUncompressed = 0, kBitFields = 3;
constexpr std::size_t kMasksAt = 54;  // red, green, blue: after a 40-byte header, or inside a longer one

struct Headers {
  std::uint32_t data_offset;
  std::uint32_t info_header_bytes;
  std::int32_t width;
  std::int32_t height;
  std::uint16_t bit_count;
  std::uint32_t compression;
  std::uint32_t colours_used;
};

std::uint32_t u32_at(std::span<const std::byte> bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i)
    value |= std::uint32_t(static_cast<std::uint8_t>(bytes[at + i])) << (8 * i);
  return value;
}

std::optional<Headers> headers_of(std::span<const std::byte> bytes) {
  if (bytes.size() < kHeadersBytes || bytes[0] != std::byte{'B'} || bytes[1] != std::byte{'M'}) {
    return std::nullopt;
  }
  return Headers{.data_offset = u32_at(bytes, 10),
                 .info_header_bytes = u32_at(bytes, 14),
                 .width = static_cast<std::int32_t>(u32_at(bytes, 18)),
                 .height = static_cast<std::int32_t>(u32_at(bytes, 22)),
                 .bit_count = static_cast<std::uint16_t>(u32_at(bytes, 28) & 0xFFFF),
                 .compression = u32_at(bytes, 30),
                 .colours_used = u32_at(bytes, 46)};
}

bool decoder_reads(const Headers& h) {
  if (h.info_header_bytes < 40 || h.width <= 0 || h.height == 0 || h.height == INT32_MIN) return false;
  switch (h.bit_count) {
    case 8:
      return h.compression == kUncompressed;
    case 24:
      return h.compression == kUncompressed && (h.width > kFrameWidth || std::abs(h.height) > kFrameHeight);
    case 32:
      return h.compression == kUncompressed || h.compression == kBitFields;
    default:
      return false;
  }
}

// One channel of a bit-field pixel, widened or narrowed to 8 bits.
struct ChannelMask {
  std::uint32_t mask = 0;
  int shift = 0;
  std::uint32_t max = 0;

  explicit ChannelMask(std::uint32_t m) : mask(m) {
    if (m == 0) return;
    shift = std::countr_zero(m);
    max = m >> shift;
  }
  std::uint8_t of(std::uint32_t pixel) const {
    if (max == 0) return 0;
    return static_cast<std::uint8_t>((std::uint64_t((pixel & mask) >> shift) * 255 + max / 2) / max);
  }
};

}  // namespace

bool is_read_by_bitmap_decoder(std::span<const std::byte> first_bytes) {
  const std::optional<Headers> headers = headers_of(first_bytes);
  return headers && decoder_reads(*headers);
}

DecodeResult decode_bitmap(ByteStream& stream) {
  std::array<std::byte, kMasksAt + 12> head{};  // the headers and, where bit fields need them, the masks
  const std::size_t head_bytes = stream.read(head);
  const std::span<const std::byte> bytes(head.data(), head_bytes);
  const std::optional<Headers> found = headers_of(bytes);
  if (!found || !decoder_reads(*found)) return {PictureOutcome::unsupported, {}};
  const Headers& h = *found;
  const int width = h.width, height = std::abs(h.height);
  if (!within_pixel_limit(std::uint64_t(width), std::uint64_t(height)))
    return {PictureOutcome::too_large, {}};
  const std::uint64_t stride = (std::uint64_t(width) * h.bit_count + 31) / 32 * 4;
  const std::uint64_t file_bytes = stream.size();
  if (h.data_offset < kInfoHeaderAt + std::uint64_t{h.info_header_bytes} || h.data_offset > file_bytes) {
    return {PictureOutcome::corrupt, {}};
  }

  // The stream is read front to back: the masks (at kMasksAt, inside `head`), the colour table
  // (from the end of the info header), the rows (from the pixel data offset).
  std::array<std::array<std::uint8_t, 3>, 256> palette{};  // blue, green, red; black past the table
  if (h.bit_count == 8) {
    const std::uint64_t table_at = kInfoHeaderAt + std::uint64_t{h.info_header_bytes};
    const std::size_t entries = h.colours_used == 0 ? 256 : std::min<std::uint32_t>(h.colours_used, 256);
    if (table_at + entries * 4 > h.data_offset) return {PictureOutcome::corrupt, {}};
    std::array<std::byte, 256 * 4> table{};
    stream.rewind();
    stream.skip(table_at);
    if (stream.read(std::span(table).first(entries * 4)) < entries * 4)
      return {PictureOutcome::truncated, {}};
    for (std::size_t i = 0; i < entries; ++i) {
      for (std::size_t c = 0; c < 3; ++c) palette[i][c] = static_cast<std::uint8_t>(table[i * 4 + c]);
    }
  }
  const bool bit_fields = h.compression == kBitFields;
  if (bit_fields && h.data_offset < kMasksAt + 12) return {PictureOutcome::corrupt, {}};
  const ChannelMask red(bit_fields ? u32_at(bytes, kMasksAt) : 0x00FF0000),
      green(bit_fields ? u32_at(bytes, kMasksAt + 4) : 0x0000FF00),
      blue(bit_fields ? u32_at(bytes, kMasksAt + 8) : 0x000000FF);

  const bool truncated = h.data_offset + stride * std::uint64_t(height) > file_bytes;
  if (truncated) return {PictureOutcome::truncated, {}};

  DecodeResult result{PictureOutcome::loaded, {}};
  DecodedPicture& picture = result.picture;
  picture.source_width = picture.width = width;
  picture.source_height = picture.height = height;
  picture.bgr.resize(std::size_t(width) * std::size_t(height) * 3);
  std::vector<std::byte> row(static_cast<std::size_t>(stride));
  stream.rewind();
  stream.skip(h.data_offset);
  for (int file_row = 0; file_row < height; ++file_row) {
    // The file may have shrunk since its size was taken: what is missing is cut short.
    if (stream.read(row) < row.size()) return {PictureOutcome::truncated, {}};
    const int y = h.height < 0 ? file_row : height - 1 - file_row;  // bottom-up files store the top row last
    std::uint8_t* out = picture.bgr.data() + std::size_t(y) * std::size_t(width) * 3;
    for (int x = 0; x < width; ++x, out += 3) {
      if (h.bit_count == 8) {
        const auto& colour = palette[static_cast<std::uint8_t>(row[std::size_t(x)])];
        std::copy(colour.begin(), colour.end(), out);
      } else if (h.bit_count == 24) {
        for (int c = 0; c < 3; ++c)
          out[c] = static_cast<std::uint8_t>(row[std::size_t(x) * 3 + std::size_t(c)]);
      } else {
        const std::uint32_t pixel = u32_at(std::span(row).subspan(std::size_t(x) * 4, 4), 0);
        out[0] = blue.of(pixel);
        out[1] = green.of(pixel);
        out[2] = red.of(pixel);
      }
    }
  }
  return result;
}

DecodeResult decode_bitmap(std::span<const std::byte> bmp) {
  MemoryStream stream(bmp);
  return decode_bitmap(stream);
}

}  // namespace plate
