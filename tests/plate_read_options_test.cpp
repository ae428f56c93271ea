#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "options.h"

namespace plate::cli {
namespace {

struct OptionsCase {
  const char* name;
  std::vector<std::string_view> arguments;
  Action action;
  std::string error_part;  // expected within the usage error; empty when there is none
  Options expected;        // compared when the action is run
};

// Test names in CTest show the row name rather than the row's bytes.
void PrintTo(const OptionsCase& row, std::ostream* out) {
  *out << row.name;
}

Options with(std::vector<std::string> inputs, void (*adjust)(Options&) = nullptr) {
  Options o;
  o.inputs = std::move(inputs);
  if (adjust) adjust(o);
  return o;
}

class ParseCommandLineTest : public ::testing::TestWithParam<OptionsCase> {};

TEST_P(ParseCommandLineTest, GivesTheExpectedOptionsOrError) {
  const OptionsCase& c = GetParam();
  const CommandLine got = parse_command_line(c.arguments);
  ASSERT_EQ(got.action, c.action) << got.usage_error;
  if (c.action == Action::usage_error) {
    EXPECT_NE(got.usage_error.find(c.error_part), std::string::npos) << got.usage_error;
  }
  if (c.action != Action::run) return;
  const Options& o = got.options;
  const Options& e = c.expected;
  EXPECT_EQ(o.inputs, e.inputs);
  EXPECT_EQ(o.json, e.json);
  EXPECT_EQ(o.log, e.log);
  EXPECT_EQ(o.candidates, e.candidates);
  EXPECT_EQ(o.patterns, e.patterns);
  EXPECT_EQ(o.overlay_file, e.overlay_file);
  EXPECT_EQ(o.overlay_dir, e.overlay_dir);
  EXPECT_EQ(o.jobs, e.jobs);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseCommandLineTest,
    ::testing::Values(
        OptionsCase{"OneFile", {"a.bmp"}, Action::run, "", with({"a.bmp"})},
        OptionsCase{"FlagsAnywhere",
                    {"a", "--json", "b", "--log", "--candidates"},
                    Action::run,
                    "",
                    with({"a", "b"}, [](Options& o) { o.json = o.log = o.candidates = true; })},
        OptionsCase{
            "JobsSeparate", {"-j", "4", "a"}, Action::run, "", with({"a"}, [](Options& o) { o.jobs = 4; })},
        OptionsCase{
            "JobsAttached", {"-j2", "a"}, Action::run, "", with({"a"}, [](Options& o) { o.jobs = 2; })},
        OptionsCase{"JobsLongWithEquals",
                    {"--jobs=256", "a"},
                    Action::run,
                    "",
                    with({"a"}, [](Options& o) { o.jobs = 256; })},
        OptionsCase{"PatternsBothForms",
                    {"--patterns", "x.pat", "a", "--patterns=y.pat"},
                    Action::run,
                    "",
                    with({"a"}, [](Options& o) { o.patterns = "y.pat"; })},
        // --overlay is a prefix of --overlay-dir; neither may swallow the other.
        OptionsCase{"OverlayDirNotOverlay",
                    {"--overlay-dir", "out", "a", "b"},
                    Action::run,
                    "",
                    with({"a", "b"}, [](Options& o) { o.overlay_dir = "out"; })},
        OptionsCase{"OverlayFile",
                    {"--overlay=o.bmp", "a"},
                    Action::run,
                    "",
                    with({"a"}, [](Options& o) { o.overlay_file = "o.bmp"; })},
        OptionsCase{"DashIsTheNameList", {"-", "a"}, Action::run, "", with({"-", "a"})},
        OptionsCase{"DoubleDashEndsOptions", {"--", "--json", "-j"}, Action::run, "", with({"--json", "-j"})},
        OptionsCase{"HelpWinsOverLaterErrors", {"--help", "--bogus"}, Action::show_help, "", {}},
        OptionsCase{"ShortHelp", {"-h"}, Action::show_help, "", {}},
        OptionsCase{"Version", {"--version", "a"}, Action::show_version, "", {}},
        OptionsCase{"EarlierErrorWinsOverHelp",
                    {"--bogus", "--help"},
                    Action::usage_error,
                    "unknown option '--bogus'",
                    {}},
        OptionsCase{"NoInput", {"--json"}, Action::usage_error, "no input file", {}},
        OptionsCase{"UnknownShort", {"-x", "a"}, Action::usage_error, "unknown option '-x'", {}},
        OptionsCase{
            "FlagTakesNoValue", {"--json=yes", "a"}, Action::usage_error, "unknown option '--json=yes'", {}},
        OptionsCase{"MissingValueAtTheEnd",
                    {"a", "--patterns"},
                    Action::usage_error,
                    "'--patterns' needs a value",
                    {}},
        OptionsCase{"EmptyValue", {"--overlay=", "a"}, Action::usage_error, "'--overlay' needs a value", {}},
        OptionsCase{"JobsZero", {"-j", "0", "a"}, Action::usage_error, "from 1 to 256", {}},
        OptionsCase{"JobsPastTheLimit", {"-j257", "a"}, Action::usage_error, "from 1 to 256", {}},
        OptionsCase{"JobsNotANumber", {"--jobs", "2x", "a"}, Action::usage_error, "not '2x'", {}},
        OptionsCase{"JobsWithoutValue", {"-j"}, Action::usage_error, "'-j' needs a value", {}},
        OptionsCase{"BothOverlayForms",
                    {"--overlay", "o.bmp", "--overlay-dir", "d", "a"},
                    Action::usage_error,
                    "cannot be used together",
                    {}}),
    [](const ::testing::TestParamInfo<OptionsCase>& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace plate::cli
