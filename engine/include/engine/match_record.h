#pragma once
// What matching decided for one candidate, written by matching itself as it decides, so that a
// report never has to compare again and can never disagree with the run.

#include <array>
#include <cstdint>

#include "shape_record.h"
#include "template_file.h"

namespace plate {

inline constexpr std::int32_t kNoTemplate = -1;
inline constexpr std::int32_t kNoDistance = -1;

// Only templates that both windows (rotation and proportion) accept take part; of equal distances
// the earlier template comes first, as in the decision.
struct MatchRecord {
  std::int32_t nearest_template;    // the nearest accepted template, or kNoTemplate
  std::int32_t nearest_distance;    // its distance, or kNoDistance
  std::int32_t runner_up_template;  // the second-nearest accepted template, or kNoTemplate
  std::int32_t runner_up_distance;  // its distance, or kNoDistance
  // The template whose digit the candidate shows, and its distance. It is the nearest template
  // unless the 0/8 check turned the digit into the other one; then it is the nearest accepted
  // template of the shown digit, or kNoTemplate (and kNoDistance) when no such template was
  // accepted: the distance is then not known, rather than borrowed from the other digit.
  std::int32_t shown_template;
  std::int32_t shown_distance;
  std::uint8_t matched_digit;  // the nearest template's digit when it was accepted (below 30), else 0
  std::uint8_t shown_digit;    // the candidate's final character: matched_digit after the 0/8 check
  std::uint8_t filler[2];

  bool read() const { return shown_digit != 0; }
  bool changed_by_zero_eight_check() const { return shown_digit != matched_digit; }
};

inline constexpr int kMaxMatchRecords = 300;  // one per candidate table entry

// Indexed like the candidate table (CharacterEntry::candidate_index).
using MatchTable = std::array<MatchRecord, kMaxMatchRecords>;

// What matching makes of one traced shape against `templates`, by the run's own rules, before the
// 0/8 check (which needs the picture): shown_digit is matched_digit. For tools that score templates
// on shapes traced elsewhere.
MatchRecord match_shape(const TemplateTable& templates, const ShapeRecord& shape);

}  // namespace plate
