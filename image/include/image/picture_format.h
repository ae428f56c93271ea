#pragma once
// Which picture format a file is: told by its first bytes, and what its name claims.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>

namespace plate {

enum class PictureFormat { bmp, jpeg, png };

// "bmp", "jpeg", "png": the names the command line's JSON uses.
std::string_view format_name(PictureFormat format);

// The format the bytes start as ("BM", FF D8 FF, the 8-byte PNG signature), or nothing.
std::optional<PictureFormat> format_of_bytes(std::span<const std::byte> first_bytes);

// The format the name's extension claims, in any letter case (.bmp .dib, .jpg .jpeg .jpe .jfif,
// .png), or nothing for any other extension or none.
std::optional<PictureFormat> format_named_by(const std::filesystem::path& path);

}  // namespace plate
