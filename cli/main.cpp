// plate-read: reads number plates from BMP pictures on the command line, for shells, scripts and
// batches, with the same engine as the desktop program.

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>
#include <variant>
#include <vector>

#include "batch_runner.h"
#include "engine/template_file.h"
#include "input_list.h"
#include "options.h"
#include "overlay_targets.h"
#include "progress_line.h"
#include "reader/names.h"
#include "reader/overlay_file.h"
#include "reader/pattern_source.h"
#include "reader/reader.h"
#include "reader/record_json.h"
#include "report_format.h"
#include "standard_streams.h"
#include "terminal.h"
#ifdef PLATE_READ_VIDEOS
#include "video_input.h"
#endif

namespace {

using namespace plate;
using namespace plate::cli;
using reader::display_name;
using reader::escaped_name;

constexpr int kAllRead = 0;
constexpr int kSomeNotRead = 1;
constexpr int kUsageError = 2;
constexpr int kInterrupted = 130;  // as a shell reports a program ended by Ctrl+C

int usage_error(const std::string& message) {
  std::cerr << kProgramName << ": " << message << "\nTry '" << kProgramName
            << " --help' for more information.\n";
  return kUsageError;
}

// Help and version text; a failure to write them is a failure of the command.
int print_text(std::string_view text) {
  if (const std::optional<std::string> problem = write_results(text)) {
    std::cerr << kProgramName << ": cannot write to standard output: " << *problem << '\n';
    return kSomeNotRead;
  }
  return kAllRead;
}

// A missing default pattern file is reported and the batch goes on, as the desktop program does:
// every picture is still read and reported, with no plate. A pattern file the user named that is
// not a sound one (missing, not a regular file, of the wrong size, with a bad record) is a mistake
// on the command line instead: reading a whole batch without the templates asked for would only
// produce wrong or missing plates. Only a regular file is opened, so a FIFO cannot block.
bool load_pattern_file(reader::Reader& patterns, const Options& options, const char* argv0) {
  const std::filesystem::path pattern_file =
      reader::choose_pattern_file(options.patterns, reader::find_program_directory(argv0));
  const std::optional<reader::Failure> failure = patterns.load_patterns(pattern_file);
  if (!failure) return true;
  std::cerr << reader::message_line(display_name(pattern_file), failure->line());
  return !options.patterns;
}

// More workers than cores only take memory (a workspace of about 10 MB each) and add no speed.
int usable_jobs(int asked) {
  const auto cores = static_cast<int>(std::thread::hardware_concurrency());
  if (cores < 1 || asked <= cores) return asked;
  std::cerr << kProgramName << ": -j " << asked << " is more than the " << cores
            << " cores of this machine; reading with " << cores << " workers\n";
  return cores;
}

// Each file's record, and its overlay picture when one is asked for: a failure to write it is the
// record's overlay_error.
reader::Record read_file(reader::Reader& worker, const BatchInput& input) {
  reader::Record record = worker.read_file(input.path);
  if (record.error || !input.overlay) return record;
  if (const std::optional<std::string> reason = reader::write_overlay(worker, *input.overlay)) {
    record.overlay_error =
        "cannot write the overlay picture " + escaped_name(display_name(*input.overlay)) + ": " + *reason;
    record.messages = reader::message_line(record.name, *record.overlay_error);
  }
  return record;
}

// Reads the pictures `next` gives; `total` is their number when it is known beforehand.
int read_all(const NextInput& next, std::optional<std::size_t> total, const Options& options,
             const TemplateTable& templates) {
  const ReportDetail detail{options.log, options.candidates};
  // An overlay is drawn on the picture decoded with the frame, not decoded a second time.
  const reader::ReadSettings settings{options.candidates, options.max_distance, options.small_plates,
                                      options.overlay_file || options.overlay_dir, options.find_plates};
  ProgressLine progress(std::cerr, total.value_or(2) > 1 && stderr_is_terminal(), total);
  bool any_failed = false;
  std::optional<std::string> output_problem;
  run_batch(
      next, usable_jobs(options.jobs), templates, settings,
      [&](const BatchInput& input, reader::Reader& worker) { return read_file(worker, input); },
      [&](std::size_t index, const BatchInput& input, reader::Record&& report) {
        progress.clear();
        std::cerr << input.problems << report.messages;
        any_failed = any_failed || report.failed();
        output_problem = write_results(options.json ? reader::record_json(report, {options.candidates}) + "\n"
                                                    : format_text(report, detail));
        if (output_problem) return false;
        progress.show(index + 1, escaped_name(report.name));
        return true;
      });
  if (output_problem) {
    std::cerr << kProgramName << ": cannot write the results to standard output: " << *output_problem
              << "; reading stopped\n";
    return kSomeNotRead;
  }
  return any_failed ? kSomeNotRead : kAllRead;
}

// Whether an input is a video (video_input.h); never in a build without FFmpeg.
bool is_video(const std::filesystem::path& file) {
#ifdef PLATE_READ_VIDEOS
  return is_video_input(file);
#else
  (void)file;
  return false;
#endif
}

// A video's overlay is a video, named as one; pictures' overlays are planned as before.
OverlayTargets plan_all_overlays(const std::vector<std::filesystem::path>& files, bool any_video,
                                 const Options& options) {
#ifdef PLATE_READ_VIDEOS
  if (any_video && options.overlay_file && files.size() == 1)
    return {{options.overlay_file}, check_video_overlay(files[0], *options.overlay_file)};
#endif
  if (any_video && options.overlay_dir)
    return {{}, "--overlay-dir writes pictures' overlays; give a video's with --overlay OUT.mp4"};
  return plan_overlay_targets(files, options);
}

struct Input {
  BatchInput batch;
  bool video = false;
};

// The inputs in order, one at a time; `total` is their number when it is known beforehand.
struct Inputs {
  std::function<std::optional<Input>()> next;
  std::optional<std::size_t> total;
};

// Pictures in runs of consecutive files through the parallel batch, each video alone, in the order
// given. Ctrl+C in a video, or output that cannot be written, ends everything.
int read_in_order(const Inputs& inputs, const Options& options, const TemplateTable& templates) {
  int status = kAllRead;
  for (std::optional<Input> held = inputs.next(); held;) {
    if (held->video) {
      std::cerr << held->batch.problems;
#ifdef PLATE_READ_VIDEOS
      switch (read_video_input(held->batch.path, options, templates, held->batch.overlay)) {
        case VideoStatus::read:
          break;
        case VideoStatus::failed:
          status = kSomeNotRead;
          break;
        case VideoStatus::interrupted:
          return kInterrupted;
        case VideoStatus::output_failed:
          return kSomeNotRead;
      }
#endif
      held = inputs.next();
      continue;
    }
    // The run ends at the inputs' end or at the next video, which stays held.
    const NextInput next_picture = [&]() -> std::optional<BatchInput> {
      if (!held) held = inputs.next();
      if (!held || held->video) return std::nullopt;
      BatchInput picture = std::move(held->batch);
      held.reset();
      return picture;
    };
    if (read_all(next_picture, inputs.total, options, templates) != kAllRead) status = kSomeNotRead;
  }
  return status;
}

// With an overlay asked for, every input is listed first, so that a target that would clash with
// another or replace an input is refused before anything is written. Otherwise the inputs are
// listed as they are read.
std::variant<Inputs, std::string> plan_inputs(InputList& list, const Options& options,
                                              std::vector<Input>& listed) {
  if (!options.overlay_file && !options.overlay_dir) {
    return Inputs{[&list]() -> std::optional<Input> {
                    std::optional<ListedFile> file = list.next();
                    if (!file) return std::nullopt;
                    const bool video = is_video(file->path);
                    return Input{{std::move(file->path), std::nullopt, std::move(file->problems)}, video};
                  },
                  std::nullopt};
  }
  std::vector<std::filesystem::path> files;
  bool any_video = false;
  for (ListedFile& file : list.rest()) {
    files.push_back(file.path);
    listed.push_back(
        {{std::move(file.path), std::nullopt, std::move(file.problems)}, is_video(files.back())});
    any_video = any_video || listed.back().video;
  }
  if (!list.usage_error().empty()) return list.usage_error();
  OverlayTargets overlays = plan_all_overlays(files, any_video, options);
  if (!overlays.usage_error.empty()) return overlays.usage_error;
  for (std::size_t i = 0; i < listed.size(); ++i) listed[i].batch.overlay = std::move(overlays.paths[i]);
  return Inputs{[&listed, at = std::size_t{0}]() mutable -> std::optional<Input> {
                  if (at == listed.size()) return std::nullopt;
                  return std::move(listed[at++]);
                },
                listed.size()};
}

int run(int argc, char** argv) {
  const std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  const CommandLine command_line = parse_command_line(arguments);
  switch (command_line.action) {
    case Action::usage_error:
      return usage_error(command_line.usage_error);
    case Action::show_help:
      return print_text(help_text());
    case Action::show_version:
      return print_text(version_text());
    case Action::run:
      break;
  }
  const Options& options = command_line.options;

  // Everything that can end the run with a usage error comes before anything is created, but for a
  // name list whose fault is found only when it is read to there.
  InputList list(options.inputs, std::cin, options.null_separated_names);
  std::vector<Input> listed;
  const std::variant<Inputs, std::string> inputs = plan_inputs(list, options, listed);
  if (const auto* error = std::get_if<std::string>(&inputs)) return usage_error(*error);
  const auto patterns = std::make_unique<reader::Reader>();
  if (!load_pattern_file(*patterns, options, argc > 0 ? argv[0] : nullptr)) return kUsageError;
  // A folder that cannot be made is no mistake on the command line but a failure to write, as an
  // overlay that cannot be written is: nothing is read, and the status says something failed.
  if (options.overlay_dir) {
    std::error_code error;
    std::filesystem::create_directories(*options.overlay_dir, error);
    if (error) {
      std::cerr << kProgramName << ": cannot create " << escaped_name(display_name(*options.overlay_dir))
                << ": " << error.message() << '\n';
      return kSomeNotRead;
    }
  }
  const int status = read_in_order(std::get<Inputs>(inputs), options, patterns->templates());
  std::cerr << list.take_problems();
  if (!list.usage_error().empty()) return usage_error(list.usage_error());
  return !list.any_error() || status != kAllRead ? status : kSomeNotRead;
}

}  // namespace

int main(int argc, char** argv) {
  claim_standard_descriptors();
  use_utf8_console();
  try {
    return run(argc, argv);
  } catch (const std::bad_alloc&) {
    std::cerr << kProgramName << ": out of memory\n";
  } catch (const std::exception& e) {
    std::cerr << kProgramName << ": " << e.what() << '\n';
  }
  return kSomeNotRead;
}
