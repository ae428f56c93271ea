#include "photo_scenes.h"

#include <algorithm>
#include <cmath>

#include "bench_scenes.h"

namespace plate::bench {

using tools::SeededGenerator;

namespace {

double uniform(SeededGenerator& generator, double low, double high) {
  return low + (high - low) * double(generator.next() >> 11) / double(1ull << 53);
}

tools::Rgb grey(SeededGenerator& generator, int low, int high) {
  const auto level = static_cast<std::uint8_t>(low + below(generator, high - low + 1));
  return {level, level, level};
}

// A texture beside the plate (or anywhere, when there is none): the kinds that read as plates.
tools::TexturePatch texture_near(SeededGenerator& generator, const tools::PhotoScene& scene, double x,
                                 double y, double plate_width) {
  tools::TexturePatch patch;
  patch.kind = static_cast<tools::TextureKind>(below(generator, 3));
  const double size = std::max(plate_width, 120.0);
  patch.width = int(size * uniform(generator, 0.6, 2.0));
  patch.height = patch.kind == tools::TextureKind::badge ? int(patch.width / uniform(generator, 1.4, 2.6))
                                                         : int(size * uniform(generator, 0.3, 0.9));
  const double angle = uniform(generator, 0.0, 6.2832);
  const double reach = size * uniform(generator, 0.7, 1.3);
  patch.left = std::clamp(int(x + reach * std::cos(angle)) - patch.width / 2, 0, scene.width - patch.width);
  patch.top = std::clamp(int(y + reach * std::sin(angle)) - patch.height / 2, 0, scene.height - patch.height);
  patch.period_px = std::max(6, int(size * uniform(generator, 0.04, 0.12)));
  patch.light = grey(generator, 150, 235);
  patch.dark = grey(generator, 10, 70);
  return patch;
}

}  // namespace

tools::PhotoScene make_photo_scene(PhotoSet set, int index) {
  SeededGenerator generator(std::uint64_t(set) * 1000003 + std::uint64_t(index) * 7919);
  tools::PhotoScene scene;
  scene.width = 2048;
  scene.height = 1536;
  scene.seed = generator.next();
  scene.background = {tools::BackgroundKind::clutter, grey(generator, 100, 230), grey(generator, 10, 100),
                      32 + below(generator, 128)};
  scene.blur_sigma_px = pick(generator, std::array<double, 4>{0.0, 0.7, 1.4, 2.0});
  scene.noise_sigma = pick(generator, std::array<double, 3>{0.0, 4.0, 8.0});
  scene.light_left = uniform(generator, 0.6, 1.15);
  scene.light_right = uniform(generator, 0.6, 1.15);
  if (below(generator, 3) == 0) {
    scene.shadow_gain = uniform(generator, 0.45, 0.75);
    scene.shadow_top_x = uniform(generator, 0, scene.width);
    scene.shadow_bottom_x = uniform(generator, 0, scene.width);
  }
  const int count = index % 10 == 9 ? 0 : below(generator, 4) == 0 ? 2 : 1;
  for (int attempt = 0; int(scene.plates.size()) < count && attempt < 20; ++attempt) {
    tools::TurnedPlate plate;
    plate.lettering.serial = random_serial(generator, 1 + below(generator, 4));
    plate.lettering.kind = below(generator, 2) == 0 ? tools::PlateKind::private_car : tools::PlateKind::kei;
    draw_plate_lettering(generator, plate.lettering);
    plate.width_px = 2.0 * (40 + below(generator, 361));  // 40 to 400 pixels in the frame
    plate.yaw_deg = uniform(generator, -45.0, 45.0);
    plate.pitch_deg = uniform(generator, -20.0, 20.0);
    const double half_width = plate.width_px / 2 + 10, half_height = plate.width_px / 4 + 10;
    plate.centre_x = uniform(generator, half_width, scene.width - half_width);
    plate.centre_y = uniform(generator, half_height, scene.height - half_height);
    const bool apart =
        std::all_of(scene.plates.begin(), scene.plates.end(), [&](const tools::TurnedPlate& o) {
          return std::abs(o.centre_x - plate.centre_x) > (o.width_px + plate.width_px) / 2 + 40 ||
                 std::abs(o.centre_y - plate.centre_y) > (o.width_px + plate.width_px) / 4 + 40;
        });
    if (apart) scene.plates.push_back(plate);
  }
  const int textures = below(generator, 4);
  for (int t = 0; t < textures; ++t) {
    const bool near_plate = !scene.plates.empty() && below(generator, 3) != 0;
    const tools::TurnedPlate* plate = near_plate ? &scene.plates.front() : nullptr;
    scene.textures.push_back(
        texture_near(generator, scene, plate ? plate->centre_x : uniform(generator, 0, 2048),
                     plate ? plate->centre_y : uniform(generator, 0, 1536), plate ? plate->width_px : 300.0));
  }
  return scene;
}

DecodedPicture as_decoded(const tools::RgbCanvas& canvas) {
  DecodedPicture picture;
  picture.source_width = picture.width = canvas.width();
  picture.source_height = picture.height = canvas.height();
  picture.bgr.resize(std::size_t(canvas.width()) * std::size_t(canvas.height()) * 3);
  std::uint8_t* out = picture.bgr.data();
  for (int row = 0; row < canvas.height(); ++row)
    for (int column = 0; column < canvas.width(); ++column) {
      const tools::Rgb& pixel = canvas.at_unchecked(column, row);
      *out++ = pixel.blue;
      *out++ = pixel.green;
      *out++ = pixel.red;
    }
  return picture;
}

bool on_serial_row(const tools::TurnedPlate& plate, int photo_width, int photo_height, double x, double y) {
  const auto mm = tools::photo_to_plate(plate, photo_width, photo_height, x, y);
  if (!mm) return false;
  tools::PlacedPlate flat = plate.lettering;
  flat.left_px = flat.top_px = 0.0;
  flat.width_px = 330.0;  // one pixel a millimetre
  const tools::PixelBox first = tools::serial_cell(flat, 0), last = tools::serial_cell(flat, 3);
  return tools::PixelBox{first.left, first.top, last.right, last.bottom}.contains(mm->x, mm->y);
}

}  // namespace plate::bench
