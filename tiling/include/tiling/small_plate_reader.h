#pragma once
// Reading plates too small for the recognition rules at the frame's own scale: the fitted picture
// is also read enlarged, tile by tile, and the tile readings are judged before any is reported.
//
//   SmallPlateReader small(engine.templates());
//   const RunResult& result = engine.run(frame);
//   std::vector<PlateReading> added = small.read(frame, fitted_width, fitted_height, result);
//
// The run over the frame is the caller's and stays as it is; read() returns only the plates the
// tiles add. The reader has an engine of its own, so the caller's result is not overwritten.

#include <memory>
#include <vector>

#include "engine/plane.h"
#include "engine/recognition_engine.h"
#include "tiling/plate_reading.h"

namespace plate {

struct SmallPlateSettings {
  std::vector<int> scales{2, 3};
  // The widest plate, in fitted pixels, that the tiles are laid out for: the tiles overlap enough
  // that a plate this wide lies whole on one of them, a digit height or more from its cut edges.
  int widest_plate = 100;
  JudgingRules rules;
};

class SmallPlateReader {
 public:
  explicit SmallPlateReader(const TemplateTable& templates, SmallPlateSettings settings = {});
  ~SmallPlateReader();
  SmallPlateReader(const SmallPlateReader&) = delete;
  SmallPlateReader& operator=(const SmallPlateReader&) = delete;

  // The plates the enlarged tiles add to `frame_result`, the caller's run over `frame`, whose
  // picture is the fitted_width x fitted_height top-left corner of the frame.
  std::vector<PlateReading> read(const Plane& frame, int fitted_width, int fitted_height,
                                 const RunResult& frame_result);

  // What the tiles saw, before judging (for benchmarks that try judging rules without running the
  // tiles again).
  TileReadings tile_readings(const Plane& frame, int fitted_width, int fitted_height);

  const SmallPlateSettings& settings() const { return settings_; }

 private:
  SmallPlateSettings settings_;
  RecognitionEngine engine_;
  std::unique_ptr<Plane> tile_picture_;
};

}  // namespace plate
