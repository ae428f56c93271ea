#include "options.h"

#include <charconv>
#include <limits>

#include "reader/names.h"
#include "reader/reader.h"

namespace plate::cli {

namespace {

enum class Flag {
  json,
  log,
  candidates,
  null_separated_names,
  small_plates,
  find_plates,
  frames,
  help,
  version
};
enum class Valued { patterns, overlay, overlay_dir, jobs, max_distance, every, stall_seconds };

struct FlagName {
  std::string_view name;
  Flag flag;
};
struct ValuedName {
  std::string_view name;
  Valued option;
};

constexpr FlagName kFlags[] = {
    {"--json", Flag::json},
    {"--log", Flag::log},
    {"--candidates", Flag::candidates},
    {"-0", Flag::null_separated_names},
    {"--null", Flag::null_separated_names},
    {"--small-plates", Flag::small_plates},
    {"--find-plates", Flag::find_plates},
    {"--frames", Flag::frames},
    {"--help", Flag::help},
    {"-h", Flag::help},
    {"--version", Flag::version},
};
constexpr ValuedName kValued[] = {
    {"--patterns", Valued::patterns},
    {"--overlay", Valued::overlay},
    {"--overlay-dir", Valued::overlay_dir},
    {"--jobs", Valued::jobs},
    {"-j", Valued::jobs},
    {"--max-distance", Valued::max_distance},
    {"--every", Valued::every},
    {"--timeout", Valued::stall_seconds},
};

std::optional<int> parse_number(std::string_view text, int lowest, int highest) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc{} || stop != end || value < lowest || value > highest) return std::nullopt;
  return value;
}

class Parser {
 public:
  CommandLine parse(std::span<const std::string_view> arguments) {
    bool options_ended = false;
    for (std::size_t i = 0; i < arguments.size() && result_.action == Action::run; ++i) {
      const std::string_view argument = arguments[i];
      if (options_ended || argument == kNameListArgument || !argument.starts_with('-')) {
        result_.options.inputs.emplace_back(argument);
      } else if (argument == "--") {
        options_ended = true;
      } else if (!take_flag(argument)) {
        take_valued(arguments, i);
      }
    }
    if (result_.action == Action::run) check_combination();
    return result_;
  }

 private:
  bool take_flag(std::string_view argument) {
    for (const FlagName& f : kFlags) {
      if (argument != f.name) continue;
      switch (f.flag) {
        case Flag::json:
          result_.options.json = true;
          break;
        case Flag::log:
          result_.options.log = true;
          break;
        case Flag::candidates:
          result_.options.candidates = true;
          break;
        case Flag::null_separated_names:
          result_.options.null_separated_names = true;
          break;
        case Flag::small_plates:
          result_.options.small_plates = true;
          break;
        case Flag::find_plates:
          if (!reader::has_plate_finder())
            fail("this plate-read is built without the plate finder (--find-plates)");
          result_.options.find_plates = true;
          break;
        case Flag::frames:
          result_.options.frames = true;
          break;
        case Flag::help:
          result_.action = Action::show_help;
          break;
        case Flag::version:
          result_.action = Action::show_version;
          break;
      }
      return true;
    }
    return false;
  }

  // Finds the option and its value, attached ("--name=V", "-jN") or in the next argument.
  void take_valued(std::span<const std::string_view> arguments, std::size_t& i) {
    const std::string_view argument = arguments[i];
    for (const ValuedName& v : kValued) {
      if (!argument.starts_with(v.name)) continue;
      std::string_view rest = argument.substr(v.name.size());
      const bool is_long = v.name.starts_with("--");
      if (rest.empty()) {
        if (i + 1 >= arguments.size()) return fail("option '" + std::string(v.name) + "' needs a value");
        store(v, arguments[++i]);
        return;
      }
      if (is_long && rest.starts_with('=')) return store(v, rest.substr(1));
      if (!is_long) return store(v, rest);
    }
    fail("unknown option '" + std::string(argument) + "'");
  }

  void store(const ValuedName& v, std::string_view value) {
    if (value.empty()) return fail("option '" + std::string(v.name) + "' needs a value");
    switch (v.option) {
      case Valued::patterns:
        result_.options.patterns = std::filesystem::path(value);
        break;
      case Valued::overlay:
        result_.options.overlay_file = std::filesystem::path(value);
        break;
      case Valued::overlay_dir:
        result_.options.overlay_dir = std::filesystem::path(value);
        break;
      case Valued::jobs:
        if (const std::optional<int> jobs = parse_number(value, 1, kMaxJobs)) {
          result_.options.jobs = *jobs;
        } else {
          fail("option '" + std::string(v.name) + "' needs a number of workers from 1 to " +
               std::to_string(kMaxJobs) + ", not '" + std::string(value) + "'");
        }
        break;
      case Valued::max_distance:
        if (const std::optional<int> limit = parse_number(value, 0, std::numeric_limits<int>::max())) {
          result_.options.max_distance = *limit;
        } else {
          fail("option '" + std::string(v.name) + "' needs a distance of 0 or more, not '" +
               std::string(value) + "'");
        }
        break;
      case Valued::every:
        if (const std::optional<int> every = parse_number(value, 1, kMaxEvery)) {
          result_.options.every = *every;
        } else {
          fail("option '" + std::string(v.name) + "' needs a number of frames from 1 to " +
               std::to_string(kMaxEvery) + ", not '" + std::string(value) + "'");
        }
        break;
      case Valued::stall_seconds:
        if (const std::optional<int> seconds = parse_number(value, 1, kMaxStallSeconds)) {
          result_.options.stall_seconds = *seconds;
        } else {
          fail("option '" + std::string(v.name) + "' needs a number of seconds from 1 to " +
               std::to_string(kMaxStallSeconds) + ", not '" + std::string(value) + "'");
        }
        break;
    }
  }

  void check_combination() {
    const Options& o = result_.options;
    if (o.inputs.empty()) return fail("no input file");
    if (o.overlay_file && o.overlay_dir) return fail("--overlay and --overlay-dir cannot be used together");
  }

  void fail(std::string message) {
    result_.action = Action::usage_error;
    result_.usage_error = std::move(message);
  }

  CommandLine result_;
};

}  // namespace

CommandLine parse_command_line(std::span<const std::string_view> arguments) {
  return Parser{}.parse(arguments);
}

std::string help_text() {
  constexpr std::string_view kPhotos =
      R"(Reads the serial numbers of Japanese number plates in pictures: JPEG, PNG and
BMP of any size, shrunk to fit 1024 x 768 when larger.

FILE is a picture, a directory (its .bmp, .jpg, .jpeg and .png files, in name
order) or '-' (a list of file names, one a line, on standard input). Only
regular files are read.
)";
  constexpr std::string_view kBitmaps =
      R"(Reads the serial numbers of Japanese number plates in 24-bit BMP pictures.

FILE is a picture, a directory (its .bmp files, in name order) or '-' (a list
of file names, one a line, on standard input). Only regular files are read.
)";
  return "Usage: plate-read [options] FILE...\n" +
         std::string(reader::decodes_photos() ? kPhotos : kBitmaps) + R"(
Output, one line per file: the file name, the plates read (a middle dot stands
for a missing leading digit) and the processing time, separated by tabs. Names
show control characters, backslashes and bytes that are not UTF-8 as C escapes
(\n, \t, \\, \377), as 'ls -b' does. In JSON such a byte 0xXX is \udcXX.

Options:
  --json              one JSON object per file (JSON Lines) instead
  --log               also print the diagnostic log of each run
  --candidates        also print every traced candidate, its best template,
                      distance and why it was refused
  --patterns FILE     the digit templates (default: EBMPlog00.pat in the
                      current directory, else the one installed beside
                      plate-read)
  --overlay OUT.png   write the picture at its own size with the plates framed
                      and labelled, as PNG or (OUT.bmp) BMP (one input file)
  --overlay-dir DIR   the same for several files: DIR/NAME-overlay.png, or
                      DIR/NAME-overlay.bmp for NAME.bmp
  --max-distance N    leave out plates whose least sure digit is further than
                      N degrees from its template (default: keep every plate
                      the run reads; the run itself accepts below 30)
  --small-plates      also read the picture enlarged 2 and 3 times, in
                      overlapping tiles, for plates under about 100 pixels
                      wide in the frame; a tile's plate is reported only
                      where the picture's own run read none, after judging
                      (JSON: "group_id" 0 and "tile_scale"); about 30 times
                      slower
  --find-plates       also find the plates in the photo (light quadrilaterals
                      holding dark marks), straighten each to its own shape
                      and read them on a sheet of their own; a plate read
                      there stands in place of any other read on it (JSON:
                      "group_id" 0 and "quad", its corners in the picture)
  -j, --jobs N        read N files in parallel (default 1, at most the
                      machine's cores); output keeps the input order
  --every N           in a video, read one frame in N (default 1: every frame)
  --frames            in a video, also print every frame's record (text: one
                      line per frame, NAME@FRAME)
  --timeout S         a video stream that sends nothing for S seconds ends
                      with a message and status 1 (default 10)
  -0, --null          the names on standard input end with a NUL byte, as
                      'find -print0' writes them, instead of a line end
  -h, --help          show this help
  --version           show the version

An overlay never replaces an input file; it is written whole or not at all.

A file is read as a video when its bytes are no picture and FFmpeg finds a
video container in them (MP4, MKV, AVI, MOV, MPEG-TS, ...); a URL (rtsp://,
udp://, http://) is read as a video stream. A video gives one line per plate
that passes: NAME, the text its frames voted for, its first and last time, and
how many of the frames that read it read that text (JSON: "type":"event"). Its
--overlay is a video (OUT.mp4, .mkv, .avi, .mov). Ctrl+C ends a video cleanly
with the plates seen so far. (Builds without FFmpeg, as on Windows, read no
video.)

Exit status: 0 when every file was read; 1 when any file could not be read or
the results could not be written to standard output (reading stops there);
2 for a usage error (also a NUL byte in a newline-separated name list, or a
--patterns file that is missing, not a regular file, of the wrong size or
with a bad record).
)";
}

std::string version_text() {
  return std::string(kProgramName) + " " PLATE_READ_VERSION "\n";
}

}  // namespace plate::cli
