#pragma once
// Why each candidate of a run became the digit it is, or none: every template's distance and
// rotation, which window refused it, and the verdict. For people tuning templates. Everything is
// asked of the matcher's own functions, so the review cannot disagree with the run it explains.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "recognition_engine.h"
#include "signature_match.h"

namespace plate {

enum class TemplateRefusal {
  none,                      // the windows accept it; only its distance decides
  no_match,                  // no comparison possible (an empty template or candidate)
  rotation_outside_windows,  // not near upright (nor near upside down for 0, 1 and 8)
  not_its_proportion,        // the candidate's box does not have this digit's proportions
};

struct TemplateComparison {
  std::uint8_t digit;  // the template's character byte (0 for an empty template)
  SignatureMatch match;
  bool rotation_accepted;
  bool proportion_accepted;

  // The first test the matcher would refuse it by, in the matcher's order.
  TemplateRefusal refusal() const;
};

enum class CandidateVerdict {
  read,                      // a template labelled it
  no_usable_template,        // every comparison gave the no-match distance
  not_a_digit_proportion,    // no template accepts the box's proportions
  rotation_outside_windows,  // templates that accept the proportions are all turned too far
  distance_too_large,        // the nearest acceptable template is 30 or more away
};

struct CandidateReview {
  std::int32_t index;  // in the candidate table, the order in which the seed scan accepted it
  std::int32_t x_min, x_max, y_min, y_max;
  std::int32_t point_count;
  double proportion;  // (height + 1) / (width + 1) of the pixel extents, as the windows take it
  std::array<TemplateComparison, kTemplateCount> templates;
  std::optional<int> nearest_template;    // smallest distance of all, earliest on ties; none if no match
  std::optional<int> nearest_acceptable;  // smallest distance among those the windows accept
  std::optional<int> chosen_template;     // the one the matcher took
  std::uint8_t character;                 // the final character (after the 0/8 check); 0 for none
  CandidateVerdict verdict;
};

// Reviews candidate `index` (0 .. candidate count - 1) of the run that has just ended.
CandidateReview review_candidate(const RecognitionEngine& engine, int index);

std::vector<CandidateReview> review_candidates(const RecognitionEngine& engine);

std::string_view describe(TemplateRefusal refusal);
std::string_view describe(CandidateVerdict verdict);

}  // namespace plate
