#include "engine_adapter.h"

#include <cerrno>
#include <chrono>

#include "engine/recognition.h"
#include "engine/workspace.h"
#include "image/bitmap_reader.h"
#include "input_list.h"
#include "pattern_source.h"

namespace plate::python {

namespace {

// Keeps the first message the engine or the reader gives; a Python caller gets it in an exception.
class FirstMessage final : public MessageService {
 public:
  void show_message(std::string_view text) override {
    if (text_.empty()) text_ = text;
  }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

LoadOutcome bad_picture(std::string message) {
  return {LoadProblem::bad_picture, std::move(message), 0};
}

// The frame holds at most 1024 x 768 pixels. Larger arrays are refused until pictures are fitted
// into the frame; then the fitting goes here, and files and arrays share it.
std::optional<LoadOutcome> refuse_unfitted(const PixelView& pixels) {
  if (pixels.width <= kFrameWidth && pixels.height <= kFrameHeight) return std::nullopt;
  return bad_picture("a " + std::to_string(pixels.width) + " x " + std::to_string(pixels.height) +
                     " array is larger than the " + std::to_string(kFrameWidth) + " x " +
                     std::to_string(kFrameHeight) + " frame");
}

}  // namespace

EngineAdapter::EngineAdapter() : workspace_(std::make_unique<Workspace>()) {}
EngineAdapter::~EngineAdapter() = default;

LoadOutcome EngineAdapter::load_patterns(const std::optional<std::filesystem::path>& named,
                                         const std::filesystem::path& shipped_directory) {
  const std::filesystem::path file = cli::choose_pattern_file(named, shipped_directory);
  FirstMessage messages;
  errno = 0;
  if (load_templates(workspace_->templates, messages, file)) return {};
  return {LoadProblem::cannot_open, messages.text(), errno};
}

LoadOutcome EngineAdapter::load_file(const std::filesystem::path& path) {
  FirstMessage messages;
  errno = 0;
  const ReadOutcome outcome = read_bitmap(path, workspace_->display, messages);
  const int system_error = errno;
  switch (outcome) {
    case ReadOutcome::read:
    case ReadOutcome::empty_picture:  // a black frame, read like any other
      return {};
    case ReadOutcome::cannot_open:
      return {LoadProblem::cannot_open, messages.text(), system_error};
    case ReadOutcome::corrupt:
    case ReadOutcome::too_big:
    case ReadOutcome::unsupported_format:
    case ReadOutcome::truncated:
      break;
  }
  return bad_picture(messages.text());
}

LoadOutcome EngineAdapter::load_pixels(const PixelView& pixels) {
  if (const std::optional<LoadOutcome> refused = refuse_unfitted(pixels)) return *refused;
  Plane& frame = workspace_->display;
  frame.fill(0);
  const std::int64_t red_at = pixels.order == ChannelOrder::rgb ? 0 : 2;
  const std::int64_t blue_at = 2 - red_at;
  for (std::int64_t y = 0; y < pixels.height; ++y) {
    std::uint8_t* out = frame.row(kFrameHeight - 1 - static_cast<int>(y));
    for (std::int64_t x = 0; x < pixels.width; ++x, out += kBytesPerPixel) {
      const std::uint8_t* in = pixels.data + y * pixels.row_stride + x * pixels.column_stride;
      out[static_cast<int>(Channel::blue)] = in[blue_at * pixels.channel_stride];
      out[static_cast<int>(Channel::green)] = in[pixels.channel_stride];
      out[static_cast<int>(Channel::red)] = in[red_at * pixels.channel_stride];
    }
  }
  return {};
}

RunReport EngineAdapter::run() {
  const auto start = std::chrono::steady_clock::now();
  run_recognition(*workspace_);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  RunReport report = cli::report_run(*workspace_, /*with_distances=*/true);
  report.elapsed_us = std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count();
  return report;
}

std::string EngineAdapter::display_name(const std::filesystem::path& path) {
  return cli::display_name(path);
}

}  // namespace plate::python
