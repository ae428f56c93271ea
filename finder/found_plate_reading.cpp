#include "finder/found_plate_reading.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace plate {

namespace {

// The box of the photo's frame that holds the quadrilateral, or nothing when it lies off the picture.
std::optional<FrameBox> frame_box_of(const SourceQuad& quad, const FrameMapping& mapping) {
  const std::optional<PixelBox> box =
      source_box_to_frame(mapping, bounding_box(quad, mapping.source.width, mapping.source.height));
  if (!box) return std::nullopt;
  return FrameBox{box->x_min, box->x_max, box->y_min, box->y_max};
}

// Whether the plate's centre lies inside the frame box of a plate read straightened.
bool lies_on_found_plate(std::span<const FoundPlateReading> found, const FrameBox& frame_plate) {
  const int x = (frame_plate.x_min + frame_plate.x_max) / 2, y = (frame_plate.y_min + frame_plate.y_max) / 2;
  return std::any_of(found.begin(), found.end(), [&](const FoundPlateReading& reading) {
    const FrameBox& box = reading.plate.frame;
    return x >= box.x_min && x <= box.x_max && y >= box.y_min && y <= box.y_max;
  });
}

}  // namespace

std::vector<FoundPlateReading> read_found_plates(RecognitionEngine& engine, const Plane& frame,
                                                 const FrameMapping& mapping, Plane& sheet,
                                                 const DecodedPicture* finer,
                                                 const FoundPlateSettings& settings) {
  const std::vector<FoundPlate> plates = find_plates(frame, mapping, settings.finder);
  if (plates.empty()) return {};
  DecodedPicture fitted;
  if (!finer) fitted = fitted_picture(frame, mapping);
  const PlateSheet laid_out(finer ? *finer : fitted, plates, sheet, settings.layout);
  std::vector<FoundPlateReading> readings;
  for (RunPlate plate : plates_in_dialog_order(engine.run(sheet))) {
    const auto on_sheet = [](const FrameBox& b) { return PixelBox{b.x_min, b.x_max, b.y_min, b.y_max}; };
    // The upper row (region and classification number) ends 55 mm down the 165 mm plate, the
    // serial row starts at 70 mm: a group centred above that is the classification number.
    const std::optional<double> depth = laid_out.depth_in_slot(on_sheet(plate.frame));
    if (!depth || *depth < settings.serial_row_top) continue;
    std::vector<double> centres;
    for (const PlateCharacter& c : plate.characters)
      if (const std::optional<double> across = laid_out.across_slot(on_sheet(c.box)))
        centres.push_back(*across);
    if (centres.size() != plate.characters.size() ||
        !digits_on_serial_places(centres, settings.layout.margin))
      continue;
    if (!has_serial_digits(plate.text)) continue;
    const std::optional<SourceQuad> quad = laid_out.to_source(on_sheet(plate.frame));
    const std::optional<FrameBox> box = quad ? frame_box_of(*quad, mapping) : std::nullopt;
    if (!box) continue;
    FoundPlateReading reading{plate, *quad, {}};
    reading.plate.frame = *box;
    bool placed = true;
    for (PlateCharacter& c : reading.plate.characters) {
      const std::optional<SourceQuad> character = laid_out.to_source(on_sheet(c.box));
      const std::optional<FrameBox> character_box =
          character ? frame_box_of(*character, mapping) : std::nullopt;
      if (!character_box) {
        placed = false;
        break;
      }
      c.box = *character_box;
      reading.character_quads.push_back(*character);
    }
    if (placed) readings.push_back(std::move(reading));
  }
  // Two plate shapes found at one place (a plate and its frame, say) may both be read: the place
  // is reported once, by its surest reading.
  std::vector<FoundPlateReading> kept;
  for (std::size_t i = 0; i < readings.size(); ++i) {
    const auto beaten = [&](std::size_t j) {
      const RunPlate &mine = readings[i].plate, &other = readings[j].plate;
      return j != i && lies_on_found_plate(std::span(&readings[j], 1), mine.frame) &&
             (other.worst_distance < mine.worst_distance ||
              (other.worst_distance == mine.worst_distance && j < i));
    };
    bool any_beats = false;
    for (std::size_t j = 0; j < readings.size() && !any_beats; ++j) any_beats = beaten(j);
    if (!any_beats) kept.push_back(readings[i]);
  }
  return kept;
}

bool digits_on_serial_places(std::span<const double> centres, double margin) {
  // The serial's places are centred 95, 150, 230 and 286 mm along the 330 mm plate.
  constexpr std::array<double, 4> kPlaceMm{95, 150, 230, 286};
  if (centres.empty() || centres.size() > kPlaceMm.size()) return false;
  const std::size_t first_place = kPlaceMm.size() - centres.size();
  for (std::size_t i = 0; i < centres.size(); ++i) {
    const auto distance = [&](std::size_t place) {
      return std::abs(centres[i] - (kPlaceMm[place] / 330.0 + margin) / (1 + 2 * margin));
    };
    for (std::size_t place = 0; place < kPlaceMm.size(); ++place)
      if (distance(place) < distance(first_place + i)) return false;
  }
  return true;
}

bool has_serial_digits(std::string_view text) {
  // Serial numbers have no leading zero: a plate shows a dot in its place.
  const std::size_t first_digit = text.find_first_of("0123456789");
  return first_digit != std::string_view::npos && text[first_digit] != '0';
}

bool keeps_frame_plate(std::span<const FoundPlateReading> found, const FrameBox& frame_plate,
                       std::int32_t worst_distance, std::string_view text,
                       const FoundPlateSettings& settings) {
  return worst_distance <= settings.frame_worst_distance && has_serial_digits(text) &&
         !lies_on_found_plate(found, frame_plate);
}

}  // namespace plate
