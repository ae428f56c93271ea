#pragma once
// The stride of a direction signature, by contour length: 1 below 70 points, 3 below 100, 6 from
// 100 on. Smoothing averages 2 stride + 1 neighbouring directions, so that a short digit keeps its
// corners; matching compares every stride-th candidate point, since neighbouring entries of a
// long signature carry little that is new.

namespace plate {

constexpr int signature_step(int point_count) {
  if (point_count < 70) return 1;
  if (point_count < 100) return 3;
  return 6;
}

}  // namespace plate
