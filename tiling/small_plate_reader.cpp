#include "tiling/small_plate_reader.h"

#include "tiling/tile_picture.h"

namespace plate {

namespace {

// Whether a plate on the tile lies at least its first digit's height from every side of the tile
// that cuts through the picture. Closer, it may be a part of a plate that the cut leaves whole on a
// neighbouring tile (a "34" of "12-34").
bool clear_of_cuts(const Tile& tile, const RunPlate& plate) {
  const FrameBox& first = plate.characters.front().box;
  const int digit_height = first.y_max - first.y_min;
  const FrameBox& frame = plate.frame;
  return (!tile.cut_left || frame.x_min >= digit_height) &&
         (!tile.cut_right || frame.x_max <= kFrameWidth - 1 - digit_height) &&
         (!tile.cut_top || frame.y_max <= kFrameHeight - 1 - digit_height) &&
         (!tile.cut_bottom || frame.y_min >= digit_height);
}

}  // namespace

SmallPlateReader::SmallPlateReader(const TemplateTable& templates, SmallPlateSettings settings)
    : settings_(std::move(settings)), tile_picture_(std::make_unique<Plane>()) {
  engine_.use_templates(templates);
}

SmallPlateReader::~SmallPlateReader() = default;

TileReadings SmallPlateReader::tile_readings(const Plane& frame, int fitted_width, int fitted_height) {
  TileReadings readings;
  for (const int scale : settings_.scales) {
    // A plate and a digit height of margin on either side: about one and a half plate widths.
    const int overlap = settings_.widest_plate * scale * 3 / 2;
    for (const Tile& tile : plan_tiles(fitted_width, fitted_height, scale, overlap)) {
      make_tile_picture(frame, fitted_width, fitted_height, tile, *tile_picture_);
      const RunResult& result = engine_.run(*tile_picture_);
      for (RunPlate& plate : plates_in_dialog_order(result))
        if (clear_of_cuts(tile, plate))
          readings.plates.push_back(tile_plate_in_frame(std::move(plate), tile));
      const std::vector<SeenDigit> digits = digits_of_run(result, tile);
      readings.digits.insert(readings.digits.end(), digits.begin(), digits.end());
    }
  }
  return readings;
}

std::vector<PlateReading> SmallPlateReader::read(const Plane& frame, int fitted_width, int fitted_height,
                                                 const RunResult& frame_result) {
  const std::vector<PlateReading> frame_plates = plates_of_run(frame_result, Tile{});
  const std::vector<SeenDigit> frame_digits = digits_of_run(frame_result, Tile{});
  return judge_tile_readings(frame_plates, frame_digits, tile_readings(frame, fitted_width, fitted_height),
                             settings_.rules);
}

}  // namespace plate
