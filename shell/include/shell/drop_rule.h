#pragma once
// Which file of a drop is read as a picture.
//
// Only the first dropped file counts; further files of the same drop are ignored. Its path is
// skipped when it contains ".txt" or ".TXT" anywhere: a byte-wise, case-sensitive substring test,
// not a test of the extension, so "notes.txt.bmp" and a picture in a folder "x.txt" are skipped
// too while "notes.Txt" is read. The whole path is used, however long: cutting it at a buffer's
// length could name another file.

#include <filesystem>
#include <optional>
#include <span>

namespace plate {

// The path to read, or nothing when the drop is empty or its first path is skipped.
std::optional<std::filesystem::path> file_to_read(std::span<const std::filesystem::path> dropped_files);

}  // namespace plate
