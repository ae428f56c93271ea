#pragma once
// The character list (one entry per recognised digit) and the group table (one entry per plate
// group), the part of a run's result that grouping, plate interpretation and the shell read.

#include <array>
#include <cstdint>

namespace plate {

inline constexpr int kMaxCharacters = 300;
inline constexpr int kMaxGroupId = 300;  // group ids run from 1 to at most 300

struct CharacterEntry {
  std::int32_t candidate_index;  // the Shape record in the candidate table it was made from
  std::int32_t group_id;         // 0 = in no group (never grouped, or its group was withdrawn)
  std::int32_t x_max;
  std::int32_t x_min;
  std::int32_t y_max;
  std::int32_t y_min;
  std::int32_t x_centre;  // (x_max + x_min) / 2
  std::int32_t y_centre;  // (y_max + y_min) / 2
  std::int32_t width;     // x_max - x_min, without adding 1
  std::int32_t height;    // y_max - y_min, without adding 1
};
static_assert(sizeof(CharacterEntry) == 40);

inline constexpr int kPlateTextBytes = 12;

struct GroupEntry {
  std::int32_t digit_count;  // 1..4 for a plate that was read; 0 for a withdrawn or unused id
  std::int32_t x_max;        // the plate frame, in plane coordinates
  std::int32_t x_min;
  std::int32_t y_max;
  std::int32_t y_min;
  // Single-byte Shift-JIS text ending in a zero byte: digits, 0x2D (hyphen) and 0xA5 (the
  // half-width katakana middle dot). Front ends convert it for display.
  char text[kPlateTextBytes];
};

struct CharacterList {
  std::array<CharacterEntry, kMaxCharacters> entries;
  std::int32_t count;
};

// Indexed by group id; entry 0 is never used.
using GroupTable = std::array<GroupEntry, kMaxGroupId + 1>;

}  // namespace plate
