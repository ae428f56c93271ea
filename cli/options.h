#pragma once
// plate-read's command line: what the user asked for, or why the command line is wrong.

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace plate::cli {

inline constexpr std::string_view kProgramName = "plate-read";
inline constexpr std::string_view kNameListArgument = "-";  // read file names from standard input
inline constexpr int kMaxJobs = 256;
inline constexpr int kMaxEvery = 100000;
inline constexpr int kMaxStallSeconds = 86400;

struct Options {
  std::vector<std::string> inputs;  // files, directories and "-", in the order given
  bool json = false;
  bool log = false;
  bool candidates = false;
  bool null_separated_names = false;              // -0: the list on standard input is NUL-separated
  std::optional<std::filesystem::path> patterns;  // absent: the usual search (pattern_source.h)
  std::optional<std::filesystem::path> overlay_file;
  std::optional<std::filesystem::path> overlay_dir;
  int jobs = 1;
  std::optional<int> max_distance;  // drop plates whose worst character distance is above it
  bool small_plates = false;        // also read enlarged tiles (tiling/small_plate_reader.h)
  // Videos (video/): read one frame in `every`; print every frame's record too; a source that sends
  // nothing for `stall_seconds` ends with a failure.
  int every = 1;
  bool frames = false;
  int stall_seconds = 10;
  bool find_plates = false;  // also read the plates found and straightened (finder/)
};

enum class Action { run, show_help, show_version, usage_error };

struct CommandLine {
  Action action = Action::run;
  Options options;          // meaningful for Action::run
  std::string usage_error;  // meaningful for Action::usage_error: one line, without the program name
};

// Reads the arguments after the program name. Long options take their value as "--name VALUE" or
// "--name=VALUE", -j as "-j N" or "-jN"; "--" ends the options; "-" is an input. --help and
// --version win over anything after them; the first error wins over everything.
CommandLine parse_command_line(std::span<const std::string_view> arguments);

std::string help_text();
std::string version_text();

}  // namespace plate::cli
