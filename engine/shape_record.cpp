#include "shape_record.h"

#include "signature_step.h"

namespace plate {

void smooth_signature(ShapeRecord& record) {
  const int n = record.point_count;
  if (n <= 0 || n > kMaxContourPoints) return;
  const int w = signature_step(n);  // short contours are smoothed less, so that corners survive
  // A(j) continues the chain across its ends as one counterclockwise lap. Since w = 1 whenever
  // n < 70, every wrapped index stays inside 0 .. n - 1 for any n >= 1.
  auto lap_angle = [&](int j) {
    if (j < 0) return record.angles[n + j] - 360;
    if (j > n - 1) return record.angles[j - n] + 360;
    return record.angles[j];
  };
  for (int i = 0; i < n; ++i) {
    std::int32_t sum = 0;
    for (int j = i - w; j <= i + w; ++j) sum += lap_angle(j);
    record.smoothed_angles[i] = sum / (2 * w + 1);  // truncates toward zero: -1 / 3 is 0
  }
}

}  // namespace plate
