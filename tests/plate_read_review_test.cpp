#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "candidate_review.h"
#include "engine/recognition.h"
#include "image/bitmap_reader.h"

namespace plate::cli {
namespace {

namespace fs = std::filesystem;

struct Quiet final : MessageService {
  void show_message(std::string_view) override {}
};

// The review must tell the story of the run it explains, candidate by candidate, on every sample.
TEST(CandidateReviewTest, AgreesWithTheRunOnEverySample) {
  const fs::path samples = fs::path(PLATE_SOURCE_DIR) / "data" / "samples";
  const fs::path patterns = fs::path(PLATE_SOURCE_DIR) / "data" / kPatternFileName;
  if (!fs::exists(samples) || !fs::exists(patterns)) GTEST_SKIP() << "no shipped samples or pattern file yet";
  auto workspace = std::make_unique<Workspace>();
  Quiet quiet;
  ASSERT_TRUE(load_templates(workspace->templates, quiet, patterns));
  int reviewed = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(samples)) {
    if (entry.path().extension() != ".bmp") continue;
    ASSERT_EQ(read_bitmap(entry.path(), workspace->display, quiet), ReadOutcome::read);
    run_recognition(*workspace);
    for (const CandidateReview& r : review_candidates(*workspace)) {
      SCOPED_TRACE(entry.path().filename().string() + " candidate " + std::to_string(r.index));
      ++reviewed;
      EXPECT_EQ(r.verdict == CandidateVerdict::read, r.character != 0);
      EXPECT_EQ(r.chosen_template.has_value(), r.character != 0);
      if (r.chosen_template) {
        EXPECT_EQ(r.chosen_template, r.nearest_acceptable);
        const std::uint8_t matched = r.templates[static_cast<std::size_t>(*r.chosen_template)].digit;
        const bool zero_eight_swap =
            (matched == '0' || matched == '8') && (r.character == '0' || r.character == '8');
        EXPECT_TRUE(matched == r.character || zero_eight_swap);
      }
      if (r.verdict == CandidateVerdict::distance_too_large) {
        EXPECT_GE(r.templates[static_cast<std::size_t>(*r.nearest_acceptable)].match.distance, 30);
      }
    }
  }
  EXPECT_GT(reviewed, 0);
}

}  // namespace
}  // namespace plate::cli
