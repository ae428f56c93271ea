#pragma once
// Reading a photo's plates by finding them first: the plates found in the fitted picture are
// straightened onto a sheet, one run reads the sheet, and each plate read there is given back in
// the photo, as a quadrilateral in its pixels and as the box of the frame that holds it.
//
//   const std::vector<FoundPlateReading> found = read_found_plates(engine, frame, mapping, sheet);
//   ... then report the frame run's plates that keeps_frame_plate(found, plate.frame,
//   plate.worst_distance, plate.text).

#include <span>
#include <string_view>
#include <vector>

#include "engine/plane.h"
#include "engine/recognition_engine.h"
#include "engine/run_plates.h"
#include "finder/plate_finder.h"
#include "finder/plate_sheet.h"
#include "image/frame_fit.h"

namespace plate {

struct FoundPlateReading {
  // The plate as the sheet's run read it, its frame and character boxes moved to the boxes of the
  // photo's frame (plane coordinates) that hold their quadrilaterals.
  RunPlate plate;
  SourceQuad quad;                          // the plate frame in the photo
  std::vector<SourceQuad> character_quads;  // left to right, as plate.characters
};

struct FoundPlateSettings {
  FinderSettings finder;
  SheetLayout layout;
  // How far down its slot (0 top, 1 bottom) a plate read on the sheet must be centred: the upper
  // row's classification number, read as a plate of its own, is centred higher.
  double serial_row_top = 0.42;
  // The largest worst distance of a plate read by the run over the whole frame that is reported
  // where no found plate was read. The finder misses plates, but the frame run reads grille bars
  // and gratings as plates too, mostly at larger distances. Chosen on finder_bench's development
  // set by exact - 3 x wrong: 67 exact and 2 wrong here, against 67 and 5 with no limit and 54 and
  // 0 with the found plates alone.
  std::int32_t frame_worst_distance = 14;
};

// Finds the plates of the picture fitted in `frame` (where `mapping` says), straightens them onto
// `sheet` from `finer` (the decoded picture, held at any size up to its full one) or, without it,
// from the fitted picture, and runs `engine` over the sheet (its result is the sheet's afterwards).
// Plates whose frame falls outside every slot, that stand on a slot's upper row, whose digits
// stand off the serial's places or begin with 0 are left out.
std::vector<FoundPlateReading> read_found_plates(RecognitionEngine& engine, const Plane& frame,
                                                 const FrameMapping& mapping, Plane& sheet,
                                                 const DecodedPicture* finer = nullptr,
                                                 const FoundPlateSettings& settings = {});

// Whether digits centred at `centres` (left to right, as fractions of the width of a slot that
// holds the plate with `margin` of its width on either side) each stand nearest to a place of
// their own among the serial's four, the last ones as a serial is right-aligned: a group read
// across the plate's edge, or from marks beside the digits, does not.
bool digits_on_serial_places(std::span<const double> centres, double margin);

// Whether the plate text's digits can be a serial number's: serial numbers have no leading zero
// (a plate shows a dot in its place), so a text whose first digit is 0 is a misreading.
bool has_serial_digits(std::string_view text);

// Whether a plate that the run over the frame read (its frame in plane coordinates, its worst
// distance, its text) is reported beside the found plates: never where a found plate was read (its
// centre inside that plate's frame box), since that reading was made straightened; elsewhere when
// its worst distance is within settings.frame_worst_distance and its digits can be a serial's.
bool keeps_frame_plate(std::span<const FoundPlateReading> found, const FrameBox& frame_plate,
                       std::int32_t worst_distance, std::string_view text,
                       const FoundPlateSettings& settings = {});

}  // namespace plate
