#pragma once
// Where plate-read writes the overlay picture of each input file, if anywhere.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "options.h"

namespace plate::cli {

struct OverlayTargets {
  std::vector<std::optional<std::filesystem::path>> paths;  // one per input file
  std::string usage_error;                                  // empty when the plan is usable
};

// --overlay takes exactly one input file and a target named .png or .bmp (overlay_picture.h).
// --overlay-dir gives DIR/NAME-overlay.bmp for input NAME.bmp and DIR/NAME-overlay.png for the
// other pictures (the suffix keeps a picture from being overwritten when DIR is the directory it
// came from); two inputs that would write the same file are refused rather than one overlay lost,
// and so is a target that is one of the inputs, compared by file identity, not by spelling.
// Nothing is created here.
OverlayTargets plan_overlay_targets(const std::vector<std::filesystem::path>& files, const Options& options);

}  // namespace plate::cli
