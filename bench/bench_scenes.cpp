#include "bench_scenes.h"

#include <algorithm>
#include <string>

#include "engine/plane.h"

namespace plate::bench {

using tools::PlacedPlate;
using tools::Scene;
using tools::SeededGenerator;

namespace {

tools::Rgb random_grey(SeededGenerator& generator, int low, int high) {
  const auto level = static_cast<std::uint8_t>(low + below(generator, high - low + 1));
  return {level, level, level};
}

double picture_row(double plane_y) {
  return kFrameHeight - 1 - plane_y;
}

}  // namespace

int below(SeededGenerator& generator, int bound) {
  return static_cast<int>(generator.next() % std::uint64_t(bound));
}

std::string random_serial(SeededGenerator& generator, int digits) {
  std::string serial = std::to_string(1 + below(generator, 9));  // serial numbers have no leading zero
  while (int(serial.size()) < digits) serial += char('0' + below(generator, 10));
  return serial;
}

void draw_plate_lettering(SeededGenerator& generator, PlacedPlate& plate) {
  constexpr std::array<const char32_t*, 8> kRegions{U"品川", U"練馬", U"横浜", U"名古屋",
                                                    U"大阪", U"札幌", U"足立", U"多摩"};
  constexpr std::array<char32_t, 12> kHiragana{U'さ', U'す', U'せ', U'そ', U'た', U'ち',
                                               U'て', U'と', U'な', U'に', U'ぬ', U'ね'};
  constexpr std::array<const char*, 6> kClasses{"500", "330", "300", "531", "33", "580"};
  plate.region = pick(generator, kRegions);
  plate.classification = pick(generator, kClasses);
  plate.hiragana = pick(generator, kHiragana);
}

Scene make_accuracy_scene(int index, bool with_plate) {
  SeededGenerator generator(0xACC0 + std::uint64_t(index) * 7919);
  constexpr std::array<std::array<int, 2>, 3> kPictureSizes{{{640, 480}, {800, 600}, {1024, 768}}};

  Scene scene;
  const auto& size = pick(generator, kPictureSizes);
  scene.width = size[0];
  scene.height = size[1];
  scene.seed = generator.next();
  scene.blur_sigma_px = pick(generator, kAccuracyBlurs);
  scene.noise_sigma = pick(generator, kAccuracyNoises);
  switch (below(generator, 3)) {
    case 0:
      scene.background = {tools::BackgroundKind::uniform, random_grey(generator, 20, 230), {}, 0};
      break;
    case 1:
      scene.background = {tools::BackgroundKind::gradient, random_grey(generator, 120, 240),
                          random_grey(generator, 10, 120), 0};
      break;
    default:
      scene.background = {tools::BackgroundKind::clutter, random_grey(generator, 150, 240),
                          random_grey(generator, 10, 100), 16 + below(generator, 64)};
      break;
  }
  if (!with_plate) return scene;

  PlacedPlate plate;
  plate.serial = random_serial(generator, 1 + index % 4);
  plate.kind = (index / 4) % 2 == 0 ? tools::PlateKind::private_car : tools::PlateKind::kei;
  plate.width_px = 100 + below(generator, std::min(461, scene.width - 119));
  plate.left_px = below(generator, scene.width - int(plate.width_px) + 1);
  plate.top_px = below(generator, scene.height - int(plate.width_px / 2) + 1);
  draw_plate_lettering(generator, plate);
  scene.plates.push_back(plate);
  return scene;
}

bool on_serial_row(double x, double plane_y, const PlacedPlate& plate) {
  const tools::PixelBox first = tools::serial_cell(plate, 0);
  const tools::PixelBox last = tools::serial_cell(plate, 3);
  return tools::PixelBox{first.left, first.top, last.right, last.bottom}.contains(x, picture_row(plane_y));
}

bool on_plate(double x, double plane_y, const PlacedPlate& plate) {
  const double row = picture_row(plane_y);
  return x >= plate.left_px && x < plate.left_px + plate.width_px && row >= plate.top_px &&
         row < plate.top_px + plate.width_px / 2;
}

}  // namespace plate::bench
