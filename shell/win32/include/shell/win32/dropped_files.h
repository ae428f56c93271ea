#pragma once
// The paths that a drop of files on the window carries (WM_DROPFILES).
//
// Each path is taken at its full length: its length is asked for first and the buffer sized to
// it, so that a path longer than any fixed buffer is never cut into the name of another file.
// The wide form keeps every character of the name, whatever the machine's ANSI code page.

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <filesystem>
#include <vector>

namespace plate {

// The dropped paths in the order Windows lists them. The drop stays the caller's to release
// (DragFinish).
std::vector<std::filesystem::path> dropped_files(HDROP drop);

}  // namespace plate
