#include "tools/real_shapes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tools/json_value.h"

namespace plate {
namespace {

// A two-point candidate in the candidates file's form.
std::string line(char digit, const std::string& source, int height = 30, const char* zero_eight = "null",
                 int x_max = 2, int points = 2) {
  return "{\"digit\":\"" + std::string(1, digit) + "\",\"source\":\"" + source +
         "\",\"height\":" + std::to_string(height) + ",\"point_count\":" + std::to_string(points) +
         ",\"start_direction\":1,\"x_min\":1,\"x_max\":" + std::to_string(x_max) +
         ",\"y_min\":1,\"y_max\":5,\"points\":[[1,1],[2,5]],\"angles\":[0,90],\"smoothed_angles\":[0,-90]"
         ",\"zero_eight\":" +
         zero_eight + "}";
}

std::filesystem::path write_file(const std::string& text) {
  const auto file = std::filesystem::temp_directory_path() / "real_shapes_test.jsonl";
  std::ofstream(file) << text;
  return file;
}

TEST(RealShapesTest, ReadsLinesAsWrittenAndRefusesBrokenOnesByLine) {
  tools::DigitCandidate written;
  written.digit = '8';
  written.source = "8-0003";
  written.height = 45;
  written.zero_eight = '0';
  written.record.point_count = 2;
  written.record.points[1] = {7, 9};
  written.record.smoothed_angles[1] = -90;
  written.record.x_max = 7;
  written.record.y_max = 9;
  const auto file = write_file(tools::candidate_line(written) + "\n\n" + line('3', "3-0000") + "\n");
  const auto read = tools::read_candidate_file(file);
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(tools::candidate_line(read[0]), tools::candidate_line(written));
  EXPECT_EQ(read[1].zero_eight, 0);
  for (const std::string& bad :
       {line('x', "a"), line('3', "a", 30, "\"5\""), line('3', "a", 30, "null", 2, 3),
        line('3', "a", 30, "null", 2, 2000), std::string("{\"digit\":\"3\"}"), line('3', "a") + "x"}) {
    write_file(line('1', "1-0000") + "\n" + bad + "\n");
    try {
      tools::read_candidate_file(file);
      ADD_FAILURE() << bad;
    } catch (const std::runtime_error& error) {
      EXPECT_NE(std::string(error.what()).find(":2:"), std::string::npos) << error.what();
    }
  }
  std::filesystem::remove(file);
}

// 3-0001 left nothing at any height, 3-0002 nothing at 60 px: both are unread samples there. The
// halves alternate over the sorted sources, all heights of a source together.
TEST(RealShapesTest, EveryDigitCountsAtEveryHeightAndHalvesKeepSourcesWhole) {
  const auto file =
      write_file(line('3', "3-0000", 30) + "\n" + line('3', "3-0000", 60) + "\n" + line('3', "3-0002", 30) +
                 "\n" + line('7', "7-0000", 30) + "\n" + line('7', "7-0000", 60) + "\n");
  const auto candidates = tools::read_candidate_file(file);
  const auto samples = tools::digit_samples(candidates);
  ASSERT_EQ(samples.size(), 8u);  // four sources at two heights
  EXPECT_EQ(samples[2].source, "3-0001");
  EXPECT_TRUE(samples[2].candidates.empty());
  EXPECT_TRUE(samples[5].candidates.empty());  // 3-0002 at 60 px
  const auto first = tools::half_of(samples, tools::Half::first);
  ASSERT_EQ(first.size(), 4u);  // 3-0000 and 3-0002
  EXPECT_EQ(first[2]->source, "3-0002");
  EXPECT_EQ(tools::half_of(samples, tools::Half::second).size(), 4u);
  std::filesystem::remove(file);
}

// The largest candidate with a pick decides; a 0/8 pick takes the recorded verdict, and a 0/8
// mix-up is wrong.
TEST(RealShapesTest, TheLargestPickedCandidateDecidesAndTheZeroEightVerdictStands) {
  const auto file =
      write_file(line('0', "0-0000", 30, "\"8\"", 2) + "\n" + line('0', "0-0000", 30, "null", 9) + "\n" +
                 line('0', "0-0000", 30, "\"0\"", 5) + "\n");
  const auto candidates = tools::read_candidate_file(file);
  const auto samples = tools::digit_samples(candidates);
  ASSERT_EQ(samples.size(), 1u);
  const tools::DigitSample& zero = samples[0];
  ASSERT_EQ(zero.candidates.size(), 3u);
  EXPECT_EQ(zero.candidates[0]->record.x_max, 9);  // the largest box is asked first
  const auto picks = [&](char for_largest, char for_others) {
    return tools::reading_by(
        zero, [&](const tools::DigitCandidate& c) { return c.record.x_max == 9 ? for_largest : for_others; });
  };
  EXPECT_EQ(picks('8', '3'), '8');  // no verdict: the pick stands
  EXPECT_EQ(picks(0, '8'), '0');    // the next largest, x_max 5, has the verdict '0'
  EXPECT_EQ(picks(0, 0), 0);
  tools::DigitScore score;
  score.add(zero, picks('8', '3'));
  score.add(zero, picks(0, 0));
  EXPECT_EQ(score.all, (tools::Counts{0, 1, 1}));
  EXPECT_EQ(tools::confusion_pairs(score.confusion_by_height[30]), "0->8 1");
  std::filesystem::remove(file);
}

TEST(JsonValueTest, ReadsWhatPlateReadWritesAndRefusesTheRest) {
  const tools::JsonValue value =
      tools::parse_json(R"({"a":[1,-2.5e1,true,false,null],"s":"x\"\\\/\u00e9\ud83d\ude00\udcff","n":{}})");
  EXPECT_EQ(value.at("a").array()[0].integer(), 1);
  EXPECT_EQ(value.at("a").array()[1].number, -25.0);
  EXPECT_THROW(value.at("a").array()[1].integer(), std::runtime_error);
  EXPECT_TRUE(value.at("a").array()[2].truth);
  EXPECT_TRUE(value.at("a").array()[4].is_null());
  EXPECT_EQ(value.at("s").string(), "x\"\\/\xC3\xA9\xF0\x9F\x98\x80\xFF");
  for (const char* bad : {"", "{", "[1,]", "{\"a\" 1}", "tru", "\"\\x\"", "1 2", "NaN", "\"\\u12\""})
    EXPECT_THROW(tools::parse_json(bad), std::runtime_error) << bad;
}

}  // namespace
}  // namespace plate
