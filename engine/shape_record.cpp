#include "shape_record.h"

#include "signature_step.h"

namespace plate {

// Entry i is the mean of A(i - w) .. A(i + w), where A(j) continues the chain across its ends as
// one counterclockwise lap. The window's sum slides along the chain: one entry enters and one
// leaves per point, two additions instead of 2w + 1. The sum is kept in 64 bits, so it is the
// exact sum of the window's entries, as the written 32-bit sum is whenever that does not overflow.
void smooth_signature(ShapeRecord& record) {
  const int n = record.point_count;
  if (n <= 0 || n > kMaxContourPoints) return;
  const int w = signature_step(n);  // short contours are smoothed less, so that corners survive
  // Since w = 1 whenever n < 70, every wrapped index stays inside 0 .. n - 1 for any n >= 1.
  auto lap_angle = [&](int j) -> std::int64_t {
    if (j < 0) return std::int64_t{record.angles[n + j]} - 360;
    if (j > n - 1) return std::int64_t{record.angles[j - n]} + 360;
    return record.angles[j];
  };
  std::int64_t sum = 0;
  for (int j = -w; j <= w; ++j) sum += lap_angle(j);
  for (int i = 0;; ++i) {
    record.smoothed_angles[i] = static_cast<std::int32_t>(sum / (2 * w + 1));  // -1 / 3 is 0
    if (i == n - 1) break;
    sum += lap_angle(i + w + 1) - lap_angle(i - w);
  }
}

}  // namespace plate
