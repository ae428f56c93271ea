#pragma once
// Which pattern file a reader loads its digit templates from.

#include <filesystem>
#include <optional>

namespace plate::reader {

// The file the user named; else "EBMPlog00.pat" in the working directory, as the desktop program
// reads it; else the one installed beside the program (`program_directory`, when known). When
// neither exists the bare name is returned, so that the loader reports it missing in its own words.
std::filesystem::path choose_pattern_file(const std::optional<std::filesystem::path>& named,
                                          const std::optional<std::filesystem::path>& program_directory);

// The directory of the running executable, if the platform tells; `argv0` is the fallback.
std::optional<std::filesystem::path> find_program_directory(const char* argv0);

}  // namespace plate::reader
