#pragma once
// The overlay picture of a read: its plates framed and labelled as the desktop window shows them,
// drawn on the original picture at its own size (with the picture decoders; without them, on the
// 1024 x 768 frame), written as PNG or 24-bit BMP by the target's name.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "reader/reader.h"

namespace plate::reader {

enum class OverlayFormat { png, bmp };

// The format a target's name asks for: .png or .bmp in any letter case; nothing for any other name
// (and for .png in a build without the picture decoders, which has no PNG encoder).
std::optional<OverlayFormat> overlay_format_named_by(const std::filesystem::path& target);

// What overlay_format_named_by takes, as a rule for a message.
std::string_view overlay_names_rule();

// The suffix of an input's overlay in a folder of overlays: a bitmap's overlay stays a bitmap, as
// it has always been; a photo's is a PNG, a fraction of the size a bitmap of its full size would take.
std::string_view overlay_suffix(const std::filesystem::path& input);

// Draws the plates of `reader`'s last read and writes the picture to `target` whole or not at all:
// with the picture decoders on the picture the reader kept (ReadSettings::keep_source, which an
// overlay needs), without them over the reader's frame. Returns why nothing was written, or nothing.
std::optional<std::string> write_overlay(const Reader& reader, const std::filesystem::path& target);

}  // namespace plate::reader
