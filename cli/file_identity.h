#pragma once
// Which file a path names, whatever its spelling: "in.bmp", "./d/../in.bmp", a symbolic or a hard
// link to it all name the same file.

#include <compare>
#include <cstdint>
#include <filesystem>
#include <optional>

namespace plate::cli {

struct FileIdentity {
  std::uint64_t device;  // the file system (st_dev; the volume serial number on Windows)
  std::uint64_t file;    // the file in it (st_ino; the file index on Windows)
  auto operator<=>(const FileIdentity&) const = default;
};

// The identity of the file `path` names, following symbolic links; nothing when it does not exist
// or cannot be looked at.
std::optional<FileIdentity> identity_of(const std::filesystem::path& path);

}  // namespace plate::cli
