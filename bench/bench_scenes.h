#pragma once
// Seeded rendered scenes shared by the accuracy benchmarks, and where a reported plate lies on them.

#include <array>
#include <cstdint>

#include "tools/plate_renderer/picture_effects.h"
#include "tools/plate_renderer/plate_scene.h"

namespace plate::bench {

int below(tools::SeededGenerator& generator, int bound);

template <typename T, std::size_t N>
const T& pick(tools::SeededGenerator& generator, const std::array<T, N>& choices) {
  return choices[std::size_t(below(generator, int(N)))];
}

inline constexpr std::array<double, 4> kAccuracyBlurs{0.0, 0.5, 1.0, 1.5};
inline constexpr std::array<double, 4> kAccuracyNoises{0.0, 3.0, 6.0, 10.0};

// Picture `index` of accuracy_bench's set: one plate 100 to 560 px wide (or none) on a picture of
// 640 x 480 to 1024 x 768. The digit count and kind cycle, everything else is drawn from the
// picture's own seed, so the set is the same on every run and every machine.
tools::Scene make_accuracy_scene(int index, bool with_plate);

// Gives `plate` a region name, classification number and hiragana drawn from `generator`.
void draw_plate_lettering(tools::SeededGenerator& generator, tools::PlacedPlate& plate);

// A serial of `digits` digits without a leading zero.
std::string random_serial(tools::SeededGenerator& generator, int digits);

// Whether the point (x, plane_y) of the frame lies on the plate's serial row (rows of the plane
// count from the bottom, the renderer's from the top).
bool on_serial_row(double x, double plane_y, const tools::PlacedPlate& plate);
// Whether it lies on the plate at all.
bool on_plate(double x, double plane_y, const tools::PlacedPlate& plate);

}  // namespace plate::bench
