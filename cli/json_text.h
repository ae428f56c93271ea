#pragma once
// JSON string literals for plate-read's reports.

#include <string>
#include <string_view>

namespace plate::cli {

// Appends `text` as a quoted JSON string. Quote and backslash are escaped, control characters
// below 0x20 as \b \f \n \r \t or \u00XX; valid UTF-8 is copied as it is; a byte that does not
// begin a valid UTF-8 sequence (a file name in another encoding) becomes U+FFFD, so that the
// output is always valid UTF-8 and valid JSON.
void append_json_string(std::string& out, std::string_view text);

}  // namespace plate::cli
