#pragma once
// What the tracer remembers within one pass of a run: the marks of the outer contours completed in
// the pass, and the walk states from which an earlier walk of the pass ran into the frame's rim or
// into a mark (dead ends).
//
// Both are kept as stamps rather than as flags: a pixel is marked when its stamp is the current
// pass's, so starting a new pass (clear_all) is one increment instead of a fill of the frame. The
// stamps are really cleared only when the pass counter wraps, once in 65535 passes.
//
// Dead ends. A walk's future is fixed by its state (point, entry direction), the threshold, the
// picture and the marks, and marks only accumulate within a pass. So a walk that reaches a state
// from which an earlier walk of the same pass with the same threshold ran into the rim or a mark
// fails too: it follows the same steps and meets the same rim or mark, or an earlier mark. The
// same holds at any threshold that sorts every pixel the earlier walk looked at as it did: at or
// above the greenest inside pixel it saw, below the darkest outside one. It
// cannot close on its own start on the way: its start state would then lie on that path, and the
// path would lead back to the state it started from and run round that cycle, never reaching
// the rim or the mark that ended the earlier walk. Each pixel keeps the states of the last walk
// that passed it (the walk's serial and a bit per entry direction); a small ring says, for a
// serial, whether that walk failed, in which pass and for which thresholds. Walks stopped by the
// move cap are not recorded.

#include <array>
#include <cstddef>
#include <cstdint>

#include "engine/plane.h"

namespace plate {

inline constexpr std::size_t kFramePixels = std::size_t{kFrameWidth} * kFrameHeight;

class TraceMarks {
 public:
  // Pixel index of (x, y): y * 1024 + x.
  static constexpr std::size_t index(int x, int y) { return std::size_t(y) * kFrameWidth + std::size_t(x); }

  bool is_marked(int x, int y) const { return stamps_[index(x, y)] == stamp(); }
  bool is_marked_at(std::size_t pixel) const { return stamps_[pixel] == stamp(); }
  void mark(int x, int y) { stamps_[index(x, y)] = stamp(); }

  // Forgets every mark and every dead end: the next trace starts a new pass.
  void clear_all();

  // The thresholds, both included, at which a walk sorts the pixels it looks at as it did.
  struct ThresholdRange {
    std::int32_t lowest;
    std::int32_t highest;
    bool contains(std::int32_t threshold) const { return lowest <= threshold && threshold <= highest; }
  };

  // The walk bookkeeping of trace_contour.
  std::uint32_t begin_walk();  // the new walk's serial
  void walk_failed(std::uint32_t serial, ThresholdRange same_walk);
  // Whether the state (pixel, entry direction) is a known dead end at this threshold, and then at
  // which thresholds the walk that failed from it is the same; records the state as one of walk
  // `serial` otherwise.
  bool is_dead_end_or_visit(std::size_t pixel, int direction, std::uint32_t serial, std::int32_t threshold,
                            ThresholdRange& failed_walk) {
    std::uint32_t& cell = walk_cells_[pixel];
    const std::uint32_t bit = std::uint32_t{1} << direction;
    const std::uint32_t owner = cell >> kDirectionBits;
    if (owner == serial) {
      cell |= bit;
      return false;
    }
    if (is_dead_end(cell, bit, threshold, failed_walk)) return true;
    cell = (serial << kDirectionBits) | bit;
    return false;
  }
  // The same test without recording the state.
  bool is_dead_end(std::size_t pixel, int direction, std::int32_t threshold,
                   ThresholdRange& failed_walk) const {
    return is_dead_end(walk_cells_[pixel], std::uint32_t{1} << direction, threshold, failed_walk);
  }

 private:
  static constexpr int kDirectionBits = 8;
  static constexpr std::uint32_t kSerialLimit = std::uint32_t{1} << (32 - kDirectionBits);
  static constexpr std::size_t kFailedWalkSlots = 16384;

  struct FailedWalk {
    std::uint32_t serial;
    std::uint32_t pass;
    ThresholdRange same_walk;
  };

  bool is_dead_end(std::uint32_t cell, std::uint32_t bit, std::int32_t threshold,
                   ThresholdRange& failed_walk) const {
    if ((cell & bit) == 0) return false;
    const std::uint32_t owner = cell >> kDirectionBits;
    const FailedWalk& walk = failed_walks_[owner % kFailedWalkSlots];
    if (walk.serial != owner || walk.pass != stamp() || !walk.same_walk.contains(threshold)) return false;
    failed_walk = walk.same_walk;
    return true;
  }

  // The current pass's stamp, 1..65535, so that an all-zero object (a new workspace) has no marks.
  std::uint16_t stamp() const { return static_cast<std::uint16_t>(passes_ + 1); }
  void forget_walks();

  std::array<std::uint16_t, kFramePixels> stamps_;      // marked when equal to stamp()
  std::array<std::uint32_t, kFramePixels> walk_cells_;  // serial << 8 | entry direction bits
  std::array<FailedWalk, kFailedWalkSlots> failed_walks_;
  std::uint16_t passes_;  // passes since the last real clear, 0..65534
  std::uint32_t walks_;   // walks since the last real clear; serials are 1..walks_
};

}  // namespace plate
