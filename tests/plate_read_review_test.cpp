#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>

#include "candidate_review.h"
#include "engine/recognition.h"
#include "image/bitmap_reader.h"
#include "prefixed_messages.h"

namespace plate::cli {
namespace {

// The review must tell the story of the run it explains, candidate by candidate, on every sample.
TEST(CandidateReviewTest, AgreesWithTheRunOnEverySample) {
  auto workspace = std::make_unique<Workspace>();
  PrefixedMessages messages("");
  ASSERT_TRUE(load_templates(workspace->templates, messages, PLATE_SOURCE_DIR "/data/EBMPlog00.pat"));
  int reviewed = 0;
  for (const auto& entry : std::filesystem::directory_iterator(PLATE_SOURCE_DIR "/data/samples")) {
    if (entry.path().extension() != ".bmp") continue;
    ASSERT_EQ(read_bitmap(entry.path(), workspace->display, messages), ReadOutcome::read);
    run_recognition(*workspace);
    for (const CandidateReview& r : review_candidates(*workspace)) {
      SCOPED_TRACE(entry.path().filename().string() + " candidate " + std::to_string(r.index));
      ++reviewed;
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
    }
  }
  EXPECT_GT(reviewed, 0);
}

}  // namespace
}  // namespace plate::cli
