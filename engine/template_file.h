#pragma once
// The pattern file: ten Shape records of 16428 bytes, one after the other, with no header.
// The record order is the template order, which breaks ties between equal distances.

#include <array>
#include <cstddef>
#include <filesystem>
#include <span>

#include "message_service.h"
#include "shape_record.h"

namespace plate {

inline constexpr int kTemplateCount = 10;
inline constexpr std::size_t kPatternFileBytes = kShapeRecordBytes * kTemplateCount;  // 164280
inline constexpr const char* kPatternFileName = "EBMPlog00.pat";

using TemplateTable = std::array<ShapeRecord, kTemplateCount>;

// Fills the table byte for byte from `bytes` (at most 164280 of them; the rest of the table becomes
// zero), then empties every template that the matcher cannot compare safely (point_count outside
// 0..1024, start_direction outside 0..7, or a signature entry no trace can produce), so that
// matching never reads past a record nor overflows.
void fill_templates(TemplateTable& templates, std::span<const std::byte> bytes);

}  // namespace plate
