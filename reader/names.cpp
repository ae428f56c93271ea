#include "reader/names.h"

#include <algorithm>
#include <cstdint>

#include "image/picture_loader.h"
#include "reader/json_text.h"

namespace plate::reader {

namespace {

void append_octal(std::string& out, unsigned char byte) {
  out += '\\';
  out += static_cast<char>('0' + (byte >> 6));
  out += static_cast<char>('0' + ((byte >> 3) & 7));
  out += static_cast<char>('0' + (byte & 7));
}

// The C1 control characters U+0080..U+009F are encoded as C2 80..C2 9F.
bool is_c1_control(std::string_view sequence) {
  return sequence.size() == 2 && static_cast<unsigned char>(sequence[0]) == 0xC2 &&
         static_cast<unsigned char>(sequence[1]) <= 0x9F;
}

char letter_escape(char c) {
  switch (c) {
    case '\a':
      return 'a';
    case '\b':
      return 'b';
    case '\t':
      return 't';
    case '\n':
      return 'n';
    case '\v':
      return 'v';
    case '\f':
      return 'f';
    case '\r':
      return 'r';
    case '\\':
      return '\\';
    default:
      return 0;
  }
}

}  // namespace

std::string escaped_name(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  while (!name.empty()) {
    const auto byte = static_cast<unsigned char>(name[0]);
    const std::size_t length = utf8_sequence_length(name);
    const std::string_view sequence = name.substr(0, length == 0 ? 1 : length);
    if (const char letter = letter_escape(name[0])) {
      out += '\\';
      out += letter;
    } else if (length == 0 || byte < 0x20 || byte == 0x7F || is_c1_control(sequence)) {
      for (const char c : sequence) append_octal(out, static_cast<unsigned char>(c));
    } else {
      out += sequence;
    }
    name.remove_prefix(sequence.size());
  }
  return out;
}

std::string display_name(const std::filesystem::path& path) {
  const std::u8string utf8 = path.u8string();
  return {utf8.begin(), utf8.end()};
}

bool decodes_photos() {
  return picture_decoders_built();
}

std::string_view picture_extensions_text() {
  return decodes_photos() ? ".bmp, .jpg, .jpeg or .png" : ".bmp";
}

bool has_picture_extension(const std::filesystem::path& path) {
  std::string extension = display_name(path.extension());
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
  if (extension == ".bmp") return true;
  return decodes_photos() && (extension == ".jpg" || extension == ".jpeg" || extension == ".png");
}

}  // namespace plate::reader
