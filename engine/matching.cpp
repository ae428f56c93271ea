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

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>

#include "proportion.h"
#include "signature_step.h"
#include "workspace.h"

// On x86-64 with GCC or Clang, the matcher's loops are compiled twice, for AVX2 and for the
// baseline, and the dynamic loader picks the one the processor runs (an ELF ifunc); eight sums a
// vector instead of four take matching on the crowded picture from 3.3 ms to 2.2 ms. Elsewhere
// the baseline alone.
#if defined(__x86_64__) && defined(__ELF__) && defined(__GNUC__)
#define PLATE_AVX2_CLONE __attribute__((target_clones("avx2", "default")))
#else
#define PLATE_AVX2_CLONE
#endif

namespace plate {

namespace {

constexpr std::int32_t kStartingBestDistance = 32000;
constexpr std::int32_t kAcceptanceLimit = 30;
constexpr std::int32_t kOneLap = 360;

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

namespace {

// Every template is compared, and each one that both windows accept is ranked by its distance,
// the earlier first on ties. The nearest is the decision's best template; taking the windows'
// verdict also for templates that are not nearer than the best so far changes no decision.
MatchRecord match_candidate(const TemplateTable& templates, const ShapeRecord& candidate,
                            std::array<std::int32_t, kTemplateCount>& accepted_distances) {
  MatchRecord record{kNoTemplate, kNoDistance, kNoTemplate, kNoDistance, kNoTemplate, kNoDistance, 0, 0, {}};
  std::int32_t best_distance = kStartingBestDistance;
  std::int32_t runner_up_distance = kStartingBestDistance;
  for (std::int32_t t = 0; t < kTemplateCount; ++t) {
    const ShapeRecord& template_record = templates[static_cast<std::size_t>(t)];
    accepted_distances[static_cast<std::size_t>(t)] = kNoDistance;
    // The proportion window depends on the candidate and the digit alone, so it is asked first;
    // and a distance not below the runner-up's changes nothing, so it need not be known exactly.
    if (!proportion_accepted(candidate, template_record.character)) continue;
    const std::optional<SignatureMatch> match =
        signature_distance_below(template_record, candidate, runner_up_distance);
    if (!match) continue;  // ties keep the earlier template
    if (!rotation_accepted(match->rotation, template_record.character)) continue;
    accepted_distances[static_cast<std::size_t>(t)] = match->distance;
    if (match->distance < best_distance) {
      record.runner_up_template = record.nearest_template;
      runner_up_distance = best_distance;
      record.nearest_template = t;
      best_distance = match->distance;
    } else {
      record.runner_up_template = t;
      runner_up_distance = match->distance;
    }
  }
  if (record.nearest_template != kNoTemplate) record.nearest_distance = best_distance;
  if (record.runner_up_template != kNoTemplate) record.runner_up_distance = runner_up_distance;
  if (best_distance < kAcceptanceLimit)
    record.matched_digit = templates[static_cast<std::size_t>(record.nearest_template)].character;
  return record;
}

// The template of the digit the candidate shows: the nearest one, unless the 0/8 check changed the
// digit; then the nearest accepted template of the new digit, if any.
void record_shown_digit(MatchRecord& record, std::uint8_t shown_digit, const TemplateTable& templates,
                        const std::array<std::int32_t, kTemplateCount>& accepted_distances) {
  record.shown_digit = shown_digit;
  if (shown_digit == 0) return;
  if (shown_digit == record.matched_digit) {
    record.shown_template = record.nearest_template;
    record.shown_distance = record.nearest_distance;
    return;
  }
  for (std::int32_t t = 0; t < kTemplateCount; ++t) {
    const std::int32_t distance = accepted_distances[static_cast<std::size_t>(t)];
    if (distance == kNoDistance || templates[static_cast<std::size_t>(t)].character != shown_digit) continue;
    if (record.shown_template != kNoTemplate && distance >= record.shown_distance) continue;
    record.shown_template = t;
    record.shown_distance = distance;
  }
}

}  // namespace

bool is_comparable(const ShapeRecord& record) {
  if (record.point_count < 0 || record.point_count > kMaxContourPoints) return false;
  if (record.start_direction < 0 || record.start_direction > 7) return false;
  for (int i = 0; i < record.point_count; ++i) {
    const std::int32_t angle = record.smoothed_angles[i];
    if (angle < -kMaxSignatureMagnitude || angle > kMaxSignatureMagnitude) return false;
  }
  return true;
}

// The matcher's inner loop: every sampled candidate point against every shift of every template,
// about 300 x 10 x n_T x n_S / b differences per run, which is most of a crowded picture's run time.
//
// Plan. The written order (for each shift i, for each sampled point k) reads template entry
// j = i + (k n_T) / n_S, which costs a division per difference and jumps through the template. But
// (k n_T) / n_S does not depend on the shift, so the loops are turned around: for each sampled
// point k the stretch index is computed once, and a contiguous pass over all shifts adds point k's
// difference to each shift's running sum, kept in a stack buffer of one sum per shift (4 KB). The
// template is first laid out twice in a buffer, the second time one lap higher, so that the pass
// reads it contiguously across the template's end in one branch-free loop; the loop runs over
// whole vectors of shifts, the spare lanes reading zeros, so it has no remainder to finish either.
// A digit's differences are small (a few hundred degrees), so where every difference of a
// comparison is below 8192 the differences of eight sampled points at a time are summed in 16-bit
// lanes, sixteen shifts to an AVX2 vector, held in a register across the eight points and then
// added to the 32-bit sums; other comparisons take 32-bit lanes. The distance of a shift is its sum divided
// by q, and floor(sum / q) grows with the sum, so one pass finds the smallest sum, one division gives the
// best distance, and the earliest shift whose sum still divides to it is the one the written order
// keeps on ties.
//
// Each shift's sum adds the same integers in the same order of k as the written loops, and no sum
// can overflow (is_comparable), so every distance, every truncation and every tie is unchanged.
//
// Rejected alternatives, timed on bench/run_bench's crowded picture (300 candidates of 90 to 188
// points against the shipped templates; matching alone, median of three): the written loops took
// 27.5 ms; the same loops with the stretch indexes precomputed once per candidate and template, so
// that no division is left inside, 18.6 ms, since they still gather one template entry per
// difference and do not vectorise; the turned loops 3.3 ms. Dividing every shift's sum by q instead
// of finding the smallest sum first took 3.9 ms. Splitting each pass where i + stretch reaches the
// template's end, into two loops with remainders, instead of the doubled template, took 24% more
// instructions and 3.1 ms instead of 2.4 ms (AVX2). Neither finishing the likely nearest templates
// first, by the lower bound an eighth of the points gives, nor ending a comparison early once no
// shift at a rotation the template accepts can come below the bound, paid for its bookkeeping.
// The 16-bit lanes took the crowded picture's matching from 16.6 M instructions to 11 M; left to
// the compiler's own vectorising, the same 16-bit loops came out as anything from 12 M to 100 M
// instructions by how they were written, hence the explicit vector types.
//
// Notes:
//  1. j = i + (k n_T) / n_S stays below 2 n_T, since k < n_S; an index past the template's end is
//     read one lap back, so no entry beyond point_count - 1 is ever read. A spare lane reads a zero
//     where its shift is past n_T, and its difference is within the bound of note 4.
//  2. The divisor q = n_S / b counts the summed points one short when b does not divide n_S; the
//     distance is then a little above the mean, and the acceptance limit applies to it as it is.
//  3. The rotation is a remainder of truncating division: a best offset larger than the first term
//     gives a negative rotation, which the upright window accepts.
//  4. A distance is at most twice the largest difference, 2 (4 kMaxSignatureMagnitude + 360), far
//     below kNoMatchDistance, so a comparison bounded by kNoMatchDistance always gives a distance.
//  5. The decision needs a template's distance only when it is below the runner-up's so far, so
//     it passes that as a bound, and a comparison stops once its smallest partial sum reaches it.
namespace {

// Sampled points between two looks at whether every shift's sum has already reached the bound.
constexpr int kBoundCheckSpacing = 8;

// Shifts taken together: sixteen 16-bit lanes, one AVX2 vector.
constexpr int kShiftBlock = 16;

// The template laid out for the comparison in lanes of type Lane: `from` holds t and then zeros,
// `to` holds t, t one lap higher, and zeros, so that the template point of every shift and stretch
// is one read, and whole blocks of shifts can be taken.
template <typename Lane>
struct TemplateLayout {
  alignas(32) std::array<Lane, kMaxContourPoints + kShiftBlock> from;
  alignas(32) std::array<Lane, 2 * kMaxContourPoints + kShiftBlock> to;

  void lay_out(const std::int32_t* t, int n_t, int shifts) {
    for (int j = 0; j < n_t; ++j) {
      from[std::size_t(j)] = Lane(t[j]);
      to[std::size_t(j)] = Lane(t[j]);
      to[std::size_t(n_t + j)] = Lane(t[j] + kOneLap);
    }
    std::fill(from.data() + n_t, from.data() + shifts, Lane{0});
    std::fill_n(to.data() + 2 * n_t, kShiftBlock, Lane{0});
  }
};

// Up to eight sampled points, as the inner loops take them: each one's stretch (k n_T / n_S) and
// rise (s[k] - s[0]).
struct SampledPoints {
  const int* stretches;
  const std::int32_t* rises;
  int count;
};

// Adds the points' differences to every shift's sum: |from[i] + rise - to[stretch + i]|.
void add_points(std::int32_t* sums, const TemplateLayout<std::int32_t>& layout, const SampledPoints& points,
                int shifts) {
  for (int point = 0; point < points.count; ++point) {
    const std::int32_t rise = points.rises[point];
    const std::int32_t* to = layout.to.data() + points.stretches[point];
    for (int i = 0; i < shifts; ++i) sums[i] += std::abs(layout.from[std::size_t(i)] + rise - to[i]);
  }
}

#if defined(__GNUC__)
// The same in sixteen 16-bit lanes, for differences that fit them: the up to eight points'
// differences of a block of shifts are summed in one vector (8 x 8191 fits 16 bits unsigned), which
// is then widened and added to the sums: per point and block, one load of the template, a
// subtraction, an absolute value and an addition. GCC and Clang vector types, as the compilers do
// not find this arrangement by themselves.
using Narrow = std::int16_t __attribute__((vector_size(32)));
using NarrowSum = std::uint16_t __attribute__((vector_size(32)));
using WideSum = std::int32_t __attribute__((vector_size(64)));

// By reference, as a vector return value would depend on the clone's instruction set.
template <typename Vector, typename Lane>
[[gnu::always_inline]] inline void load(Vector& vector, const Lane* lanes) {
  std::memcpy(&vector, lanes, sizeof vector);
}

template <int kCount>
[[gnu::always_inline]] inline void add_narrow_points(std::int32_t* sums,
                                                     const TemplateLayout<std::int16_t>& layout,
                                                     const SampledPoints& points, int count, int shifts) {
  std::array<Narrow, kBoundCheckSpacing> rises{};  // each point's rise in every lane
  for (int point = 0; point < count; ++point) rises[std::size_t(point)] += std::int16_t(points.rises[point]);
  for (int i = 0; i < shifts; i += kShiftBlock) {
    Narrow from, to;
    load(from, layout.from.data() + i);
    NarrowSum partial{};
    for (int point = 0; point < (kCount > 0 ? kCount : count); ++point) {
      load(to, layout.to.data() + points.stretches[point] + i);
      const Narrow difference = from + rises[std::size_t(point)] - to;
      partial += NarrowSum(difference < 0 ? -difference : difference);
    }
    WideSum sum;
    load(sum, sums + i);
    sum += __builtin_convertvector(partial, WideSum);
    std::memcpy(sums + i, &sum, sizeof sum);
  }
}
#endif

// The comparison for records with points; nullopt once the distance is known to be at least
// `bound`. A shift's sum only grows as points are added, so when the smallest partial sum has
// reached bound x q, every shift's distance will be at least the bound: the rest of the points
// cannot change the verdict, and are not added.
PLATE_AVX2_CLONE std::optional<SignatureMatch> compare_signatures(const ShapeRecord& template_record,
                                                                  const ShapeRecord& candidate,
                                                                  std::int32_t bound) {
  const int n_t = template_record.point_count;
  const int n_s = candidate.point_count;
  const std::int32_t* t = template_record.smoothed_angles;
  const std::int32_t* s = candidate.smoothed_angles;
  const int step = signature_step(n_s);
  const std::int32_t divisor = n_s / step;
  const std::int64_t bound_sum = std::int64_t{bound} * divisor;

  // The shifts are taken in whole blocks: n_t rounded up to a multiple of kShiftBlock, the shifts
  // past n_t reading zeros. Their sums start so high that they are never the smallest, so that the
  // smallest is taken over whole vectors too: no sum can exceed 2^30 + 1024 x 2^19.
  const int shifts = (n_t + kShiftBlock - 1) / kShiftBlock * kShiftBlock;
  alignas(32) std::array<std::int32_t, kMaxContourPoints + kShiftBlock> sums;  // one per shift
  std::fill_n(sums.data(), n_t, 0);
  std::fill(sums.data() + n_t, sums.data() + shifts, std::int32_t{1} << 30);
  auto smallest_sum = [&] {
    std::int32_t smallest = std::numeric_limits<std::int32_t>::max();
    for (int i = 0; i < shifts; ++i) smallest = std::min(smallest, sums[i]);
    return smallest;
  };

  // Every sampled point's stretch and rise. The stretch k n_T / n_S grows by a fixed quotient and
  // remainder from one sampled point to the next, so it needs no division.
  std::array<int, kMaxContourPoints> stretches;
  std::array<std::int32_t, kMaxContourPoints> rises;
  int sampled = 0;
  std::int32_t lowest_rise = 0, highest_rise = 0;
  const int stretch_step = (step * n_t) / n_s, remainder_step = (step * n_t) % n_s;
  for (int k = 0, stretch = 0, remainder = 0; k < n_s; k += step, ++sampled) {
    stretches[std::size_t(sampled)] = stretch;
    rises[std::size_t(sampled)] = s[k] - s[0];
    lowest_rise = std::min(lowest_rise, s[k] - s[0]);
    highest_rise = std::max(highest_rise, s[k] - s[0]);
    stretch += stretch_step, remainder += remainder_step;
    if (remainder >= n_s) ++stretch, remainder -= n_s;
  }

#if defined(__GNUC__)
  // Every difference t[i] + rise - to[j] lies between the lowest entry plus the lowest rise less
  // the highest entry of `to`, and the highest entry plus the highest rise less the lowest, zeros
  // (of the spare lanes) included.
  std::int32_t lowest_entry = 0, highest_entry = 0;  // in a loop that the compiler vectorises
  for (int j = 0; j < n_t; ++j) {
    lowest_entry = std::min(lowest_entry, t[j]);
    highest_entry = std::max(highest_entry, t[j]);
  }
  const std::int64_t lowest = lowest_entry, highest = std::int64_t{highest_entry} + kOneLap;
  const std::int64_t widest_difference =
      std::max(highest + highest_rise - lowest, highest - lowest - lowest_rise);
  const bool narrow = widest_difference * kBoundCheckSpacing <= std::numeric_limits<std::uint16_t>::max();
#else
  constexpr bool narrow = false;
#endif

  TemplateLayout<std::int16_t> narrow_layout;
  TemplateLayout<std::int32_t> wide_layout;
  if (narrow) {
    narrow_layout.lay_out(t, n_t, shifts);
  } else {
    wide_layout.lay_out(t, n_t, shifts);
  }
  for (int first = 0; first < sampled; first += kBoundCheckSpacing) {
    const SampledPoints points{stretches.data() + first, rises.data() + first,
                               std::min(kBoundCheckSpacing, sampled - first)};
#if defined(__GNUC__)
    if (narrow && points.count == kBoundCheckSpacing) {
      add_narrow_points<kBoundCheckSpacing>(sums.data(), narrow_layout, points, points.count, shifts);
    } else if (narrow) {
      add_narrow_points<0>(sums.data(), narrow_layout, points, points.count, shifts);
    } else
#endif
    {
      add_points(sums.data(), wide_layout, points, shifts);
    }
    if (points.count == kBoundCheckSpacing && smallest_sum() >= bound_sum) return std::nullopt;
  }

  const std::int32_t best_distance = smallest_sum() / divisor;
  if (best_distance >= bound) return std::nullopt;
  const std::int64_t next_distance_from = std::int64_t{best_distance + 1} * divisor;
  const std::int32_t* best = std::find_if(sums.data(), sums.data() + n_t,
                                          [&](std::int32_t sum) { return sum < next_distance_from; });
  const auto best_shift = static_cast<int>(best - sums.data());
  const std::int32_t best_offset = t[best_shift] - s[0];
  const std::int32_t turn = (candidate.start_direction - template_record.start_direction + 16) * 45;
  return SignatureMatch{best_distance, (turn - best_offset) % kOneLap};
}

}  // namespace

SignatureMatch signature_distance(const ShapeRecord& template_record, const ShapeRecord& candidate) {
  if (candidate.point_count < 1 || template_record.point_count < 1) return {kNoMatchDistance, 0};
  return *compare_signatures(template_record, candidate, kNoMatchDistance);  // note 4: always below
}

std::optional<SignatureMatch> signature_distance_below(const ShapeRecord& template_record,
                                                       const ShapeRecord& candidate, std::int32_t bound) {
  if (candidate.point_count < 1 || template_record.point_count < 1) {
    if (kNoMatchDistance < bound) return SignatureMatch{kNoMatchDistance, 0};
    return std::nullopt;
  }
  return compare_signatures(template_record, candidate, bound);
}

// The crossing is judged by brightness, (B + G + R) / 3, the measure the middle level is taken in:
// by its green byte alone, dark-green ink (green 90 to 140, brightness 55 to 100) is never below the
// level, and an '8' on a private plate became '0'.
//
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
    if (pixel_brightness(picture, x_middle, y) < levels.middle) {
      candidate.character = '8';
      return;
    }
  }
  candidate.character = '0';
}

MatchRecord match_shape(const TemplateTable& templates, const ShapeRecord& shape) {
  std::array<std::int32_t, kTemplateCount> accepted_distances;
  MatchRecord record = match_candidate(templates, shape, accepted_distances);
  record_shown_digit(record, record.matched_digit, templates, accepted_distances);
  return record;
}

void decide_characters(Workspace& workspace) {
  CandidateTable& candidates = workspace.candidates;
  MatchTable& matches = workspace.result.matches;
  std::fill(matches.begin(), matches.end(), MatchRecord{});
  std::array<std::int32_t, kTemplateCount> accepted_distances;
  for (int c = 0; c < candidates.count; ++c) {
    ShapeRecord& candidate = candidates.records[c];
    MatchRecord& record = matches[static_cast<std::size_t>(c)];
    record = match_candidate(workspace.templates, candidate, accepted_distances);
    if (record.matched_digit == 0) continue;
    candidate.character = record.matched_digit;
    check_zero_eight(workspace.contrast, workspace.picture(), candidate);
    record_shown_digit(record, candidate.character, workspace.templates, accepted_distances);
  }
}

}  // namespace plate
