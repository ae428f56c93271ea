#pragma once
// The pattern file: ten Shape records of 16428 bytes, one after the other, with no header.
// The record order is the template order, which breaks ties between equal distances.

#include <array>
#include <cstddef>
#include <filesystem>
#include <span>

#include "shape_record.h"
#include "template_load.h"

namespace plate {

inline constexpr int kTemplateCount = 10;
inline constexpr std::size_t kPatternFileBytes = kShapeRecordBytes * kTemplateCount;  // 164280
inline constexpr const char* kPatternFileName = "EBMPlog00.pat";

using TemplateTable = std::array<ShapeRecord, kTemplateCount>;

// Fills the table byte for byte from `bytes` (at most 164280 of them; the rest of the table becomes
// zero), then empties every record that is no sound digit template: a character byte other than
// '0'..'9', or one the matcher cannot compare safely (point_count outside 0..1024, start_direction
// outside 0..7, or a signature entry no trace can produce), so that matching never reads past a
// record nor overflows, and no candidate is ever labelled with a byte that is not a digit. Says
// how the bytes measured up: loaded, wrong_size or bad_record.
TemplateLoadOutcome fill_templates(TemplateTable& templates, std::span<const std::byte> bytes);

// Reads the pattern file at `pattern_file` into the table. Only a regular file is opened, so a
// FIFO or a device never blocks; anything that cannot be read leaves the table all zero.
TemplateLoadOutcome load_template_file(TemplateTable& templates, const std::filesystem::path& pattern_file);

}  // namespace plate
