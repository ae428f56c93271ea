#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "engine/candidate_review.h"
#include "engine/proportion.h"
#include "engine/recognition_engine.h"
#include "image/bitmap_reader.h"

namespace plate {
namespace {

// The review compares every template again with the matcher's own functions; the match records
// the run kept must agree with it, candidate by candidate, on every sample: the nearest and the
// runner-up accepted template, and after a 0/8 swap the template of the digit shown.
TEST(CandidateReviewTest, AgreesWithTheRunAndItsMatchRecordsOnEverySample) {
  RecognitionEngine engine;
  ASSERT_TRUE(engine.load_templates(PLATE_SOURCE_DIR "/data/EBMPlog00.pat").loaded());
  auto picture = std::make_unique<Plane>();
  int reviewed = 0;
  for (const auto& entry : std::filesystem::directory_iterator(PLATE_SOURCE_DIR "/data/samples")) {
    if (entry.path().extension() != ".bmp") continue;
    ASSERT_EQ(read_bitmap(entry.path(), *picture), ReadOutcome::read);
    const RunResult& result = engine.run(*picture);
    for (const CandidateReview& r : review_candidates(engine)) {
      SCOPED_TRACE(entry.path().filename().string() + " candidate " + std::to_string(r.index));
      ++reviewed;
      // Only outlines of a digit's or a one's proportion are stored as candidates.
      EXPECT_TRUE(in_digit_window(r.proportion) || in_one_window(r.proportion)) << r.proportion;
      EXPECT_EQ(r.verdict == CandidateVerdict::read, r.character != 0);
      EXPECT_EQ(r.chosen_template.has_value(), r.character != 0);
      if (r.chosen_template) {  // the template's digit, or 0 and 8 swapped by the 0/8 check
        EXPECT_EQ(r.chosen_template, r.nearest_acceptable);
        const int matched = r.templates[std::size_t(*r.chosen_template)].digit;
        EXPECT_TRUE(
            (matched == r.character || std::set<int>{matched, r.character} == std::set<int>{'0', '8'}));
      }
      if (r.verdict == CandidateVerdict::distance_too_large) {
        EXPECT_GE(r.templates[std::size_t(*r.nearest_acceptable)].match.distance, 30);
      }

      const MatchRecord& m = result.matches[std::size_t(r.index)];
      EXPECT_EQ(m.shown_digit, r.character);
      std::vector<std::pair<int, int>> accepted;  // (distance, template), nearest first, earlier on ties
      for (int t = 0; t < kTemplateCount; ++t)
        if (r.templates[std::size_t(t)].refusal() == TemplateRefusal::none)
          accepted.emplace_back(r.templates[std::size_t(t)].match.distance, t);
      std::stable_sort(accepted.begin(), accepted.end(),
                       [](const auto& a, const auto& b) { return a.first < b.first; });
      EXPECT_EQ(m.nearest_template, accepted.empty() ? kNoTemplate : accepted[0].second);
      EXPECT_EQ(m.runner_up_template, accepted.size() < 2 ? kNoTemplate : accepted[1].second);
      if (accepted.size() >= 2) {
        EXPECT_EQ(m.runner_up_distance, accepted[1].first);
      }
      if (m.read() && m.shown_template != kNoTemplate) {
        EXPECT_EQ(engine.templates()[std::size_t(m.shown_template)].character, m.shown_digit);
        EXPECT_EQ(m.shown_distance, r.templates[std::size_t(m.shown_template)].match.distance);
      }
    }
  }
  EXPECT_GT(reviewed, 0);
}

}  // namespace
}  // namespace plate
