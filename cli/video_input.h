#pragma once
// plate-read's video mode: which inputs are videos, and reading one of them to its events.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/template_file.h"
#include "options.h"

namespace plate::cli {

// Told by the bytes (video/video_probe.h): a URL, or a file whose bytes are no picture but a video
// container.
bool is_video_input(const std::filesystem::path& input);

// --overlay with a video: the target must name a video container (.mp4, .mkv, .avi, .mov) and not
// be the input. The usage error, or empty.
std::string check_video_overlay(const std::filesystem::path& input, const std::filesystem::path& target);

enum class VideoStatus { read, failed, interrupted, output_failed };

// Reads the video (events to standard output as text or JSON Lines, messages to standard error,
// progress when standard error is a terminal); Ctrl+C ends it cleanly with the events so far.
VideoStatus read_video_input(const std::filesystem::path& input, const Options& options,
                             const TemplateTable& templates,
                             const std::optional<std::filesystem::path>& overlay);

}  // namespace plate::cli
