#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "json_text.h"
#include "report_format.h"

namespace plate::cli {
namespace {

struct EscapeCase {
  const char* name;
  std::string_view text;
  std::string_view json;
};

// Test names in CTest show the row name rather than the row's bytes.
void PrintTo(const EscapeCase& row, std::ostream* out) {
  *out << row.name;
}

class JsonStringTest : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(JsonStringTest, QuotesAndEscapes) {
  std::string out = "x";  // appends, never replaces
  append_json_string(out, GetParam().text);
  EXPECT_EQ(out, "x" + std::string(GetParam().json));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JsonStringTest,
    ::testing::Values(EscapeCase{"Empty", "", R"("")"}, EscapeCase{"Plain", "a b/c", R"("a b/c")"},
                      EscapeCase{"QuoteAndBackslash", R"(C:\a "b")", R"("C:\\a \"b\"")"},
                      EscapeCase{"ShortControlForms", "\b\f\n\r\t", R"("\b\f\n\r\t")"},
                      EscapeCase{"OtherControls", std::string_view("\x00\x01\x1f\x7f", 4),
                                 "\"\\u0000\\u0001\\u001f\x7f\""},
                      EscapeCase{"JapaneseAndMiddleDotStay", "ファイル ･･12", "\"ファイル ･･12\""},
                      EscapeCase{"FourByteSequenceStays", "\xF0\x9F\x98\x80", "\"\xF0\x9F\x98\x80\""},
                      // Bytes that are not UTF-8 (a Shift-JIS middle dot, a cut sequence, an overlong slash,
                      // a surrogate, past U+10FFFF) become U+FFFD one byte at a time.
                      EscapeCase{"LoneShiftJisDot",
                                 "a\xA5"
                                 "b",
                                 "\"a\xEF\xBF\xBD"
                                 "b\""},
                      EscapeCase{"CutSequence", "\xE3\x81", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},
                      EscapeCase{"Overlong", "\xC0\xAF", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},
                      EscapeCase{"Surrogate", "\xED\xA0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},
                      EscapeCase{"BeyondUnicode", "\xF4\x90\x80\x80",
                                 "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""}),
    [](const ::testing::TestParamInfo<EscapeCase>& row) { return std::string(row.param.name); });

FileReport two_plate_report() {
  FileReport r;
  r.name = "dir/a \"1\".bmp";
  r.processing_ms = 47;
  r.elapsed_us = 47123;
  r.plates.push_back({"12-34",
                      4,
                      1,
                      100,
                      300,
                      200,
                      260,
                      {{'1', 110, 120, 210, 240, 7}, {'2', 130, 140, 210, 240, std::nullopt}}});
  r.plates.push_back({"･･56", 2, 3, 500, 600, 200, 260, {}});
  r.log_lines = {"1groutp, too few dots"};
  return r;
}

TEST(ReportFormatTest, JsonLineHoldsEveryFieldInOrder) {
  EXPECT_EQ(
      format_json(two_plate_report(), {}),
      R"({"file":"dir/a \"1\".bmp","processing_ms":47,"elapsed_us":47123,"plates":[)"
      R"({"text":"12-34","digit_count":4,"group_id":1,"frame":{"x_min":100,"x_max":300,"y_min":200,"y_max":260},)"
      R"("characters":[{"digit":"1","x_min":110,"x_max":120,"y_min":210,"y_max":240,"distance":7},)"
      R"({"digit":"2","x_min":130,"x_max":140,"y_min":210,"y_max":240}]},)"
      R"({"text":"･･56","digit_count":2,"group_id":3,"frame":{"x_min":500,"x_max":600,"y_min":200,"y_max":260},)"
      R"("characters":[]}],"log":["1groutp, too few dots"]})"
      "\n");
}

TEST(ReportFormatTest, UnreadableFileHasOnlyItsError) {
  FileReport r;
  r.name = "x.bmp";
  r.error = "ファイルリードエラーです";
  EXPECT_EQ(format_json(r, {true, true}), "{\"file\":\"x.bmp\",\"error\":\"ファイルリードエラーです\"}\n");
  EXPECT_EQ(format_text(r, {true, true}), "");
}

TEST(ReportFormatTest, TextLineIsNamePlatesAndTime) {
  EXPECT_EQ(format_text(two_plate_report(), {}), "dir/a \"1\".bmp\t12-34 ･･56\t47 ms\n");
  EXPECT_EQ(format_text(two_plate_report(), {true, false}),
            "dir/a \"1\".bmp\t12-34 ･･56\t47 ms\n  log: 1groutp, too few dots\n");
  FileReport none;
  none.name = "b.bmp";
  EXPECT_EQ(format_text(none, {}), "b.bmp\t\t0 ms\n");
}

}  // namespace
}  // namespace plate::cli
