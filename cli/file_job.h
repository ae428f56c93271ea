#pragma once
// One input file from picture to report: read, one recognition run, report, overlay picture.

#include <filesystem>
#include <optional>

#include "engine/workspace.h"
#include "file_report.h"

namespace plate::cli {

struct JobSettings {
  bool character_distances = false;  // worth their cost only when the report shows them
  bool review_candidates = false;
};

// Reads `path` into workspace.display and runs recognition there with the workspace's templates.
// A file that cannot be read gives a report with `error` (the reader's message) and no run.
// With `overlay_path`, the picture framed and labelled as the desktop window shows it is written
// there; a failure to write it is the report's overlay_error. The display plane then holds that
// overlay picture until the next read replaces it.
FileReport process_file(const std::filesystem::path& path, Workspace& workspace, const JobSettings& settings,
                        const std::optional<std::filesystem::path>& overlay_path);

}  // namespace plate::cli
