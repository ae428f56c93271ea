#pragma once
// Dead ends of the seed scan: walk states from which a walk is known to reach the frame's rim.
//
// A walk's future is fixed by its state (its pixel and the direction it came in by) and by which
// of the pixels it then looks at are inside. Say a walk of the scan reached the rim, and a later
// walk of the same pass reaches one of its states with a threshold at or above the brightest
// inside pixel that the earlier walk looked at from that state on.
// - If the threshold is also below the darkest outside pixel looked at, the later walk makes the
//   same moves from there on. It reaches the rim too, or a mark on the way (marks only accumulate
//   within a pass), and fails. It cannot close on its own start first: that would make the earlier
//   walk's path from the state a cycle through it, or let the two walks part at a pixel that the
//   threshold range covers, and a cycle never reaches the rim.
// - If the threshold is higher, the walks may part, but the later one still cannot close a
//   counterclockwise lap: every pixel inside for the earlier walk is inside for it, so the dark
//   area that it follows holds the earlier walk's path from the state to the rim. A lap round an
//   area encloses all of it, and a lap whose pixels are all off the rim (the walk fails on the
//   rim) cannot enclose a rim pixel. It fails, or closes round a hole.
// Either way the scan rejects the walk, and it writes no marks (only a counterclockwise lap does).
// So a state is kept with the lowest threshold that holds for it.
//
// A small picture in the frame has the black rest of the frame beside it, and every scanned row
// starts a walk at the step down to black that runs along the border to the rim, hundreds of moves
// each, at thresholds a few levels apart. A walk is kept only when an earlier walk of the pass
// failed at the same rim pixel (texture seldom repeats, and keeping a walk costs about as much as
// walking it), and only its states on every eighth row (one per pixel, the latest): a later walk is
// caught within eight rows of reaching its path, and the store stays under 600 KB.

#include <array>
#include <cstdint>

#include "engine/plane.h"

namespace plate {

class DeadEnds {
 public:
  static constexpr bool is_kept_row(std::int32_t y) { return (y & 7) == 0; }
  // The same for a pixel by index (y * 1024 + x): one test of its bits.
  static constexpr bool is_kept_pixel(std::size_t pixel) {
    return (pixel & (std::size_t{7} * kFrameWidth)) == 0;
  }

  // Forgets every dead end: a new pass of the scan begins.
  void start_pass();

  // Whether this pass has kept any dead end.
  bool any() const { return kept_in_pass_ == stamp(); }

  // Whether a walk at a pixel (by index) of a kept row, come in by `direction`, with `threshold`,
  // is known to be rejected.
  bool holds(std::size_t kept_pixel, int direction, std::int32_t threshold) const {
    const Entry& entry = entries_[index(kept_pixel)];
    return entry.pass == stamp() && entry.direction == direction && entry.lowest <= threshold;
  }

  // Whether a walk of this pass reached the rim at this pixel (by index) before; remembers that one
  // did now. Ends are kept in a small table by hash, so the answer is sometimes wrongly no; that
  // only costs time.
  bool ended_here_before(std::size_t rim_pixel) {
    const auto pixel = static_cast<std::uint32_t>(rim_pixel);
    Ending& ending = endings_[(pixel * 2654435761U) >> (32 - kEndingBits)];
    const bool before = ending.pass == stamp() && ending.pixel == pixel;
    ending = {pixel, stamp()};
    return before;
  }

  // Keeps the state for the thresholds from `lowest` (0..255) up.
  void add(std::int32_t x, std::int32_t y, int direction, std::int32_t lowest) {
    kept_in_pass_ = stamp();
    entries_[index(x, y)] = {stamp(), static_cast<std::uint8_t>(direction),
                             static_cast<std::uint8_t>(lowest)};
  }

 private:
  struct Entry {
    std::uint16_t pass;  // the stamp of the pass that kept it; 0 never is one
    std::uint8_t direction;
    std::uint8_t lowest;
  };

  struct Ending {
    std::uint32_t pixel;
    std::uint16_t pass;
  };
  static constexpr int kEndingBits = 12;

  static std::size_t index(std::int32_t x, std::int32_t y) {
    return std::size_t(y >> 3) * kFrameWidth + std::size_t(x);
  }
  // The same from the pixel index of a kept row: its row number drops three bits.
  static std::size_t index(std::size_t kept_pixel) {
    return (kept_pixel >> 3 & ~std::size_t{kFrameWidth - 1}) | (kept_pixel & (kFrameWidth - 1));
  }
  std::uint16_t stamp() const { return static_cast<std::uint16_t>(passes_ + 1); }

  std::array<Entry, std::size_t{kFrameHeight / 8} * kFrameWidth> entries_;
  std::array<Ending, std::size_t{1} << kEndingBits> endings_;
  std::uint16_t passes_;        // passes since the last real clear, 0..65534
  std::uint16_t kept_in_pass_;  // the stamp of the last pass that kept a dead end
};

}  // namespace plate
