#pragma once
// The fixed picture frame that every stage of the system works on.
//
// Coordinate convention, fixed here once for the whole engine:
//   * 1024 x 768 pixels, 3 bytes per pixel in blue, green, red order;
//   * rows of 3072 bytes, row 0 at the BOTTOM of the shown picture (as a bottom-up DIB);
//   * pixel (x, y) starts at byte y * 3072 + x * 3, x counted from the left.
// "Up" means towards larger y; the painting turns plane row y into window row 767 - y.

#include <array>
#include <cstddef>
#include <cstdint>

namespace plate {

inline constexpr int kFrameWidth = 1024;
inline constexpr int kFrameHeight = 768;
inline constexpr int kBytesPerPixel = 3;
inline constexpr int kRowStride = kFrameWidth * kBytesPerPixel;  // bytes per plane row
inline constexpr std::size_t kPlaneBytes = std::size_t{kRowStride} * kFrameHeight;

enum class Channel : int { blue = 0, green = 1, red = 2 };

struct Plane {
  std::array<std::uint8_t, kPlaneBytes> bytes;

  static constexpr bool contains(int x, int y) {
    return x >= 0 && x < kFrameWidth && y >= 0 && y < kFrameHeight;
  }
  static constexpr std::size_t offset_unchecked(int x, int y) {
    return std::size_t(y) * kRowStride + std::size_t(x) * kBytesPerPixel;
  }

  // Unchecked access: the caller guarantees contains(x, y).
  std::uint8_t channel_unchecked(int x, int y, Channel c) const {
    return bytes[offset_unchecked(x, y) + static_cast<std::size_t>(c)];
  }
  std::uint8_t green_unchecked(int x, int y) const { return channel_unchecked(x, y, Channel::green); }

  std::uint8_t* row(int y) { return bytes.data() + std::size_t(y) * kRowStride; }
  const std::uint8_t* row(int y) const { return bytes.data() + std::size_t(y) * kRowStride; }

  void fill(std::uint8_t value) { bytes.fill(value); }
};

}  // namespace plate
