#pragma once
// The system's texts are UTF-8; Windows shows text through its "W" calls as UTF-16. Every text the
// program hands to Windows goes through here, so no text depends on the machine's ANSI code page:
// through an "A" call a Windows outside the Japanese locale would show the Japanese as garbage
// and the plate texts' middle dot as a yen sign.

#include <string>
#include <string_view>

namespace plate {

// UTF-8 to UTF-16 with MultiByteToWideChar; an invalid sequence becomes U+FFFD.
std::wstring widen(std::string_view utf8);

}  // namespace plate
