#include "fuzz_targets.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "engine/matching.h"
#include "engine/recognition.h"
#include "engine/template_file.h"
#include "image/bitmap_reader.h"

namespace plate::fuzz {

namespace {

void require(bool holds, const char* rule) {
  if (holds) return;
  std::fprintf(stderr, "fuzz target: broken rule: %s\n", rule);
  std::abort();
}

std::uint8_t byte_at(std::span<const std::byte> input, std::size_t at) {
  return at < input.size() ? static_cast<std::uint8_t>(input[at]) : 0;
}

// The engine's tables are about 10 MB: made once per process, not once per input.
template <typename T>
T& scratch() {
  static const auto instance = std::make_unique<T>();
  return *instance;
}

// Distinct types, so that each target has a workspace of its own.
struct RunWorkspace : Workspace {};
struct MatchWorkspace : Workspace {};  // holds fixed candidates to match fuzzed templates against
struct SavedRun {
  Plane display;
  RunResult result;
};

void set_grey(Plane& plane, int x, int y, std::uint8_t level) {
  std::memset(plane.bytes.data() + Plane::offset_unchecked(x, y), level, kBytesPerPixel);
}

void draw_raw_picture(std::span<const std::byte> input, Plane& picture) {
  picture.fill(byte_at(input, 14));
  const int width = byte_at(input, 11) + 1, left = byte_at(input, 12) * 4, bottom = byte_at(input, 13) * 3;
  for (std::size_t at = 15; at < input.size(); ++at) {
    const int n = static_cast<int>(at - 15);
    const int x = left + n % width, y = bottom + n / width;
    if (y >= kFrameHeight) break;
    if (x < kFrameWidth) set_grey(picture, x, y, byte_at(input, at));
  }
}

// Whatever the picture and the templates: counts and ids within their tables, every plate text a
// terminated string of as many digits as its group's digit count, and a terminated log.
void check_run_result(const Workspace& workspace) {
  const RunResult& result = workspace.result;
  const int candidates = workspace.candidates.count;
  require(candidates >= 0 && candidates <= kMaxCandidates, "candidate count within the table");
  require(result.characters.count >= 0 && result.characters.count <= candidates,
          "one character at most per candidate");
  require(result.next_group_id >= 1 && result.next_group_id <= kMaxGroupId + 1,
          "next group id within 1..301");
  for (int i = 0; i < result.characters.count; ++i) {
    const CharacterEntry& entry = result.characters.entries[std::size_t(i)];
    require(entry.candidate_index >= 0 && entry.candidate_index < candidates,
            "character from a stored candidate");
    require(workspace.candidates.records[std::size_t(entry.candidate_index)].character != 0,
            "character from a recognised candidate");
    require(entry.group_id >= 0 && entry.group_id < result.next_group_id, "group id handed out");
  }
  for (int id = 1; id <= kMaxGroupId; ++id) {
    const GroupEntry& group = result.groups[std::size_t(id)];
    require(id < result.next_group_id || group.digit_count == 0, "no plate under an id never handed out");
    require(group.digit_count >= 0 && group.digit_count <= 4, "one to four digits a plate");
    const char* end = static_cast<const char*>(std::memchr(group.text, 0, kPlateTextBytes));
    require(end != nullptr, "plate text terminated");
    if (group.digit_count == 0) continue;
    const auto digits = std::count_if(group.text, end, [](char c) { return c >= '0' && c <= '9'; });
    require(digits == group.digit_count, "a plate's text holds its digits");
  }
  const std::string_view log = result.log.view();
  require(log.size() < DiagnosticLog::kCapacity && log.find('\0') == std::string_view::npos,
          "log terminated");
}

bool same_result(const RunResult& a, const RunResult& b) {
  return std::memcmp(&a.characters, &b.characters, sizeof a.characters) == 0 &&
         std::memcmp(&a.groups, &b.groups, sizeof a.groups) == 0 && a.next_group_id == b.next_group_id &&
         a.log.view() == b.log.view();
}

// Bars of both proportion windows, a ring and a long outline: candidates of every sampling step.
MatchWorkspace& workspace_with_candidates() {
  MatchWorkspace& workspace = scratch<MatchWorkspace>();
  if (workspace.candidates.count > 0) return workspace;
  workspace.display.fill(230);
  const auto box = [&](int x_min, int x_max, int y_min, int y_max, std::uint8_t level) {
    for (int y = y_min; y <= y_max; ++y)
      for (int x = x_min; x <= x_max; ++x) set_grey(workspace.display, x, y, level);
  };
  box(100, 109, 100, 121, 20);   // 22 x 10: the digit window, 60 points
  box(200, 207, 100, 139, 20);   // 40 x 8: the one window, 92 points
  box(300, 329, 100, 159, 20);   // 60 x 30, 176 points,
  box(310, 319, 115, 144, 230);  // with a hole
  run_recognition(workspace);
  require(workspace.candidates.count >= 3, "the drawn candidates are traced");
  return workspace;
}

}  // namespace

void read_bitmap_target(std::span<const std::byte> input) {
  Plane& plane = scratch<Plane>();
  const ReadOutcome outcome = read_bitmap_bytes(input, plane);
  if (outcome != ReadOutcome::read && outcome != ReadOutcome::truncated_rows) {
    static const auto black = std::make_unique<Plane>();
    require(std::memcmp(&plane, black.get(), sizeof plane) == 0, "a refused file leaves a black frame");
  }
}

void load_templates_target(std::span<const std::byte> input) {
  TemplateTable& templates = scratch<TemplateTable>();
  fill_templates(templates, input);
  const std::size_t n = std::min(input.size(), kPatternFileBytes);
  for (std::size_t k = 0; k < templates.size(); ++k) {
    // The record as the file has it, then emptied if the matcher could not compare it.
    ShapeRecord expected{};
    const std::size_t from = k * kShapeRecordBytes;
    if (from < n) std::memcpy(&expected, input.data() + from, std::min(kShapeRecordBytes, n - from));
    if (!is_comparable(expected)) expected.point_count = 0;
    require(std::memcmp(&expected, &templates[k], kShapeRecordBytes) == 0,
            "a template is the file's record, its point count emptied if unusable");
    // An emptied template may keep a start direction out of range: with no points it is never read.
    require(templates[k].point_count == 0 || is_comparable(templates[k]),
            "every loaded template is empty or comparable");
  }

  MatchWorkspace& workspace = workspace_with_candidates();
  workspace.templates = templates;
  for (int c = 0; c < workspace.candidates.count; ++c) {
    ShapeRecord& candidate = workspace.candidates.records[std::size_t(c)];
    candidate.character = 0;
    for (const ShapeRecord& template_record : templates) {
      const SignatureMatch match = signature_distance(template_record, candidate);
      require(match.distance >= 0 && match.distance <= kNoMatchDistance, "distance within 0..5000000");
      require(match.rotation > -360 && match.rotation < 360, "rotation within -359..359");
    }
  }
  decide_characters(workspace);
}

void recognition_run_target(std::span<const std::byte> input) {
  RunWorkspace& workspace = scratch<RunWorkspace>();
  const std::uint8_t flags = byte_at(input, 0);
  if (flags & 1) {
    read_bitmap_bytes(input.subspan(std::min<std::size_t>(11, input.size())), workspace.display);
  } else {
    draw_raw_picture(input, workspace.display);
  }

  std::memset(&workspace.templates, 0, sizeof workspace.templates);
  run_recognition(workspace);
  const int taken = std::min({(flags >> 1) & 15, kTemplateCount, workspace.candidates.count});
  for (int t = 0; t < taken; ++t) {
    ShapeRecord& template_record = workspace.templates[std::size_t(t)];
    template_record = workspace.candidates.records[std::size_t(t)];
    template_record.character = static_cast<std::uint8_t>('0' + byte_at(input, std::size_t(1 + t)) % 10);
  }

  SavedRun& first = scratch<SavedRun>();
  first.display = workspace.display;
  run_recognition(workspace);
  require(std::memcmp(&first.display, &workspace.display, sizeof first.display) == 0,
          "a run leaves the picture alone");
  check_run_result(workspace);
  first.result = workspace.result;
  run_recognition(workspace);
  require(same_result(first.result, workspace.result), "two runs over one picture agree");
}

}  // namespace plate::fuzz
