#pragma once
// The plates a run read, in the order the result dialog lists them. The dialog's text, the overlay,
// the tiles' judging and every report take a run's plates from here, so they always agree.

#include <cstdint>
#include <string>
#include <vector>

#include "match_record.h"
#include "run_result.h"

namespace plate {

// Columns x_min..x_max and rows y_min..y_max, both inclusive, in frame (plane) coordinates: rows
// count from the bottom, as everywhere in the engine.
struct FrameBox {
  int x_min = 0, x_max = 0, y_min = 0, y_max = 0;
  friend bool operator==(const FrameBox&, const FrameBox&) = default;
};

struct PlateCharacter {
  FrameBox box;
  MatchRecord match;  // as matching recorded it for the character's candidate
};

struct RunPlate {
  std::int32_t group_id = 0;
  std::int32_t digit_count = 0;
  FrameBox frame;                          // the plate frame
  std::string text;                        // the text's bytes as the group table keeps them (0xA5 for a dot)
  std::vector<PlateCharacter> characters;  // left to right
  std::int32_t worst_distance = 0;         // the largest distance that vouches for one of its digits
};

// The distance that vouches for a read candidate's digit: its own template's, or, when the 0/8
// check changed the digit to one whose template the windows refused, the template that read it.
std::int32_t vouching_distance(const MatchRecord& match);

// Every plate of the sorted character list once, in ascending group id order (withdrawn groups
// carry 0), skipping any whose id lies outside the group table.
std::vector<RunPlate> plates_in_dialog_order(const RunResult& result);

}  // namespace plate
