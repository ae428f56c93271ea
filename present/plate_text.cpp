#include "present/plate_text.h"

namespace plate {

std::string plate_text_to_utf8(std::string_view plate_text) {
  constexpr unsigned char kShiftJisMiddleDot = 0xA5;
  std::string utf8;
  utf8.reserve(plate_text.size() * 3);
  for (const char c : plate_text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == kShiftJisMiddleDot) {
      utf8 += kMiddleDotUtf8;
    } else if (byte < 0x80) {
      utf8 += c;
    } else {
      utf8 += "\xEF\xBF\xBD";
    }
  }
  return utf8;
}

}  // namespace plate
