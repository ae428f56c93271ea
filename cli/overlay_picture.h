#pragma once
// The overlay picture plate-read writes: the plates of a run framed and labelled as the desktop
// window shows them, drawn on the original picture at its own size (with the picture decoders;
// the Windows build keeps to the 1024 x 768 frame), as PNG or 24-bit BMP by the target's name.

#include <filesystem>
#include <optional>
#include <string>

#include "engine/plane.h"
#include "engine/recognition_engine.h"
#include "image/frame_fit.h"

namespace plate::cli {

enum class OverlayFormat { png, bmp };

// The plates to frame: a run's groups, with room for plates found elsewhere (the small-plate tiles)
// under the ids after the run's.
struct OverlayPlates {
  GroupTable groups;
  std::int32_t next_group_id = 1;
};

// The format a target's name asks for: .png or .bmp in any letter case; nothing for any other name
// (and for .png in a build without the picture decoders, which has no PNG encoder).
std::optional<OverlayFormat> overlay_format_named_by(const std::filesystem::path& target);

// Draws the plates on the picture at `input` and writes it to `target` whole or not at all.
// With the picture decoders the file is decoded again at full size, `mapping` being where its
// picture went in the frame; without them the overlay is drawn over `frame` itself. Returns why
// nothing was written, or nothing.
std::optional<std::string> write_overlay(const std::filesystem::path& input, const FrameMapping& mapping,
                                         Plane& frame, const OverlayPlates& plates,
                                         const std::filesystem::path& target);

}  // namespace plate::cli
