#include "rendered_pictures.h"

#include <array>
#include <string>

#include "tools/plate_renderer/plate_scene.h"

namespace plate::bench {

namespace {

tools::PlacedPlate plate_at(const char* serial, tools::PlateKind kind, double left, double top,
                            double width) {
  tools::PlacedPlate plate;
  plate.serial = serial;
  plate.kind = kind;
  plate.left_px = left;
  plate.top_px = top;
  plate.width_px = width;
  return plate;
}

}  // namespace

void add_rendered_pictures(BenchInputs& inputs) {
  const tools::PlateFonts fonts = tools::load_plate_fonts();
  const auto add = [&](const std::string& name, const tools::Scene& scene) {
    auto plane = std::make_unique<Plane>();
    tools::render_scene(scene, fonts, *plane);
    inputs.pictures.push_back({name, std::move(plane)});
  };

  // Plates on sharp-edged clutter, in pictures of the three usual sizes.
  constexpr std::array<std::array<int, 2>, 4> kSizes{{{640, 480}, {800, 600}, {1024, 768}, {1024, 768}}};
  constexpr std::array<const char*, 4> kSerials{"7", "48", "315", "2967"};
  for (std::size_t k = 0; k < kSizes.size(); ++k) {
    tools::Scene scene;
    scene.width = kSizes[k][0];
    scene.height = kSizes[k][1];
    scene.background = {tools::BackgroundKind::clutter, {215, 215, 215}, {40, 40, 40}, 24 + 12 * int(k)};
    scene.plates.push_back(
        plate_at(kSerials[k], k % 2 == 0 ? tools::PlateKind::private_car : tools::PlateKind::kei,
                 60.0 + 40.0 * double(k), 80.0 + 30.0 * double(k), 240.0 + 30.0 * double(k)));
    scene.blur_sigma_px = 0.6;
    scene.noise_sigma = 2.0;
    scene.seed = 11 + k;
    add("clutter_" + std::to_string(k + 1), scene);
  }

  // Photo-like: the whole frame, fine texture, blur and noise, one or two plates.
  for (std::size_t k = 0; k < 3; ++k) {
    tools::Scene scene;
    scene.width = 1024;
    scene.height = 768;
    scene.background = {tools::BackgroundKind::clutter, {185, 180, 170}, {25, 30, 35}, 8 + 6 * int(k)};
    scene.plates.push_back(
        plate_at("5803", tools::PlateKind::private_car, 330.0 + 50.0 * double(k), 420.0, 300.0));
    if (k == 1) scene.plates.push_back(plate_at("62", tools::PlateKind::kei, 80.0, 120.0, 220.0));
    scene.blur_sigma_px = 1.2;
    scene.noise_sigma = 5.0 + 2.0 * double(k);
    scene.seed = 101 + k;
    add("photo_like_" + std::to_string(k + 1), scene);
  }
}

}  // namespace plate::bench
