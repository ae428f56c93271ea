// Plan of a video: open it through video/read_video with one reader, print each frame's record
// when asked and each event as its track ends, draw and encode the overlay video when asked, show
// progress on a terminal, and turn Ctrl+C into a clean end.

#include "video_input.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <memory>

#include "file_identity.h"
#include "present/overlay_drawing.h"
#include "present/overlay_plan.h"
#include "progress_line.h"
#include "reader/names.h"
#include "report_format.h"
#include "standard_streams.h"
#include "terminal.h"
#include "video/event_output.h"
#include "video/video_probe.h"
#include "video/video_reading.h"
#include "video/video_writer.h"

namespace plate::cli {

namespace {

using reader::display_name;
using reader::escaped_name;

std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void note_interrupt(int) {
  interrupted.store(true);
}

// Ctrl+C while a video is read ends it cleanly; a second one (the handler resets itself) ends the
// program at once, as usual. A program started with SIGINT ignored (a background job of a script)
// keeps ignoring it.
class InterruptGuard {
 public:
  InterruptGuard() {
    interrupted.store(false);
    struct sigaction action {};
    action.sa_handler = note_interrupt;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previous_);
    if (previous_.sa_handler == SIG_IGN) sigaction(SIGINT, &previous_, nullptr);
  }
  ~InterruptGuard() { sigaction(SIGINT, &previous_, nullptr); }
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

 private:
  struct sigaction previous_ {};
};

bool names_video_container(const std::filesystem::path& target) {
  std::string extension = target.extension().string();
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension == ".mp4" || extension == ".mkv" || extension == ".avi" || extension == ".mov";
}

std::string clock_text(double seconds) {
  const auto whole = static_cast<long long>(seconds);
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%lld:%02lld:%04.1f", whole / 3600, whole / 60 % 60,
                seconds - double(whole - whole % 60));
  return buffer;
}

// "plate-read: NAME frame 1234 0:00:41.2 / 0:02:00.0 214 fps", at most four times a second.
class VideoProgressLine {
 public:
  explicit VideoProgressLine(std::string name)
      : line_(std::cerr, stderr_is_terminal(), std::nullopt), name_(std::move(name)), start_(Clock::now()) {}

  void show(const video::VideoProgress& progress) {
    const auto now = Clock::now();
    if (now - last_shown_ < std::chrono::milliseconds(250)) return;
    last_shown_ = now;
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    std::string text = std::string(kProgramName) + ": " + name_ + " frame " +
                       std::to_string(progress.frames_decoded) + " " + clock_text(progress.position_seconds);
    if (progress.duration_seconds > 0) text += " / " + clock_text(progress.duration_seconds);
    if (elapsed > 0) {
      text += ' ';
      text += std::to_string(static_cast<long long>(double(progress.frames_decoded) / elapsed));
      text += " fps";
    }
    line_.show_line(text);
  }
  void clear() { line_.clear(); }

 private:
  using Clock = std::chrono::steady_clock;
  ProgressLine line_;
  std::string name_;
  Clock::time_point start_, last_shown_{};
};

// Draws each frame read as the window draws its plates and encodes it.
class OverlayVideo {
 public:
  // A stream that declares no frame rate is written at 25 frames a second.
  OverlayVideo(std::filesystem::path target, double frames_per_second, int every)
      : target_(std::move(target)),
        frames_per_second_(std::max(
            1, static_cast<int>((frames_per_second > 0 ? frames_per_second : 25.0) / every + 0.5))) {}

  void add(const video::FrameRead& frame) {
    if (problem_ || !frame.source) return;
    DecodedPicture& picture = *frame.source;
    if (!writer_)
      writer_ =
          std::make_unique<video::VideoWriter>(target_, picture.width, picture.height, frames_per_second_);
    const FrameMapping& mapping = frame.reader.mapping();
    draw_overlay(picture, plan_source_overlay(frame.reader.plates(), mapping),
                 overlay_magnification(mapping));
    if (!writer_->add(picture)) problem_ = writer_->failure();
  }
  // Why the overlay video could not be written, or nothing.
  std::optional<std::string> finish() {
    if (!problem_ && !writer_) problem_ = "no frame was read";
    if (!problem_ && !writer_->finish()) problem_ = writer_->failure();
    return problem_;
  }

 private:
  std::filesystem::path target_;
  int frames_per_second_;
  std::unique_ptr<video::VideoWriter> writer_;
  std::optional<std::string> problem_;
};

}  // namespace

bool is_video_input(const std::filesystem::path& input) {
  return video::is_url(input.string()) || video::is_video_file(input);
}

std::string check_video_overlay(const std::filesystem::path& input, const std::filesystem::path& target) {
  const std::string shown_target = escaped_name(display_name(target));
  if (!names_video_container(target))
    return "--overlay " + shown_target +
           ": the overlay of a video is a video: name it .mp4, .mkv, .avi or .mov";
  const std::optional<FileIdentity> target_identity = identity_of(target);
  if (target_identity && target_identity == identity_of(input))
    return "--overlay would write the overlay " + shown_target + " over the input " +
           escaped_name(display_name(input));
  return {};
}

VideoStatus read_video_input(const std::filesystem::path& input, const Options& options,
                             const TemplateTable& templates,
                             const std::optional<std::filesystem::path>& overlay) {
  const std::string name = display_name(input);
  const InterruptGuard interrupt_guard;
  // Frames are read as photos are, the plate finder included when asked; the source pixels are the
  // decoder's to keep (for the overlay), not the reader's.
  reader::Reader reader(
      {options.candidates, options.max_distance, options.small_plates, false, options.find_plates});
  reader.use_templates(templates);
  video::VideoReadSettings settings;
  settings.decode.every = options.every;
  settings.decode.stall_seconds = options.stall_seconds;
  settings.decode.stop = &interrupted;
  settings.keep_source_pixels = overlay.has_value();

  VideoProgressLine progress(escaped_name(name));
  std::unique_ptr<OverlayVideo> overlay_video;
  std::optional<std::string> output_problem;
  const auto write = [&](const std::string& text) {
    progress.clear();
    output_problem = write_results(text);
    return !output_problem;
  };
  const ReportDetail detail{options.log, options.candidates};
  video::VideoCallbacks callbacks;
  callbacks.frame = [&](const video::FrameRead& frame) {
    if (overlay) {
      if (!overlay_video)
        overlay_video = std::make_unique<OverlayVideo>(*overlay, frame.info.frames_per_second, options.every);
      overlay_video->add(frame);
    }
    if (!options.frames) return true;
    if (options.json) return write(video::frame_json(frame.record, frame.at, name) + "\n");
    reader::Record shown = frame.record;
    shown.name = name + "@" + std::to_string(frame.at.number);
    return write(format_text(shown, detail));
  };
  callbacks.event = [&](const video::PlateEvent& event) {
    return write(options.json ? video::event_json(event, name, true) + "\n" : video::event_text(event, name));
  };
  callbacks.progress = [&](const video::VideoProgress& now) { progress.show(now); };

  const video::VideoOutcome outcome = video::read_video(input.string(), reader, settings, callbacks);
  progress.clear();
  if (output_problem) {
    std::cerr << kProgramName << ": cannot write the results to standard output: " << *output_problem
              << "; reading stopped\n";
    return VideoStatus::output_failed;
  }
  VideoStatus status = VideoStatus::read;
  if (outcome.failure) {
    std::cerr << reader::message_line(name, *outcome.failure);
    status = VideoStatus::failed;
  }
  if (overlay_video || overlay) {
    const std::optional<std::string> problem =
        overlay_video ? overlay_video->finish() : std::optional<std::string>("no frame was read");
    if (problem && !outcome.failure) {
      std::cerr << reader::message_line(
          name, "cannot write the overlay video " + escaped_name(display_name(*overlay)) + ": " + *problem);
      status = VideoStatus::failed;
    }
  }
  if (outcome.stopped && interrupted.load()) {
    std::cerr << reader::message_line(name, "interrupted after " +
                                                std::to_string(outcome.progress.frames_decoded) +
                                                " frames; the plates seen so far are above");
    return VideoStatus::interrupted;
  }
  return status;
}

}  // namespace plate::cli
