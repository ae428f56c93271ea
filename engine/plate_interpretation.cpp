// Plate interpretation: reads each group of the sorted character list as the serial number of a
// Japanese number plate and keeps it only if the picture shows the marks its digit count demands.
//
// A serial number always fills four positions. Missing leading digits are printed on the plate as
// middle dots, and a four-digit number carries a hyphen between its second and third digit. So a
// group of one or two digits must have dots to its left (at least two, or exactly two), a group of
// three exactly one dot, and a group of four a hyphen: a row of recognised digits without them is
// more likely a shop sign or a clock than a plate. One- and two-digit groups must also have little
// dark area left of the digits, which a plate's blank background gives and a dense text does not.
//
// Plan, per group: write the text and the frame, refuse a frame that leaves the picture, measure
// the dark, middle and light levels around the digits, then scan the columns of a window for blobs
// and trace each one at the middle level, judging dots by their size against the digit height.
// Two column scans exist. The level scan wants a pixel brighter than the light level below one
// darker than the dark level, which ignores grey smudges; the edge scan takes any step across the
// middle level, which finds the small, often grey, dot of a three-digit plate and the thin hyphen.
// The tracer marks every outer contour it completes, so a dot that several columns cross, or that
// an earlier group already traced, is counted once in the whole run.
//
// Reads stay inside the plane for every group geometry. The tracer refuses starts outside columns
// 1..1022 and rows 1..766, so a scan column outside 1..1022 yields nothing and is not read at all:
// a two-digit window reaches far left of its frame when the digits stand wide apart. A scan's
// rows, the contrast rectangle and the black area are cut to the plane before the first read. For
// boxes that a trace can produce (columns 1..1022, rows 1..766) the cuts change nothing; they keep
// any list handed to this step, however odd its boxes, from reading past the plane. Rejected
// alternative: testing every pixel read would give the same results with a branch in every step,
// and would leave a row loop as long as whatever geometry it was handed.

#include "plate_interpretation.h"

#include <algorithm>
#include <optional>
#include <span>
#include <string_view>

#include "contour_tracer.h"
#include "engine/group_runs.h"
#include "workspace.h"

namespace plate {

namespace {

using Digits = std::span<const CharacterEntry>;

constexpr char kMiddleDot = '\xA5';  // the half-width katakana middle dot of Shift-JIS
constexpr char kHyphen = '\x2D';
constexpr int kPlatePositions = 4;
constexpr int kMaxPlateDigits = 4;

// The outcome of one group. A withdrawn group with an empty line leaves no trace in the log.
struct Verdict {
  bool passed;
  std::string_view line;
};
constexpr Verdict kPassed{true, {}};
constexpr Verdict kWithdrawnWithoutLine{false, {}};
constexpr Verdict fail_with(std::string_view line) {
  return {false, line};
}

// Half-open range of rows or columns.
struct Interval {
  std::int32_t first;
  std::int32_t end;
};

// [first, end) cut to [0, limit); a range given the wrong way round stays empty.
Interval clip(std::int32_t first, std::int32_t end, std::int32_t limit) {
  return {std::clamp(first, 0, limit), std::clamp(end, 0, limit)};
}

// The tracer refuses starts in the outermost columns, so only these columns can yield a blob.
bool column_in_reach(std::int32_t x) {
  return x >= 1 && x <= kFrameWidth - 2;
}

std::int32_t green(const Plane& picture, std::int32_t x, std::int32_t y) {
  return picture.green_unchecked(x, y);
}

void write_text(GroupEntry& entry, Digits digits, const CandidateTable& candidates) {
  const int n = static_cast<int>(digits.size());
  int at = 0;
  for (int missing = n; missing < kPlatePositions; ++missing) entry.text[at++] = kMiddleDot;
  for (int i = 0; i < n; ++i) {
    if (n == 4 && i == 2) entry.text[at++] = kHyphen;
    entry.text[at++] = static_cast<char>(candidates.records[digits[i].candidate_index].character);
  }
  entry.text[at] = '\0';
}

// Margins come from the first digit's height, whichever digit sets the extreme. The left margin
// leaves room for the dots of the missing positions.
void write_frame(GroupEntry& entry, Digits digits) {
  static constexpr std::int32_t kLeftMarginQuarters[kMaxPlateDigits + 1] = {0, 15, 12, 7, 5};
  const CharacterEntry& first = digits.front();
  const std::int32_t h = first.height;
  std::int32_t lowest = first.y_min, highest = first.y_max;
  for (const CharacterEntry& digit : digits) {
    lowest = std::min(lowest, digit.y_min);
    highest = std::max(highest, digit.y_max);
  }
  entry.x_min = first.x_centre - (kLeftMarginQuarters[digits.size()] * h) / 4;
  entry.x_max = digits.back().x_centre + h / 2;
  entry.y_min = lowest - h / 7;
  entry.y_max = highest + (6 * h) / 7;
}

// A frame that reaches column 0 or row 0 leaves the picture, as does one past the last column or row.
bool frame_inside_picture(const GroupEntry& frame) {
  return frame.x_min > 0 && frame.x_max < kFrameWidth && frame.y_min > 0 && frame.y_max < kFrameHeight;
}

// measure_contrast over the part of the rectangle that lies in the plane (bounds in either order,
// higher bounds excluded).
int measure_contrast_in_plane(Workspace& workspace, std::int32_t x_a, std::int32_t x_b, std::int32_t y_a,
                              std::int32_t y_b, ContrastLevels& levels) {
  const Interval columns = clip(std::min(x_a, x_b), std::max(x_a, x_b), kFrameWidth);
  const Interval rows = clip(std::min(y_a, y_b), std::max(y_a, y_b), kFrameHeight);
  return measure_contrast(workspace.contrast, workspace.picture(), columns.first, columns.end, rows.first,
                          rows.end, levels);
}

std::optional<ContourTrace> trace_blob(Workspace& workspace, std::int32_t x, std::int32_t y,
                                       std::int32_t middle) {
  const ContourTrace trace =
      trace_contour(workspace.picture(), workspace.trace_marks, workspace.current_shape, x, y, middle);
  if (trace.length == 0) return std::nullopt;
  return trace;
}

// Looks up column x over rows lo..hi for a pixel brighter than the light level with one darker
// than the dark level above it, and traces the blob from the bottom of the run of pixels at or
// below the middle level that holds the dark one. The column is finished after one trace.
// Reads rows lo..hi - 1 only.
std::optional<ContourTrace> level_scan(Workspace& workspace, std::int32_t x, std::int32_t lo, std::int32_t hi,
                                       const ContrastLevels& levels) {
  if (!column_in_reach(x)) return std::nullopt;
  const Plane& picture = workspace.picture();
  const Interval rows = clip(lo, hi, kFrameHeight);
  std::int32_t bright = rows.first;
  while (bright < rows.end - 1 && green(picture, x, bright) <= levels.light) ++bright;
  if (bright >= rows.end - 1) return std::nullopt;
  std::int32_t dark = bright + 1;
  while (dark < rows.end && green(picture, x, dark) >= levels.dark) ++dark;
  if (dark >= rows.end) return std::nullopt;
  // The bright row is above the middle level, so the walk down ends at it at the latest.
  std::int32_t start = dark;
  while (start - 1 > bright && green(picture, x, start - 1) <= levels.middle) --start;
  return trace_blob(workspace, x, start, levels.middle);
}

// Looks up column x over rows lo..hi for a step from above the middle level to at or below it, and
// traces from the dark pixel of each step in turn until a trace succeeds. Reads rows lo..hi + 1.
std::optional<ContourTrace> edge_scan(Workspace& workspace, std::int32_t x, std::int32_t lo, std::int32_t hi,
                                      std::int32_t middle) {
  if (!column_in_reach(x)) return std::nullopt;
  const Plane& picture = workspace.picture();
  const Interval rows = clip(lo, hi + 1, kFrameHeight - 1);  // row y + 1 must lie in the plane too
  for (std::int32_t y = rows.first; y < rows.end; ++y) {
    if (green(picture, x, y) > middle && green(picture, x, y + 1) <= middle) {
      if (auto blob = trace_blob(workspace, x, y + 1, middle)) return blob;
    }
  }
  return std::nullopt;
}

bool smaller_than(const ContourTrace& blob, std::int32_t limit) {
  return blob.height < limit && blob.width < limit;
}

enum class BigBlob { fails_group, passed_over };

// Scans columns first..last (both included) from left to right and counts the blobs smaller than
// `size_limit` in both directions. Returns nothing as soon as a larger blob fails the group; the
// columns after it are then not scanned, and their dots stay untraced for later groups.
template <typename ColumnScan>
std::optional<int> count_dots(std::int32_t first, std::int32_t last, std::int32_t size_limit,
                              BigBlob big_blob, ColumnScan scan_column) {
  int dots = 0;
  for (std::int32_t x = first; x <= last; ++x) {
    const std::optional<ContourTrace> blob = scan_column(x);
    if (!blob) continue;
    if (smaller_than(*blob, size_limit)) {
      ++dots;
    } else if (big_blob == BigBlob::fails_group) {
      return std::nullopt;
    }
  }
  return dots;
}

// Left of the first digit, over its rows: pixels above the middle level are light, all others dark.
// Fails when the dark ones are more than one eighteenth of the light ones; an empty area passes.
bool black_area_passes(const Plane& picture, std::int32_t frame_x_min, const CharacterEntry& first,
                       std::int32_t middle) {
  const Interval columns = clip(frame_x_min, first.x_min, kFrameWidth);
  const Interval rows = clip(first.y_min, first.y_max + 1, kFrameHeight);
  std::int32_t light = 0, dark = 0;
  for (std::int32_t y = rows.first; y < rows.end; ++y) {
    for (std::int32_t x = columns.first; x < columns.end; ++x) {
      if (green(picture, x, y) > middle) {
        ++light;
      } else {
        ++dark;
      }
    }
  }
  return dark <= light / 18;
}

Verdict check_one_digit(Workspace& workspace, const GroupEntry& frame, Digits digits) {
  const CharacterEntry& d1 = digits[0];
  const std::int32_t h = d1.height;
  ContrastLevels levels{};
  if (measure_contrast_in_plane(workspace, frame.x_min, frame.x_max, d1.y_min, d1.y_max, levels) !=
      kTwoHillsFound)
    return fail_with("1groutp, cannot recognize contrast\r\n");
  const std::int32_t xs = d1.x_centre - (9 * h) / 4;
  const std::optional<int> dots =
      count_dots(xs, xs + (3 * h) / 2, h / 4, BigBlob::fails_group,
                 [&](std::int32_t x) { return level_scan(workspace, x, d1.y_min, d1.y_max, levels); });
  if (!dots) return fail_with("1groutp, too big dot\r\n");
  if (*dots < 2) return fail_with("1groutp, too few dots\r\n");
  if (!black_area_passes(workspace.picture(), frame.x_min, d1, levels.middle))
    return fail_with("1groutp, too large black area\r\n");
  return kPassed;
}

Verdict check_two_digits(Workspace& workspace, const GroupEntry& frame, Digits digits) {
  const CharacterEntry& d1 = digits[0];
  const CharacterEntry& d2 = digits[1];
  const std::int32_t h = d1.height;
  ContrastLevels levels{};
  // Unlike every other count, a two-digit plate whose contrast cannot be measured is read as it is.
  if (measure_contrast_in_plane(workspace, d1.x_min, d2.x_max, d1.y_min, d1.y_max, levels) != kTwoHillsFound)
    return kPassed;
  // The window steps back two and a half digit pitches; the difference is negative when d2 lies
  // to the right, and its halving truncates toward zero.
  const std::int32_t xs = d1.x_centre + (5 * (d1.x_centre - d2.x_centre)) / 2 - h / 4;
  const std::optional<int> dots =
      count_dots(xs, xs + (3 * h) / 2, h / 4, BigBlob::passed_over,
                 [&](std::int32_t x) { return level_scan(workspace, x, d1.y_min, d1.y_max, levels); });
  if (*dots != 2) return fail_with("2groutp, not two dots\r\n");
  if (!black_area_passes(workspace.picture(), frame.x_min, d1, levels.middle))
    return fail_with("2groutp, over 90% black\r\n");
  return kPassed;
}

Verdict check_three_digits(Workspace& workspace, const GroupEntry& frame, Digits digits) {
  const CharacterEntry& d1 = digits[0];
  const CharacterEntry& d2 = digits[1];
  const CharacterEntry& d3 = digits[2];
  const std::int32_t h = d1.height;
  ContrastLevels levels{};
  if (measure_contrast_in_plane(workspace, frame.x_min, frame.x_max, d1.y_min, d1.y_max, levels) !=
      kTwoHillsFound)
    return fail_with("3groutp, cannot recognize contrast\r\n");
  // One digit pitch left of the first digit; dot sizes are judged by the second digit's height.
  const std::int32_t xs = d1.x_centre - (d3.x_centre - d2.x_centre) - h / 4;
  const std::optional<int> dots =
      count_dots(xs, xs + h / 2, d2.height / 4, BigBlob::fails_group,
                 [&](std::int32_t x) { return edge_scan(workspace, x, d1.y_min, d1.y_max, levels.middle); });
  if (!dots) return fail_with("3groutp, too big dot\r\n");
  if (*dots != 1) return fail_with("3groutp, too many dots or no dot\r\n");
  return kPassed;
}

Verdict check_four_digits(Workspace& workspace, const GroupEntry& frame, Digits digits) {
  const CharacterEntry& d1 = digits[0];
  const CharacterEntry& d2 = digits[1];
  const CharacterEntry& d3 = digits[2];
  ContrastLevels levels{};
  // Four-digit groups share the three-digit line; there is none of their own.
  if (measure_contrast_in_plane(workspace, frame.x_min, frame.x_max, d1.y_min, d1.y_max, levels) !=
      kTwoHillsFound)
    return fail_with("3groutp, cannot recognize contrast\r\n");
  const std::int32_t hyphen_x = (d2.x_centre + d3.x_centre) / 2;
  if (!(d2.x_max < hyphen_x && hyphen_x < d3.x_min)) return fail_with("4groutp, no hyphn (0)\r\n");
  // The first blob in the column decides alone, even when a better one lies higher up.
  const std::optional<ContourTrace> hyphen =
      edge_scan(workspace, hyphen_x, d2.y_min, d2.y_max - 1, levels.middle);
  if (!hyphen) return fail_with("4groutp, no hyphn\r\n");
  if (hyphen->height < d2.height / 3 && hyphen->width < d2.height / 2) return kPassed;
  return fail_with("4groutp, too big hyphn\r\n");
}

Verdict interpret_group(Workspace& workspace, GroupEntry& entry, Digits digits) {
  if (digits.size() > kMaxPlateDigits) return kWithdrawnWithoutLine;
  write_text(entry, digits, workspace.candidates);
  write_frame(entry, digits);
  if (!frame_inside_picture(entry)) return kWithdrawnWithoutLine;
  switch (digits.size()) {
    case 1:
      return check_one_digit(workspace, entry, digits);
    case 2:
      return check_two_digits(workspace, entry, digits);
    case 3:
      return check_three_digits(workspace, entry, digits);
    default:
      return check_four_digits(workspace, entry, digits);
  }
}

}  // namespace

void interpret_plates(Workspace& workspace) {
  CharacterList& list = workspace.result.characters;
  for_each_group_run(list, [&](const GroupRun& run) {
    const std::span<CharacterEntry> members(list.entries.data() + run.first_entry,
                                            static_cast<std::size_t>(run.entry_count));
    GroupEntry& entry = workspace.result.groups[static_cast<std::size_t>(run.group_id)];
    entry.digit_count = run.entry_count;
    const Verdict verdict = interpret_group(workspace, entry, members);
    if (!verdict.passed) {
      workspace.result.log.append(verdict.line);
      for (CharacterEntry& member : members) member.group_id = 0;
      entry.digit_count = 0;
    }
  });
}

}  // namespace plate
