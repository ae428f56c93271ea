#pragma once
// Seeded photos for the plate finder's measurements: plates turned and tilted, 40 to 400 fitted
// pixels wide, beside grille bars, gratings and badges, under uneven light and shadow.

#include <cstdint>

#include "image/decoded_picture.h"
#include "tools/plate_renderer/photo_scene.h"

namespace plate::bench {

// The development set (parameters are chosen on it) and the checking set (seen only to report).
enum class PhotoSet : std::uint64_t { development = 0xDE7E, checking = 0xC4EC };

// Photo `index` of `set`: 2048 x 1536 pixels (twice the frame each way); every tenth has no
// plate, the others one plate or, one in four, two.
tools::PhotoScene make_photo_scene(PhotoSet set, int index);

// The painted photo as a decoder hands it over: blue, green, red, rows top first.
DecodedPicture as_decoded(const tools::RgbCanvas& canvas);

// Whether the photo point (x, y) lies on the serial row of `plate`.
bool on_serial_row(const tools::TurnedPlate& plate, int photo_width, int photo_height, double x, double y);

}  // namespace plate::bench
