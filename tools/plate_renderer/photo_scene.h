#pragma once
// A photo as a camera takes it of a car: plates turned about their vertical and horizontal axes,
// seen in perspective, at any size the photo allows, beside textures that are no plate (grille
// bars, steel gratings, badges), under uneven light and a shadow. The photo may be larger than
// the frame; it is painted at its own size and handed over as picture rows, top first, so it goes
// through the same fitting into the frame as a decoded photo.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "plate_drawing.h"
#include "plate_scene.h"
#include "rgb_canvas.h"

namespace plate::tools {

// A plate standing in the photo. Its lettering (serial, kind, region, classification, hiragana)
// comes from `lettering`, whose position and width are not used.
struct TurnedPlate {
  PlacedPlate lettering;
  double centre_x = 0.0;  // where the plate's centre lies in the photo (rows top-down)
  double centre_y = 0.0;
  double width_px = 330.0;  // how wide the plate would be at that distance facing the camera
  double yaw_deg = 0.0;     // turned about its vertical axis (the right edge away for positive turns)
  double pitch_deg = 0.0;   // tilted about its horizontal axis (the top edge away for positive tilts)
};

enum class TextureKind {
  grille,   // vertical dark bars on a light body, `period_px` apart
  grating,  // a light grid with dark square holes, `period_px` apart
  badge,    // a light oval of plate-like proportions holding a few dark upright strokes
};

struct TexturePatch {
  TextureKind kind = TextureKind::grille;
  int left = 0, top = 0, width = 100, height = 50;
  int period_px = 12;
  Rgb light{200, 200, 200};
  Rgb dark{30, 30, 30};
};

struct PhotoScene {
  int width = 2048;
  int height = 1536;
  Background background;
  std::vector<TexturePatch> textures;  // painted before the plates, in order
  std::vector<TurnedPlate> plates;
  // Light falls from one side: every pixel's levels are scaled from `light_left` on the first
  // column to `light_right` on the last.
  double light_left = 1.0;
  double light_right = 1.0;
  // A shadow: the part of the photo left of the line from (shadow_top_x, 0) to
  // (shadow_bottom_x, height) has its levels scaled by shadow_gain (1 casts none).
  double shadow_gain = 1.0;
  double shadow_top_x = 0.0;
  double shadow_bottom_x = 0.0;
  double blur_sigma_px = 0.0;
  double noise_sigma = 0.0;
  std::uint64_t seed = 1;
};

struct PhotoPoint {
  double x = 0.0;
  double y = 0.0;  // rows top-down
};

// Where the point (x_mm, y_mm) of the plate (millimetres from its top-left corner, as the plate is
// laid out) lies in a photo of the scene's size.
PhotoPoint plate_to_photo(const TurnedPlate& plate, int photo_width, int photo_height, double x_mm,
                          double y_mm);

// The plate point (in millimetres) seen at photo pixel (x, y); nothing when that line of sight
// misses the plate's plane in front of the camera.
std::optional<PhotoPoint> photo_to_plate(const TurnedPlate& plate, int photo_width, int photo_height,
                                         double x, double y);

// The plate's corners in the photo: top left, top right, bottom right, bottom left.
std::array<PhotoPoint, 4> plate_corners(const TurnedPlate& plate, int photo_width, int photo_height);

// Paints the photo. Throws std::invalid_argument for a photo smaller than 1 x 1 or of more than
// 100 megapixels, and for a plate whose serial is not one to four digits. The same scene and fonts
// give the same pixels, byte for byte.
RgbCanvas render_photo(const PhotoScene& scene, const PlateFonts& fonts);

}  // namespace plate::tools
