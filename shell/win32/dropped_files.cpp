#include "shell/win32/dropped_files.h"

#include <string>

namespace plate {

std::vector<std::filesystem::path> dropped_files(HDROP drop) {
  constexpr UINT kAskForCount = 0xFFFFFFFF;
  const UINT count = DragQueryFileW(drop, kAskForCount, nullptr, 0);
  std::vector<std::filesystem::path> files;
  files.reserve(count);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);  // characters, without the terminator
    std::wstring name(std::size_t{length} + 1, L'\0');
    name.resize(DragQueryFileW(drop, i, name.data(), length + 1));
    files.emplace_back(std::move(name));
  }
  return files;
}

}  // namespace plate
