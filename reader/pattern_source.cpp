#include "reader/pattern_source.h"

#include <system_error>

#include "engine/template_file.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace plate::reader {

std::filesystem::path choose_pattern_file(const std::optional<std::filesystem::path>& named,
                                          const std::optional<std::filesystem::path>& program_directory) {
  if (named) return *named;
  const std::filesystem::path bare(kPatternFileName);
  std::error_code error;
  if (std::filesystem::exists(bare, error)) return bare;
  if (program_directory) {
    const std::filesystem::path shipped = *program_directory / kPatternFileName;
    if (std::filesystem::exists(shipped, error)) return shipped;
  }
  return bare;
}

// argv[0] need not name the program's file (a shell may pass only the name found on PATH), so the
// platform's own answer comes first.
std::optional<std::filesystem::path> find_program_directory(const char* argv0) {
  std::error_code error;
#ifdef _WIN32
  std::wstring buffer(32768, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  if (length > 0 && length < buffer.size())
    return std::filesystem::path(buffer.substr(0, length)).parent_path();
#else
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error) return self.parent_path();
#endif
  if (argv0 == nullptr) return std::nullopt;
  const std::filesystem::path given(argv0);
  if (!given.has_parent_path()) return std::nullopt;
  const std::filesystem::path absolute = std::filesystem::absolute(given, error);
  if (error) return std::nullopt;
  return absolute.parent_path();
}

}  // namespace plate::reader
