#pragma once
// The marks of the outer contours that the tracer completed in the current pass of a run, and the
// frame's rim.
//
// They are kept as 16-bit stamps rather than as flags: a pixel is marked when its stamp is the
// current pass's, so starting a new pass (clear_all) is one increment instead of a fill of the
// frame. The stamps are really cleared only when the pass counter wraps, once in 65534 passes.
// The pixels of the frame's outermost rows and columns hold a stamp above every pass's, so that a
// walk finds a mark or the rim with one comparison.

#include <array>
#include <cstddef>
#include <cstdint>

#include "engine/plane.h"

namespace plate {

inline constexpr std::size_t kFramePixels = std::size_t{kFrameWidth} * kFrameHeight;

class TraceMarks {
 public:
  TraceMarks();

  // Pixel index of (x, y): y * 1024 + x.
  static constexpr std::size_t index(int x, int y) { return std::size_t(y) * kFrameWidth + std::size_t(x); }

  bool is_marked(int x, int y) const { return stamps_[index(x, y)] == stamp(); }
  bool is_marked_at(std::size_t pixel) const { return stamps_[pixel] == stamp(); }
  bool is_marked_or_rim_at(std::size_t pixel) const { return stamps_[pixel] >= stamp(); }
  bool is_rim_at(std::size_t pixel) const { return stamps_[pixel] == kRimStamp; }
  // Contours that reach the rim are never completed, so no mark falls on it.
  void mark(int x, int y) { stamps_[index(x, y)] = stamp(); }
  void mark_at(std::size_t pixel) { stamps_[pixel] = stamp(); }

  // Forgets every mark: the next trace starts a new pass.
  void clear_all();

 private:
  static constexpr std::uint16_t kRimStamp = 0xFFFF;
  static constexpr std::uint16_t kLastPass = kRimStamp - 2;

  // Zero stamps, with the rim's.
  void clear_stamps();
  // The current pass's stamp, 1..65534.
  std::uint16_t stamp() const { return static_cast<std::uint16_t>(passes_ + 1); }

  std::array<std::uint16_t, kFramePixels> stamps_;  // marked when equal to stamp()
  std::uint16_t passes_ = 0;                        // passes since the last real clear, 0..65533
};

}  // namespace plate
