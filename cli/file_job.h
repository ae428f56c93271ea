#pragma once
// One input file from picture to report: read, one recognition run, report, overlay picture.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "engine/workspace.h"
#include "file_report.h"

namespace plate::cli {

struct JobSettings {
  bool character_distances = false;  // worth their cost only when the report shows them
  bool review_candidates = false;
};

// "plate-read: NAME: TEXT" and a line end, the form of every message about one file; the name is
// escaped as the text output shows it.
std::string file_message_line(std::string_view name, std::string_view text);

// Reads `path` into workspace.display and runs recognition there with the workspace's templates.
// A file that cannot be read gives a report with `error` (which check failed, with the reader's
// own message in parentheses) and no run; a FIFO, device or socket is never opened.
// With `overlay_path`, the picture framed and labelled as the desktop window shows it is written
// there, whole or not at all (through a temporary file renamed into place); a failure to write it
// is the report's overlay_error. The display plane then holds that
// overlay picture until the next read replaces it.
FileReport process_file(const std::filesystem::path& path, Workspace& workspace, const JobSettings& settings,
                        const std::optional<std::filesystem::path>& overlay_path);

}  // namespace plate::cli
