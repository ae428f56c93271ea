#include "engine/template_file.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <system_error>

#include "matching.h"

namespace plate {

namespace {

char* table_bytes(TemplateTable& templates) {
  return reinterpret_cast<char*>(templates.data());
}

bool is_digit_template(const ShapeRecord& record) {
  return record.character >= '0' && record.character <= '9' && is_comparable(record);
}

// A record that is no digit template is emptied, so that it never matches, like the zero records
// past the end of a short file.
void empty_unsound_records(TemplateTable& templates) {
  for (ShapeRecord& record : templates)
    if (!is_digit_template(record)) record.point_count = 0;
}

TemplateLoadOutcome judge(TemplateTable& templates, std::uintmax_t file_bytes) {
  empty_unsound_records(templates);
  if (file_bytes != kPatternFileBytes) return {TemplateLoadStatus::wrong_size, file_bytes, -1};
  // A full-size file holds ten templates, so an empty record is as bad as an emptied one (ten zero
  // records are the size of a pattern file but hold no template at all); the earliest is named.
  const auto first_bad = std::ranges::find(templates, 0, &ShapeRecord::point_count);
  if (first_bad != templates.end())
    return {TemplateLoadStatus::bad_record, file_bytes,
            static_cast<std::int32_t>(first_bad - templates.begin())};
  return {TemplateLoadStatus::loaded, file_bytes, -1};
}

}  // namespace

TemplateLoadOutcome fill_templates(TemplateTable& templates, std::span<const std::byte> bytes) {
  const std::size_t n = bytes.size() < kPatternFileBytes ? bytes.size() : kPatternFileBytes;
  std::memset(table_bytes(templates), 0, kPatternFileBytes);
  if (n > 0) std::memcpy(table_bytes(templates), bytes.data(), n);
  return judge(templates, bytes.size());
}

TemplateLoadOutcome load_template_file(TemplateTable& templates, const std::filesystem::path& pattern_file) {
  static_assert(sizeof(TemplateTable) == kPatternFileBytes);
  std::memset(table_bytes(templates), 0, kPatternFileBytes);
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(pattern_file, error);
  if (status.type() == std::filesystem::file_type::not_found) return {TemplateLoadStatus::missing, 0, -1};
  if (error) return {TemplateLoadStatus::unreadable, 0, -1};
  if (status.type() != std::filesystem::file_type::regular)
    return {TemplateLoadStatus::not_a_regular_file, 0, -1};
  const std::uintmax_t file_bytes = std::filesystem::file_size(pattern_file, error);
  std::ifstream file(pattern_file, std::ios::binary);
  if (error || !file) return {TemplateLoadStatus::unreadable, 0, -1};
  // A short file fills the table as far as it reaches, a record cut in the middle keeping the
  // bytes that were read; bytes past the ten records are not read.
  file.read(table_bytes(templates), static_cast<std::streamsize>(kPatternFileBytes));
  if (file.bad()) {
    std::memset(table_bytes(templates), 0, kPatternFileBytes);
    return {TemplateLoadStatus::unreadable, 0, -1};
  }
  return judge(templates, file_bytes);
}

}  // namespace plate
