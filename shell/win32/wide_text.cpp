#include "shell/win32/wide_text.h"

#include <windows.h>

#include <climits>

namespace plate {

std::wstring widen(std::string_view utf8) {
  // MultiByteToWideChar counts in int; the program's texts are a few kilobytes at most.
  if (utf8.empty() || utf8.size() > INT_MAX) return {};
  const int utf8_length = static_cast<int>(utf8.size());
  const int wide_length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), utf8_length, nullptr, 0);
  if (wide_length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(wide_length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), utf8_length, wide.data(), wide_length);
  return wide;
}

}  // namespace plate
