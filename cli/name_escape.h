#pragma once
// File names as plate-read shows them in text output and messages.

#include <string>
#include <string_view>

namespace plate::cli {

// `name` with C-style escapes, as `ls -b` shows names: a backslash as \\, the control characters
// \a \b \t \n \v \f \r by their letters, every other control character (C0, DEL, and the C1 range
// U+0080..U+009F, which terminals may act on) and every byte that is not part of valid UTF-8 as
// \ooo, three octal digits per byte. Printable UTF-8 (spaces included) is kept as it is, so a name
// stays one field of one line, cannot steer the terminal, and the bytes can be recovered.
std::string escaped_name(std::string_view name);

}  // namespace plate::cli
