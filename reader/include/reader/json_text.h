#pragma once
// JSON string literals for the records' JSON.

#include <cstddef>
#include <string>
#include <string_view>

namespace plate::reader {

// Appends `text` as a quoted JSON string. Quote and backslash are escaped, control characters
// below 0x20 as \b \f \n \r \t or \u00XX; valid UTF-8 is copied as it is; a byte 0xXX that does
// not begin a valid UTF-8 sequence (a file name in another encoding) becomes the lone surrogate
// escape \udcXX, as Python's "surrogateescape" decodes it. The output is always valid UTF-8, two
// names that differ in such bytes stay apart, and no valid UTF-8 text can give the same escape
// (surrogates are not valid UTF-8), so the bytes can be recovered.
void append_json_string(std::string& out, std::string_view text);

// Length of the well-formed UTF-8 sequence at the start of `text` (not empty), or 0. Overlong
// forms, surrogates and code points above U+10FFFF are not well-formed.
std::size_t utf8_sequence_length(std::string_view text);

}  // namespace plate::reader
