#pragma once
// File names as the readers show them in text output and messages, and which names in a folder are
// pictures to read.

#include <filesystem>
#include <string>
#include <string_view>

namespace plate::reader {

// `name` with C-style escapes, as `ls -b` shows names: a backslash as \\, the control characters
// \a \b \t \n \v \f \r by their letters, every other control character (C0, DEL, and the C1 range
// U+0080..U+009F, which terminals may act on) and every byte that is not part of valid UTF-8 as
// \ooo, three octal digits per byte. Printable UTF-8 (spaces included) is kept as it is, so a name
// stays one field of one line, cannot steer the terminal, and the bytes can be recovered.
std::string escaped_name(std::string_view name);

// The path as UTF-8, for messages and records.
std::string display_name(const std::filesystem::path& path);

// Whether a folder's file of this name is read as a picture: .bmp, .jpg, .jpeg or .png in any
// letter case (.bmp alone where the picture decoders are not built).
bool has_picture_extension(const std::filesystem::path& path);

// Whether this build decodes JPEG, PNG and every BMP of any size (not where the picture decoders
// are not built: there 24-bit bitmaps that fit the frame are read).
bool decodes_photos();

// The extensions has_picture_extension takes, for messages: ".bmp, .jpg, .jpeg or .png".
std::string_view picture_extensions_text();

}  // namespace plate::reader
