#pragma once
// Writing an output file so that nobody ever sees half of it.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace plate::reader {

// Writes `bytes` to a new temporary file in the directory of `path` and renames it to `path`: a
// reader of `path` sees the old file or the whole new one, never a part, and a failure leaves the
// old file as it was (the temporary file is removed). Returns why it failed, or nothing. A link at
// `path` is replaced, not written through. Safe to call from several threads for different paths.
std::optional<std::string> write_file_atomically(const std::filesystem::path& path,
                                                 std::span<const std::uint8_t> bytes);

}  // namespace plate::reader
