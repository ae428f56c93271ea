#include "shell/drop_rule.h"

#include <string_view>

namespace plate {

namespace {

// The test runs on the UTF-8 form of the path. It finds the same places as a test on the Shift-JIS
// bytes would: there '.' never belongs to a double-byte character, so neither do the letters that
// follow it, and in UTF-8 ASCII bytes never occur inside a multi-byte sequence.
bool names_text_file(const std::filesystem::path& path) {
  const std::u8string utf8 = path.u8string();
  const std::string_view bytes(reinterpret_cast<const char*>(utf8.data()), utf8.size());
  return bytes.find(".txt") != std::string_view::npos || bytes.find(".TXT") != std::string_view::npos;
}

}  // namespace

std::optional<std::filesystem::path> file_to_read(std::span<const std::filesystem::path> dropped_files) {
  if (dropped_files.empty() || names_text_file(dropped_files.front())) return std::nullopt;
  return dropped_files.front();
}

}  // namespace plate
