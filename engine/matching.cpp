// Template matching: the digit, if any, that each candidate is.
//
// A contour is described by its direction signature: the smoothed direction at each of its points,
// unwrapped, so that one counterclockwise lap ends 360 degrees above where it began. Two outlines
// of the same digit have signatures that differ by about a constant (how much the one is turned
// against the other) once both are read from corresponding points and stretched to one length.
//
// Plan. signature_distance reads the template from each of its points in turn (past its last point
// the template goes on one lap, 360 degrees, higher), sets candidate point k against template
// point i + k n_T / n_S, removes the constant by aligning the two first points, and takes the mean
// absolute difference. The smallest mean is the distance; the offset at that start, together with
// the two start directions, is the rotation. The decision keeps the nearest template whose
// rotation is near upright (or near upside down for 0, 1 and 8, which read the same turned over)
// and whose proportion suits the digit, and accepts it if it is on average nearer than 30 degrees.
// The outlines of 0 and 8 are alike, so a last look for a dark crossing on the middle column of
// the box tells the two apart.
//
// Rejected alternatives. Interpolating between template points would round the corners that the
// short signatures depend on; the integer stretch reads existing points only. Comparing from the
// template's first point alone would make the distance depend on where the tracer happened to
// start, which the seed row decides. Long contours are thinned to every third or sixth point
// rather than compared point by point: their signatures are already averaged over 7 or 13 points,
// so neighbouring entries carry little that is new.
//
// All arithmetic is signed 32-bit with divisions truncating toward zero; is_comparable() bounds
// the entries so that no sum can overflow.

#include "matching.h"

#include <cstdlib>

#include "proportion.h"
#include "workspace.h"

namespace plate {

namespace {

constexpr std::int32_t kStartingBestDistance = 32000;
constexpr std::int32_t kAcceptanceLimit = 30;
constexpr std::int32_t kOneLap = 360;

// Every candidate point up to 69 points, every third up to 99, every sixth from 100 on.
int sampling_step(int point_count) {
  if (point_count < 70) return 1;
  if (point_count < 100) return 3;
  return 6;
}

}  // namespace

// 0, 1 and 8 look the same turned upside down, so those templates also take rotations near 180.
bool rotation_accepted(std::int32_t rotation, std::uint8_t character) {
  if (rotation < 20 || rotation > 345) return true;
  const bool reads_upside_down = character == '0' || character == '1' || character == '8';
  return reads_upside_down && 160 < rotation && rotation < 200;
}

// A one-pixel-wide stroke is refused outright, whatever its height.
bool proportion_accepted(const ShapeRecord& candidate, std::uint8_t character) {
  const std::int32_t width = candidate.x_max - candidate.x_min;
  if (width <= 0) return false;
  const double proportion = pixel_proportion(candidate.y_max - candidate.y_min, width);
  return character == '1' ? in_one_window(proportion) : in_digit_window(proportion);
}

// The nearest template that the windows accept, if it is nearer than the acceptance limit; else
// nullptr. A nearer template refused by a window leaves the best so far as it is.
const ShapeRecord* best_template(const TemplateTable& templates, const ShapeRecord& candidate) {
  std::int32_t best_distance = kStartingBestDistance;
  const ShapeRecord* best = nullptr;
  for (const ShapeRecord& template_record : templates) {
    const SignatureMatch match = signature_distance(template_record, candidate);
    if (match.distance >= best_distance) continue;  // ties keep the earlier template
    if (!rotation_accepted(match.rotation, template_record.character)) continue;
    if (!proportion_accepted(candidate, template_record.character)) continue;
    best_distance = match.distance;
    best = &template_record;
  }
  return best_distance < kAcceptanceLimit ? best : nullptr;
}

bool is_comparable(const ShapeRecord& record) {
  if (record.point_count < 0 || record.point_count > kMaxContourPoints) return false;
  if (record.start_direction < 0 || record.start_direction > 7) return false;
  for (int i = 0; i < record.point_count; ++i) {
    const std::int32_t angle = record.smoothed_angles[i];
    if (angle < -kMaxSignatureMagnitude || angle > kMaxSignatureMagnitude) return false;
  }
  return true;
}

// Notes:
//  1. j = i + (k n_T) / n_S stays below 2 n_T, since k < n_S; an index past the template's end is
//     read one lap back, so no entry beyond point_count - 1 is ever read.
//  2. The divisor q = n_S / b counts the summed points one short when b does not divide n_S; the
//     distance is then a little above the mean, and the acceptance limit applies to it as it is.
//  3. The rotation is a remainder of truncating division: a best offset larger than the first term
//     gives a negative rotation, which the upright window accepts.
SignatureMatch signature_distance(const ShapeRecord& template_record, const ShapeRecord& candidate) {
  const int n_t = template_record.point_count;
  const int n_s = candidate.point_count;
  if (n_s < 1 || n_t < 1) return {kNoMatchDistance, 0};
  const std::int32_t* t = template_record.smoothed_angles;
  const std::int32_t* s = candidate.smoothed_angles;
  const int step = sampling_step(n_s);
  const std::int32_t divisor = n_s / step;

  std::int32_t best_distance = kNoMatchDistance;
  std::int32_t best_offset = 0;
  for (int shift = 0; shift < n_t; ++shift) {
    const std::int32_t offset = t[shift] - s[0];
    std::int32_t sum = 0;
    for (int k = 0; k < n_s; k += step) {
      const int j = shift + (k * n_t) / n_s;
      const std::int32_t template_angle = j < n_t ? t[j] : t[j - n_t] + kOneLap;
      sum += std::abs(offset + s[k] - template_angle);
    }
    const std::int32_t distance = sum / divisor;
    if (distance < best_distance) {  // ties keep the earlier shift
      best_distance = distance;
      best_offset = offset;
    }
  }
  const std::int32_t turn = (candidate.start_direction - template_record.start_direction + 16) * 45;
  return {best_distance, (turn - best_offset) % kOneLap};
}

// Notes:
//  1. The contrast is measured over the box without its right-most column and top row.
//  2. Rows run from y_a = (y_max + 2 y_min) / 3 up to, not including, y_b = (y_min + 2 y_max) / 3;
//     a box of three rows or fewer scans at most its bottom row, and none when y_a >= y_b.
void check_zero_eight(ContrastWorkArea& work, const Plane& picture, ShapeRecord& candidate) {
  if (candidate.character != '0' && candidate.character != '8') return;
  ContrastLevels levels{};
  if (measure_contrast(work, picture, candidate.x_min, candidate.x_max, candidate.y_min, candidate.y_max,
                       levels) != kTwoHillsFound) {
    return;
  }
  const std::int32_t x_middle = (candidate.x_max + candidate.x_min) / 2;
  const std::int32_t y_from = (candidate.y_max + 2 * candidate.y_min) / 3;
  const std::int32_t y_to = (candidate.y_min + 2 * candidate.y_max) / 3;
  for (std::int32_t y = y_from; y < y_to; ++y) {
    if (std::int32_t{picture.green_unchecked(x_middle, y)} < levels.middle) {
      candidate.character = '8';
      return;
    }
  }
  candidate.character = '0';
}

void decide_characters(Workspace& workspace) {
  CandidateTable& candidates = workspace.candidates;
  for (int c = 0; c < candidates.count; ++c) {
    ShapeRecord& candidate = candidates.records[c];
    const ShapeRecord* matched = best_template(workspace.templates, candidate);
    if (matched == nullptr) continue;
    candidate.character = matched->character;
    check_zero_eight(workspace.contrast, workspace.display, candidate);
  }
}

}  // namespace plate
