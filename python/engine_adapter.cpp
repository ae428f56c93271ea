#include "engine_adapter.h"

#include <cerrno>
#include <chrono>

#include "file_job.h"
#include "image/bitmap_reader.h"
#ifdef PLATE_READ_PICTURES
#include "image/picture_loader.h"
#endif
#include "input_check.h"
#include "input_list.h"
#include "name_escape.h"
#include "pattern_source.h"

namespace plate::python {

namespace {

// The errno a Python caller expects of a file the system would not give, or 0 when the file was
// there but is no picture (or pattern file) the reader takes.
int system_error_of(cli::FileKind kind) {
  switch (kind) {
    case cli::FileKind::missing:
    case cli::FileKind::dangling_symlink:
      return ENOENT;
    case cli::FileKind::symlink_loop:
      return ELOOP;
    case cli::FileKind::no_permission:
      return EACCES;
    case cli::FileKind::directory:
      return EISDIR;
    case cli::FileKind::unknown_error:
      return EIO;
    case cli::FileKind::regular:
    case cli::FileKind::fifo:
    case cli::FileKind::device:
    case cli::FileKind::socket:
      break;
  }
  return 0;
}

int system_error_of(ReadOutcome outcome) {
  if (outcome == ReadOutcome::missing_file) return ENOENT;
  return outcome == ReadOutcome::cannot_open ? EIO : 0;
}

int system_error_of(TemplateLoadStatus status) {
  if (status == TemplateLoadStatus::missing) return ENOENT;
  return status == TemplateLoadStatus::unreadable ? EIO : 0;
}

// plate-read's record and message for a file it could not use, and the exception it raises here.
InputOutcome refuse(const std::string& name, const cli::FileProblem& problem, int system_error,
                    RunReport& failure) {
  failure = cli::unreadable(name, problem);
  return {system_error != 0 ? Refusal::system : Refusal::bad_input, system_error, problem.line()};
}

}  // namespace

// As plate-read loads its pattern file: only a regular file is opened, so a FIFO cannot block.
InputOutcome EngineAdapter::load_patterns(const std::optional<std::filesystem::path>& named,
                                          const std::filesystem::path& shipped_directory,
                                          RunReport& failure) {
  const std::filesystem::path file = cli::choose_pattern_file(named, shipped_directory);
  const std::string name = cli::display_name(file);
  const cli::InputFacts facts = cli::inspect_input(file);
  if (facts.kind != cli::FileKind::regular)
    return refuse(name, cli::pattern_problem(facts, cli::escaped_name(name)), system_error_of(facts.kind),
                  failure);
  const TemplateLoadOutcome outcome = engine_.load_templates(file);
  if (!outcome.loaded())
    return refuse(name, cli::pattern_problem(outcome, cli::escaped_name(name)),
                  system_error_of(outcome.status), failure);
  return {};
}

// As plate-read reads a picture: a FIFO, device or socket is never opened.
InputOutcome EngineAdapter::read_file(const std::filesystem::path& path, RunReport& report,
                                      bool small_plates) {
  const std::string name = cli::display_name(path);
  const cli::InputFacts facts = cli::inspect_input(path);
  if (facts.kind != cli::FileKind::regular)
    return refuse(name, cli::picture_problem(facts), system_error_of(facts.kind), report);
#ifdef PLATE_READ_PICTURES
  const LoadedPicture loaded = load_picture(path, picture_);
  if (loaded.outcome != PictureOutcome::loaded) {
    const int system_error = loaded.bitmap_outcome ? system_error_of(*loaded.bitmap_outcome) : 0;
    return refuse(name, cli::picture_problem(loaded.outcome, loaded.bitmap_outcome), system_error, report);
  }
  report = run();
  if (small_plates) add_small_plates(report, loaded.mapping.fitted.width, loaded.mapping.fitted.height);
  cli::add_source_boxes(report, loaded);
#else
  const ReadOutcome outcome = read_bitmap(path, picture_);
  if (!picture_was_read(outcome))
    return refuse(name, cli::picture_problem(outcome), system_error_of(outcome), report);
  report = run();
  if (small_plates) add_small_plates(report, kFrameWidth, kFrameHeight);
#endif
  report.name = name;
  return {};
}

// An array that fits the frame is placed as the bitmap reader places a picture of its size; a
// larger one is shrunk into the frame by the fitting that files take, and its boxes are also given
// in the array's own pixels.
InputOutcome EngineAdapter::read_pixels(const PixelView& pixels, RunReport& report) {
  const std::int64_t red_at = pixels.order == ChannelOrder::rgb ? 0 : 2;
  const std::int64_t blue_at = 2 - red_at;
  if (pixels.width > kFrameWidth || pixels.height > kFrameHeight) {
#ifdef PLATE_READ_PICTURES
    if (!within_pixel_limit(static_cast<std::uint64_t>(pixels.width),
                            static_cast<std::uint64_t>(pixels.height)))
      return {Refusal::bad_input, 0,
              "the array has more than " + std::to_string(kMaxPicturePixels) + " pixels"};
    DecodedPicture decoded;
    decoded.source_width = decoded.width = static_cast<int>(pixels.width);
    decoded.source_height = decoded.height = static_cast<int>(pixels.height);
    decoded.bgr.resize(static_cast<std::size_t>(pixels.width * pixels.height * 3));
    std::uint8_t* out = decoded.bgr.data();
    for (std::int64_t y = 0; y < pixels.height; ++y) {
      for (std::int64_t x = 0; x < pixels.width; ++x, out += 3) {
        const std::uint8_t* in = pixels.data + y * pixels.row_stride + x * pixels.column_stride;
        out[0] = in[blue_at * pixels.channel_stride];
        out[1] = in[pixels.channel_stride];
        out[2] = in[red_at * pixels.channel_stride];
      }
    }
    const LoadedPicture fitted{PictureOutcome::loaded, std::nullopt, std::nullopt,
                               fit_into_frame(decoded, picture_)};
    report = run();
    cli::add_source_boxes(report, fitted);
    report.source->format = "array";
    return {};
#else
    return {Refusal::bad_input, 0,
            "a " + std::to_string(pixels.width) + " x " + std::to_string(pixels.height) +
                " array is larger than the " + std::to_string(kFrameWidth) + " x " +
                std::to_string(kFrameHeight) + " frame"};
#endif
  }
  picture_.fill(0);
  for (std::int64_t y = 0; y < pixels.height; ++y) {
    std::uint8_t* out = picture_.row(kFrameHeight - 1 - static_cast<int>(y));
    for (std::int64_t x = 0; x < pixels.width; ++x, out += kBytesPerPixel) {
      const std::uint8_t* in = pixels.data + y * pixels.row_stride + x * pixels.column_stride;
      out[static_cast<int>(Channel::blue)] = in[blue_at * pixels.channel_stride];
      out[static_cast<int>(Channel::green)] = in[pixels.channel_stride];
      out[static_cast<int>(Channel::red)] = in[red_at * pixels.channel_stride];
    }
  }
  report = run();
  return {};
}

void EngineAdapter::add_small_plates(RunReport& report, int fitted_width, int fitted_height) {
  const auto start = std::chrono::steady_clock::now();
  if (!small_plates_) small_plates_ = std::make_unique<SmallPlateReader>(engine_.templates());
  cli::add_tile_plates(report, engine_.templates(),
                       small_plates_->read(picture_, fitted_width, fitted_height, engine_.result()),
                       std::nullopt);
  report.elapsed_us +=
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count();
}

RunReport EngineAdapter::run() {
  const auto start = std::chrono::steady_clock::now();
  engine_.run(picture_);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  RunReport report = cli::report_run(engine_, std::nullopt);
  report.elapsed_us = std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count();
  return report;
}

}  // namespace plate::python
