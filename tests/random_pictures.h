#pragma once
// Seeded random pictures and signatures for the tests that hold a fast engine step to its plain
// reference: scenes of dark blobs of every size the seed scan meets (digits, bars, rings, blobs
// cut by the frame's rim, specks), small noisy pictures on black, and direction signatures from
// smooth laps to the extremes that the matcher still accepts.

#include <algorithm>
#include <cstdint>
#include <random>

#include "engine/matching.h"
#include "engine/plane.h"
#include "engine/shape_record.h"
#include "test_pictures.h"

namespace plate::testing {

inline int uniform(std::mt19937& random, int low, int high) {
  return std::uniform_int_distribution<int>(low, high)(random);
}

inline std::uint8_t level(std::mt19937& random, int low, int high) {
  return static_cast<std::uint8_t>(uniform(random, low, high));
}

// Fills the pixels of the ellipse in the box, less those of the inner ellipse when `ring` is set.
inline void fill_ellipse(Plane& plane, int x_min, int x_max, int y_min, int y_max, bool ring,
                         std::uint8_t value) {
  const double cx = (x_min + x_max) / 2.0, cy = (y_min + y_max) / 2.0;
  const double rx = (x_max - x_min) / 2.0 + 0.5, ry = (y_max - y_min) / 2.0 + 0.5;
  for (int y = std::max(y_min, 0); y <= std::min(y_max, kFrameHeight - 1); ++y) {
    for (int x = std::max(x_min, 0); x <= std::min(x_max, kFrameWidth - 1); ++x) {
      const double u = (x - cx) / rx, v = (y - cy) / ry, r = u * u + v * v;
      if (r <= 1.0 && (!ring || r >= 0.45)) set_gray(plane, x, y, value);
    }
  }
}

// A light ground with 3 to 14 dark blobs and a few hundred specks; blobs may overlap each other
// and run over the frame's rim.
inline void draw_random_scene(Plane& picture, std::mt19937& random) {
  picture.fill(level(random, 140, 255));
  const int blobs = uniform(random, 3, 14);
  for (int b = 0; b < blobs; ++b) {
    const int width = uniform(random, 1, uniform(random, 0, 3) == 0 ? 300 : 40);
    const int height = uniform(random, 1, uniform(random, 0, 3) == 0 ? 300 : 90);
    const int x = uniform(random, -20, kFrameWidth - 1), y = uniform(random, -20, kFrameHeight - 1);
    const std::uint8_t ink = level(random, 0, 130);
    const int x_max = std::min(x + width, kFrameWidth - 1), y_max = std::min(y + height, kFrameHeight - 1);
    switch (uniform(random, 0, 2)) {
      case 0:
        fill_box(picture, std::max(x, 0), x_max, std::max(y, 0), y_max, ink);
        break;
      case 1:
        fill_ellipse(picture, x, x + width, y, y + height, false, ink);
        break;
      default:
        fill_ellipse(picture, x, x + width, y, y + height, true, ink);
    }
  }
  for (int speck = uniform(random, 0, 400); speck > 0; --speck) {
    const int x = uniform(random, 0, kFrameWidth - 3), y = uniform(random, 0, kFrameHeight - 3);
    fill_box(picture, x, x + uniform(random, 0, 2), y, y + uniform(random, 0, 2), level(random, 0, 255));
  }
}

// A picture smaller than the frame in its corner, the rest black as a loader leaves it: every
// scanned row starts a walk at the step down to black that runs along the picture's edge to the
// rim. The edge is noisy, so walks from different rows, each at its own threshold, part where an
// edge pixel lies between their thresholds: the case that the seed scan's dead-end memo must judge.
inline void draw_picture_on_black(Plane& picture, std::mt19937& random) {
  picture.fill(0);
  const int width = uniform(random, 60, 700), height = uniform(random, 40, 500);
  const int ground = uniform(random, 90, 230), noise = uniform(random, 0, 80);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      set_gray(picture, x, y, level(random, std::max(ground - noise, 0), std::min(ground + noise, 255)));
  for (int blob = uniform(random, 0, 6); blob > 0; --blob) {
    const int x = uniform(random, 0, width - 1), y = uniform(random, 0, height - 1);
    fill_ellipse(picture, x, std::min(x + uniform(random, 2, 60), width - 1), y,
                 std::min(y + uniform(random, 2, 90), height - 1), uniform(random, 0, 1) == 1,
                 level(random, 0, 110));
  }
}

// The point counts at which the sampling and smoothing steps change, the ends, and one at random.
inline int random_point_count(std::mt19937& random) {
  constexpr int kEdges[] = {0, 1, 2, 69, 70, 99, 100, 1023, 1024};
  const int pick = uniform(random, 0, 9);
  return pick < 9 ? kEdges[pick] : uniform(random, 2, kMaxContourPoints);
}

// A signature the matcher accepts: a noisy lap of about 360 degrees, a wild walk, or entries at
// the extremes of what a trace can produce, with a random start direction.
inline ShapeRecord random_signature(std::mt19937& random, int point_count) {
  ShapeRecord record{};
  record.point_count = point_count;
  record.start_direction = uniform(random, 0, 7);
  record.character = static_cast<std::uint8_t>('0' + uniform(random, 0, 9));
  const int kind = uniform(random, 0, 2);
  std::int32_t walk = uniform(random, -400, 400);
  for (int i = 0; i < point_count; ++i) {
    std::int32_t& angle = record.smoothed_angles[i];
    if (kind == 0) {
      angle = 360 * i / point_count + uniform(random, -60, 60);
    } else if (kind == 1) {
      walk = std::clamp(walk + uniform(random, -135, 180), -kMaxSignatureMagnitude, kMaxSignatureMagnitude);
      angle = walk;
    } else {
      angle = uniform(random, 0, 1) == 0 ? kMaxSignatureMagnitude : -kMaxSignatureMagnitude;
    }
  }
  return record;
}

}  // namespace plate::testing
