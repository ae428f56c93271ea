// The matcher's signature distance against the loops as first written, on random signatures of
// every length that matters and on the candidates and templates of the sample pictures: distance
// and rotation must agree exactly.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "engine/matching.h"
#include "engine/recognition.h"
#include "image/bitmap_reader.h"
#include "random_pictures.h"
#include "test_pictures.h"

namespace plate {
namespace {

// signature_distance in its plain form: for each shift, for each sampled candidate point, the
// stretched template index divided out inside the loop; the earlier shift keeps a tie.
SignatureMatch reference_signature_distance(const ShapeRecord& template_record,
                                            const ShapeRecord& candidate) {
  const int n_t = template_record.point_count;
  const int n_s = candidate.point_count;
  if (n_s < 1 || n_t < 1) return {kNoMatchDistance, 0};
  const std::int32_t* t = template_record.smoothed_angles;
  const std::int32_t* s = candidate.smoothed_angles;
  const int step = n_s < 70 ? 1 : n_s < 100 ? 3 : 6;
  const std::int32_t divisor = n_s / step;
  std::int32_t best_distance = kNoMatchDistance;
  std::int32_t best_offset = 0;
  for (int shift = 0; shift < n_t; ++shift) {
    const std::int32_t offset = t[shift] - s[0];
    std::int32_t sum = 0;
    for (int k = 0; k < n_s; k += step) {
      const int j = shift + (k * n_t) / n_s;
      const std::int32_t template_angle = j < n_t ? t[j] : t[j - n_t] + 360;
      sum += std::abs(offset + s[k] - template_angle);
    }
    const std::int32_t distance = sum / divisor;
    if (distance < best_distance) {
      best_distance = distance;
      best_offset = offset;
    }
  }
  const std::int32_t turn = (candidate.start_direction - template_record.start_direction + 16) * 45;
  return {best_distance, (turn - best_offset) % 360};
}

::testing::AssertionResult matches_reference(const ShapeRecord& template_record,
                                             const ShapeRecord& candidate) {
  const SignatureMatch fast = signature_distance(template_record, candidate);
  const SignatureMatch plain = reference_signature_distance(template_record, candidate);
  if (fast.distance == plain.distance && fast.rotation == plain.rotation)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "template of " << template_record.point_count << " points, candidate of " << candidate.point_count
         << ": distance " << fast.distance << " rotation " << fast.rotation << ", plainly " << plain.distance
         << " rotation " << plain.rotation;
}

TEST(SignatureDistanceReferenceTest, AgreesOnRandomSignaturesOfEveryLength) {
  std::mt19937 random(20261206);
  for (int pair = 0; pair < 3000; ++pair) {
    const ShapeRecord template_record =
        testing::random_signature(random, testing::random_point_count(random));
    const ShapeRecord candidate = testing::random_signature(random, testing::random_point_count(random));
    ASSERT_TRUE(matches_reference(template_record, candidate)) << "pair " << pair;
  }
}

// Every candidate of every sample against every other and against the shipped templates, if any.
TEST(SignatureDistanceReferenceTest, AgreesOnTheSamplePictures) {
  auto workspace = testing::make_workspace();
  std::vector<ShapeRecord> records;
  if (load_template_file(workspace->templates, PLATE_SOURCE_DIR "/data/EBMPlog00.pat").loaded()) {
    records.assign(workspace->templates.begin(), workspace->templates.end());
  }
  for (const auto& entry : std::filesystem::directory_iterator(PLATE_SOURCE_DIR "/data/samples")) {
    if (entry.path().extension() != ".bmp") continue;
    ASSERT_EQ(read_bitmap(entry.path(), workspace->display), ReadOutcome::read) << entry.path();
    run_recognition(*workspace);
    records.insert(records.end(), workspace->candidates.records.begin(),
                   workspace->candidates.records.begin() + workspace->candidates.count);
  }
  ASSERT_GT(records.size(), 20u);
  for (const ShapeRecord& template_record : records) {
    for (const ShapeRecord& candidate : records) ASSERT_TRUE(matches_reference(template_record, candidate));
  }
}

}  // namespace
}  // namespace plate
