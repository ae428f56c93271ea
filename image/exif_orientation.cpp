// Finding the EXIF orientation reads only what it needs of an APP1 segment starting "Exif\0\0":
// its TIFF header and the first directory's entries. Every offset is checked against the segment
// before it is read, so a damaged or hostile EXIF block gives orientation 1, never a read outside
// the segment.

#include "image/exif_orientation.h"

#include <cstdint>
#include <cstring>
#include <utility>

namespace plate {

namespace {

constexpr std::uint16_t kOrientationTag = 0x0112, kShortType = 3;
constexpr std::size_t kExifHeaderBytes = 6, kTiffHeaderBytes = 8, kDirectoryEntryBytes = 12;

class TiffBytes {
 public:
  TiffBytes(std::span<const std::byte> bytes, bool little_endian) : bytes_(bytes), little_(little_endian) {}
  bool has(std::size_t at, std::size_t count) const {
    return at <= bytes_.size() && count <= bytes_.size() - at;
  }
  std::uint32_t u16(std::size_t at) const {
    return little_ ? byte(at) | byte(at + 1) << 8 : byte(at) << 8 | byte(at + 1);
  }
  std::uint32_t u32(std::size_t at) const {
    return little_ ? u16(at) | u16(at + 2) << 16 : u16(at) << 16 | u16(at + 2);
  }

 private:
  std::uint32_t byte(std::size_t at) const { return static_cast<std::uint8_t>(bytes_[at]); }
  std::span<const std::byte> bytes_;
  bool little_;
};

int orientation_in_tiff(std::span<const std::byte> tiff) {
  if (tiff.size() < kTiffHeaderBytes) return 1;
  const auto b0 = static_cast<char>(tiff[0]), b1 = static_cast<char>(tiff[1]);
  if (b0 != b1 || (b0 != 'I' && b0 != 'M')) return 1;
  const TiffBytes bytes(tiff, b0 == 'I');
  if (bytes.u16(2) != 42) return 1;
  const std::size_t directory = bytes.u32(4);
  if (!bytes.has(directory, 2)) return 1;
  const std::uint32_t entries = bytes.u16(directory);
  for (std::uint32_t i = 0; i < entries; ++i) {
    const std::size_t entry = directory + 2 + std::size_t(i) * kDirectoryEntryBytes;
    if (!bytes.has(entry, kDirectoryEntryBytes)) return 1;
    if (bytes.u16(entry) != kOrientationTag) continue;
    if (bytes.u16(entry + 2) != kShortType || bytes.u32(entry + 4) != 1) return 1;
    const std::uint32_t orientation = bytes.u16(entry + 8);
    return orientation >= 1 && orientation <= 8 ? static_cast<int>(orientation) : 1;
  }
  return 1;
}

}  // namespace

std::optional<int> exif_segment_orientation(std::span<const std::byte> app1_data) {
  if (app1_data.size() < kExifHeaderBytes || std::memcmp(app1_data.data(), "Exif\0\0", 6) != 0) {
    return std::nullopt;
  }
  return orientation_in_tiff(app1_data.subspan(kExifHeaderBytes));
}

void apply_orientation(DecodedPicture& picture, int orientation) {
  if (orientation < 2 || orientation > 8) return;
  const int w = picture.width, h = picture.height;
  const bool turned = orientation >= 5;
  const int out_w = turned ? h : w, out_h = turned ? w : h;
  std::vector<std::uint8_t> out(picture.bgr.size());
  for (int dy = 0; dy < out_h; ++dy) {
    for (int dx = 0; dx < out_w; ++dx) {
      int sx = dx, sy = dy;
      switch (orientation) {
        case 2:
          sx = w - 1 - dx;
          break;
        case 3:
          sx = w - 1 - dx;
          sy = h - 1 - dy;
          break;
        case 4:
          sy = h - 1 - dy;
          break;
        case 5:
          sx = dy;
          sy = dx;
          break;
        case 6:
          sx = dy;
          sy = h - 1 - dx;
          break;
        case 7:
          sx = w - 1 - dy;
          sy = h - 1 - dx;
          break;
        case 8:
          sx = w - 1 - dy;
          sy = dx;
          break;
        default:
          break;
      }
      std::memcpy(out.data() + (std::size_t(dy) * std::size_t(out_w) + std::size_t(dx)) * 3,
                  picture.bgr.data() + (std::size_t(sy) * std::size_t(w) + std::size_t(sx)) * 3, 3);
    }
  }
  picture.bgr = std::move(out);
  picture.width = out_w;
  picture.height = out_h;
  if (turned) std::swap(picture.source_width, picture.source_height);
}

}  // namespace plate
