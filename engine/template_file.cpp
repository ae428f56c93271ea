#include <cstring>
#include <fstream>

#include "matching.h"
#include "recognition.h"
#include "template_file.h"

namespace plate {

namespace {

// The file is not validated, but a point count outside 0..1024 would send the matcher past the
// record's arrays, and a start direction or signature entry no trace can produce would overflow
// its sums; such a template is emptied instead, which makes it unusable like a missing one.
void empty_unusable_templates(TemplateTable& templates) {
  for (ShapeRecord& record : templates) {
    if (!is_comparable(record)) record.point_count = 0;
  }
}

char* table_bytes(TemplateTable& templates) { return reinterpret_cast<char*>(templates.data()); }

}  // namespace

void fill_templates(TemplateTable& templates, std::span<const std::byte> bytes) {
  const std::size_t n = bytes.size() < kPatternFileBytes ? bytes.size() : kPatternFileBytes;
  std::memset(table_bytes(templates), 0, kPatternFileBytes);
  if (n > 0) std::memcpy(table_bytes(templates), bytes.data(), n);
  empty_unusable_templates(templates);
}

bool load_templates(TemplateTable& templates, MessageService& messages,
                    const std::filesystem::path& pattern_file) {
  static_assert(sizeof(TemplateTable) == kPatternFileBytes);
  std::memset(table_bytes(templates), 0, kPatternFileBytes);
  std::ifstream file(pattern_file, std::ios::binary);
  if (!file) {
    messages.show_message("EBMPlog00.patがありません。");
    return false;
  }
  // A short file fills the table as far as it reaches, a record cut in the middle keeping the
  // bytes that were read; bytes past the ten records are not read.
  file.read(table_bytes(templates), static_cast<std::streamsize>(kPatternFileBytes));
  empty_unusable_templates(templates);
  return true;
}

bool load_templates(TemplateTable& templates, MessageService& messages) {
  return load_templates(templates, messages, kPatternFileName);
}

}  // namespace plate
