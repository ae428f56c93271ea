#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "options.h"
#include "reader/reader.h"

namespace plate::cli {
namespace {

// What a command line asks for, in short: the action, or for a run its inputs and the options
// that differ from their defaults.
std::string outcome(std::vector<std::string_view> arguments) {
  const CommandLine c = parse_command_line(arguments);
  if (c.action != Action::run)
    return c.action == Action::usage_error ? "error: " + c.usage_error
                                           : (c.action == Action::show_help ? "help" : "version");
  const Options& o = c.options;
  std::string s = "run";
  for (const std::string& input : o.inputs) s += " " + input;
  if (o.json) s += " +json";
  if (o.log) s += " +log";
  if (o.candidates) s += " +candidates";
  if (o.null_separated_names) s += " +null";
  if (o.patterns) s += " patterns=" + o.patterns->string();
  if (o.overlay_file) s += " overlay=" + o.overlay_file->string();
  if (o.overlay_dir) s += " overlay-dir=" + o.overlay_dir->string();
  if (o.jobs != 1) s += " j" + std::to_string(o.jobs);
  if (o.every != 1) s += " every=" + std::to_string(o.every);
  if (o.frames) s += " +frames";
  if (o.stall_seconds != 10) s += " timeout=" + std::to_string(o.stall_seconds);
  if (o.small_plates) s += " +small-plates";
  if (o.find_plates) s += " +find-plates";
  return s;
}

TEST(ParseCommandLineTest, GivesTheOptionsOrTheFirstError) {
  EXPECT_EQ(outcome({"a.bmp"}), "run a.bmp");
  EXPECT_EQ(outcome({"a", "--json", "b", "--log", "--candidates"}), "run a b +json +log +candidates");
  EXPECT_EQ(outcome({"--jobs=256", "a"}), "run a j256");
  EXPECT_EQ(outcome({"--patterns", "x.pat", "a", "--patterns=y.pat"}), "run a patterns=y.pat");
  // --overlay is a prefix of --overlay-dir; neither may swallow the other.
  EXPECT_EQ(outcome({"--overlay-dir", "out", "a", "b"}), "run a b overlay-dir=out");
  EXPECT_EQ(outcome({"--overlay=o.bmp", "a"}), "run a overlay=o.bmp");
  EXPECT_EQ(outcome({"-0", "-"}), "run - +null");
  EXPECT_EQ(outcome({"--", "--json", "-j"}), "run --json -j");
  EXPECT_EQ(outcome({"--help", "--bogus"}), "help");
  EXPECT_EQ(outcome({"--every=25", "--frames", "--timeout", "3", "v.mp4"}),
            "run v.mp4 every=25 +frames timeout=3");
  EXPECT_EQ(outcome({"--small-plates", "a"}), "run a +small-plates");
  EXPECT_EQ(outcome({"a", "--find-plates"}), reader::has_plate_finder()
                                                 ? "run a +find-plates"
                                                 : "error: this plate-read is built without the plate finder "
                                                   "(--find-plates)");

  EXPECT_EQ(outcome({"--bogus", "--help"}), "error: unknown option '--bogus'");
  EXPECT_EQ(outcome({"--json"}), "error: no input file");
  EXPECT_EQ(outcome({"a", "--patterns"}), "error: option '--patterns' needs a value");
  EXPECT_EQ(outcome({"--overlay=", "a"}), "error: option '--overlay' needs a value");
  const std::string jobs = "error: option '-j' needs a number of workers from 1 to 256, not ";
  EXPECT_EQ(outcome({"-j", "0", "a"}), jobs + "'0'");
  EXPECT_EQ(outcome({"-j257", "a"}), jobs + "'257'");
  EXPECT_EQ(outcome({"--jobs", "2x", "a"}),
            "error: option '--jobs' needs a number of workers from 1 to 256, not '2x'");
  EXPECT_EQ(outcome({"--every", "0", "v.mp4"}),
            "error: option '--every' needs a number of frames from 1 to 100000, not '0'");
  EXPECT_EQ(outcome({"--timeout=0", "v.mp4"}),
            "error: option '--timeout' needs a number of seconds from 1 to 86400, not '0'");
  EXPECT_EQ(outcome({"--overlay", "o.bmp", "--overlay-dir", "d", "a"}),
            "error: --overlay and --overlay-dir cannot be used together");
}

}  // namespace
}  // namespace plate::cli
