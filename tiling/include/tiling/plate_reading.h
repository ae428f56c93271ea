#pragma once
// A plate as a run over the frame or over an enlarged tile read it, with its boxes in frame
// coordinates, and the judging that decides which tile readings are reported.

#include <cstdint>
#include <span>
#include <vector>

#include "engine/match_record.h"
#include "engine/run_result.h"
#include "tiling/tile_layout.h"

namespace plate {

// A plate of a run with its boxes in the frame, whatever tile it was read on.
struct PlateReading {
  RunPlate plate;
  int scale = 1;  // 1 for the run over the frame itself, else the tile's
};

// A plate of a run over `tile`, its boxes mapped into the frame; for the run over the frame itself
// pass a 1x tile at the origin.
PlateReading tile_plate_in_frame(RunPlate plate, const Tile& tile);

// The plates of `result`, a run over `tile`, in the dialog's order (tile_plate_in_frame).
std::vector<PlateReading> plates_of_run(const RunResult& result, const Tile& tile);

// A digit a run recognised, in a plate or not.
struct SeenDigit {
  FrameBox box;  // in the frame
  std::uint8_t digit = 0;
};

// Every digit of `result`, a run over `tile`.
std::vector<SeenDigit> digits_of_run(const RunResult& result, const Tile& tile);

// What the enlarged tiles saw: the plates read on them (less those a tile's cut may have cut), and
// every digit recognised on them.
struct TileReadings {
  std::vector<PlateReading> plates;
  std::vector<SeenDigit> digits;
};

// What a tile reading must show to be reported. Distances are those of plate-read's
// worst_distance; the run itself accepts a digit below 30.
struct JudgingRules {
  int fewest_digits = 2;              // a reading with fewer digits is never reported from a tile
  int fewest_digits_one_scale = 2;    // nor one seen at one scale only with fewer digits
  int worst_distance_one_scale = 20;  // above it, a text seen at one scale only is dropped
  int worst_distance_agreed = 23;     // above it, even a text two scales agree on is dropped
};

// Chooses, from the readings of the enlarged tiles, the plates to report beside `frame_plates`
// (the run over the frame itself, which is kept as it is, and whose digits are `frame_digits`):
//   1. A tile reading that touches a plate of the frame's run is dropped: there the frame's
//      reading stands. So is one that stands just above digits half as tall again as its own, on
//      any run: that is the small upper row (classification number) of a plate, not a plate. So is
//      one of whose digits the frame's run recognised one as another digit.
//   2. The others are gathered by place (frames that overlap by half of the smaller one, chained).
//   3. At each place, a text seen at two scales is preferred; the frame's run counts as a scale for
//      a text when it recognised at least half of its digits, each as the same digit. Of the texts
//      with the most scales, the one with the best worst distance is chosen. Two texts seen at as
//      many scales are a conflict: the place is left out.
//   4. The chosen text is reported once, as its reading with the best worst distance, if it has
//      fewest_digits digits or more and its worst distance is within the limit for its number of
//      scales.
std::vector<PlateReading> judge_tile_readings(std::span<const PlateReading> frame_plates,
                                              std::span<const SeenDigit> frame_digits,
                                              const TileReadings& tiles, const JudgingRules& rules);

}  // namespace plate
