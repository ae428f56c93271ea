#include <gtest/gtest.h>

#include <string>

#include "reader/json_text.h"
#include "reader/names.h"
#include "reader/record_json.h"
#include "report_format.h"

namespace plate::cli {
namespace {

using namespace plate::reader;

std::string json(std::string_view text) {
  std::string out = "x";  // appends, never replaces
  append_json_string(out, text);
  return out;
}

TEST(JsonStringTest, QuotesEscapesAndKeepsWhatIsNotUtf8ApartAsSurrogates) {
  EXPECT_EQ(json(""), R"(x"")");
  EXPECT_EQ(json("a b/c"), R"(x"a b/c")");
  EXPECT_EQ(json(R"(C:\a "b")"), R"(x"C:\\a \"b\"")");
  EXPECT_EQ(json("\b\f\n\r\t"), R"(x"\b\f\n\r\t")");
  EXPECT_EQ(json(std::string_view("\x00\x01\x1f\x7f", 4)), "x\"\\u0000\\u0001\\u001f\x7f\"");
  EXPECT_EQ(json("ファイル ･･12 \xF0\x9F\x98\x80"), "x\"ファイル ･･12 \xF0\x9F\x98\x80\"");
  // A Shift-JIS middle dot, a cut sequence, an overlong slash, a surrogate and a code past
  // U+10FFFF become \udcXX one byte at a time.
  EXPECT_EQ(json("a\xA5z"), R"(x"a\udca5z")");
  EXPECT_EQ(json("\xE3\x81"), R"(x"\udce3\udc81")");
  EXPECT_EQ(json("\xC0\xAF"), R"(x"\udcc0\udcaf")");
  EXPECT_EQ(json("\xED\xA0\x80"), R"(x"\udced\udca0\udc80")");
  EXPECT_EQ(json("\xF4\x90\x80\x80"), R"(x"\udcf4\udc90\udc80\udc80")");
}

TEST(EscapedNameTest, ControlCharactersBackslashesAndInvalidBytesBecomeCEscapes) {
  EXPECT_EQ(escaped_name("dir/a b ･12.bmp"), "dir/a b ･12.bmp");
  EXPECT_EQ(escaped_name("a\\b\a\b\t\n\v\f\r"), R"(a\\b\a\b\t\n\v\f\r)");
  EXPECT_EQ(escaped_name(std::string_view("\x00\x1b[31m\x7f", 7)), R"(\000\033[31m\177)");
  // C1 controls (U+009B is a terminal's CSI) and bytes that are not UTF-8, byte by byte.
  EXPECT_EQ(escaped_name("\xC2\x9B\xC2\xA0\xFF\xE3\x81"), "\\302\\233\xC2\xA0\\377\\343\\201");
}

TEST(ReportFormatTest, JsonAndTextLinesHoldEveryFieldInOrder) {
  Record r, none, unreadable;
  r.name = "dir/a \"1\".bmp";
  r.processing_ms = 47;
  r.elapsed_us = 47123;
  // The second digit is an 8 the 0/8 check made of a 0, with no accepted '8' template.
  r.plates.push_back(
      {"12-34",
       4,
       1,
       100,
       300,
       200,
       260,
       {{'1', 110, 120, 210, 240, TemplateChoice{'1', 4, 7}, {}, TemplateChoice{'7', 2, 21}, {}},
        {'8', 130, 140, 210, 240, {}, TemplateChoice{'0', 9, 12}, {}, {}}},
       12,
       {}});
  r.plates.push_back({"･･56", 2, 3, 500, 600, 200, 260, {}, 0, {}});
  r.log_lines = {"1groutp, too few dots"};
  EXPECT_EQ(
      record_json(r),
      R"({"file":"dir/a \"1\".bmp","processing_ms":47,"elapsed_us":47123,"plates":[)"
      R"({"text":"12-34","digit_count":4,"group_id":1,"frame":{"x_min":100,"x_max":300,"y_min":200,"y_max":260},)"
      R"("worst_distance":12,"characters":[{"digit":"1","x_min":110,"x_max":120,"y_min":210,"y_max":240,)"
      R"("template":4,"distance":7,"runner_up":{"digit":"7","template":2,"distance":21}},)"
      R"({"digit":"8","x_min":130,"x_max":140,"y_min":210,"y_max":240,"template":null,"distance":null,)"
      R"("matched":{"digit":"0","template":9,"distance":12},"runner_up":null}]},)"
      R"({"text":"･･56","digit_count":2,"group_id":3,"frame":{"x_min":500,"x_max":600,"y_min":200,"y_max":260},)"
      R"("worst_distance":0,"characters":[]}],"log":["1groutp, too few dots"]})");
  EXPECT_EQ(format_text(r, {}), "dir/a \"1\".bmp\t12-34 ･･56\t47 ms\n");
  EXPECT_EQ(format_text(r, {true, false}),
            "dir/a \"1\".bmp\t12-34 ･･56\t47 ms\n  log: 1groutp, too few dots\n");
  none.name = "b.bmp";
  EXPECT_EQ(format_text(none, {}), "b.bmp\t\t0 ms\n");
  unreadable.name = "x.bmp";
  unreadable.error = "ファイルリードエラーです";
  EXPECT_EQ(record_json(unreadable, {.candidates = true, .file = true}),
            "{\"file\":\"x.bmp\",\"error\":\"ファイルリードエラーです\"}");
  EXPECT_EQ(record_json(none, {.candidates = false, .file = false}).substr(0, 17), "{\"processing_ms\":");
  EXPECT_EQ(format_text(unreadable, {true, true}), "");
}

}  // namespace
}  // namespace plate::cli
