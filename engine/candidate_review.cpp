#include "engine/candidate_review.h"

#include <algorithm>

#include "candidate_table.h"
#include "matching.h"
#include "proportion.h"

namespace plate {

namespace {

CandidateVerdict verdict_of(const CandidateReview& review) {
  if (review.chosen_template) return CandidateVerdict::read;
  const auto any = [&review](auto predicate) {
    return std::any_of(review.templates.begin(), review.templates.end(), predicate);
  };
  const auto comparable = [](const TemplateComparison& t) { return t.match.distance != kNoMatchDistance; };
  if (!any(comparable)) return CandidateVerdict::no_usable_template;
  if (!any([&](const TemplateComparison& t) { return comparable(t) && t.proportion_accepted; }))
    return CandidateVerdict::not_a_digit_proportion;
  if (review.nearest_acceptable) return CandidateVerdict::distance_too_large;
  return CandidateVerdict::rotation_outside_windows;
}

}  // namespace

TemplateRefusal TemplateComparison::refusal() const {
  if (match.distance == kNoMatchDistance) return TemplateRefusal::no_match;
  if (!rotation_accepted) return TemplateRefusal::rotation_outside_windows;
  if (!proportion_accepted) return TemplateRefusal::not_its_proportion;
  return TemplateRefusal::none;
}

CandidateReview review_candidate(const RecognitionEngine& engine, int index) {
  const ShapeRecord& candidate = engine.candidate(index);
  const TemplateTable& templates = engine.templates();
  CandidateReview review{};
  review.index = index;
  review.x_min = candidate.x_min;
  review.x_max = candidate.x_max;
  review.y_min = candidate.y_min;
  review.y_max = candidate.y_max;
  review.point_count = candidate.point_count;
  review.proportion = pixel_proportion(candidate.y_max - candidate.y_min, candidate.x_max - candidate.x_min);
  review.character = candidate.character;
  for (std::size_t t = 0; t < templates.size(); ++t) {
    const ShapeRecord& template_record = templates[t];
    const SignatureMatch match = signature_distance(template_record, candidate);
    review.templates[t] = {template_record.character, match,
                           rotation_accepted(match.rotation, template_record.character),
                           proportion_accepted(candidate, template_record.character)};
    const auto nearer_than = [&](const std::optional<int>& so_far) {
      return !so_far || match.distance < review.templates[static_cast<std::size_t>(*so_far)].match.distance;
    };
    if (match.distance != kNoMatchDistance && nearer_than(review.nearest_template))
      review.nearest_template = static_cast<int>(t);
    if (review.templates[t].refusal() == TemplateRefusal::none && nearer_than(review.nearest_acceptable))
      review.nearest_acceptable = static_cast<int>(t);
  }
  // The run's own record of its choice, so that the review explains exactly that run.
  const MatchRecord& recorded = engine.result().matches[static_cast<std::size_t>(index)];
  if (recorded.matched_digit != 0) review.chosen_template = recorded.nearest_template;
  review.verdict = verdict_of(review);
  return review;
}

std::vector<CandidateReview> review_candidates(const RecognitionEngine& engine) {
  std::vector<CandidateReview> reviews;
  const int count = std::clamp(engine.candidate_count(), 0, kMaxCandidates);
  reviews.reserve(static_cast<std::size_t>(count));
  for (int c = 0; c < count; ++c) reviews.push_back(review_candidate(engine, c));
  return reviews;
}

std::string_view describe(TemplateRefusal refusal) {
  switch (refusal) {
    case TemplateRefusal::none:
      return "accepted";
    case TemplateRefusal::no_match:
      return "no match";
    case TemplateRefusal::rotation_outside_windows:
      return "rotation outside the windows";
    case TemplateRefusal::not_its_proportion:
      return "not this digit's proportions";
  }
  return "";
}

std::string_view describe(CandidateVerdict verdict) {
  switch (verdict) {
    case CandidateVerdict::read:
      return "read";
    case CandidateVerdict::no_usable_template:
      return "no usable template";
    case CandidateVerdict::not_a_digit_proportion:
      return "not a digit's proportions";
    case CandidateVerdict::rotation_outside_windows:
      return "rotation outside the windows";
    case CandidateVerdict::distance_too_large:
      return "distance 30 or more";
  }
  return "";
}

}  // namespace plate
