#include "tools/json_value.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace plate::tools {

namespace {

class JsonReader {
 public:
  explicit JsonReader(std::string_view text) : text_(text) {}

  JsonValue document() {
    JsonValue value = next_value();
    skip_space();
    if (at_ != text_.size()) fail("text after the value");
    return value;
  }

 private:
  [[noreturn]] void fail(const std::string& what) const {
    throw std::runtime_error(what + " at column " + std::to_string(at_ + 1));
  }
  void skip_space() {
    while (at_ < text_.size() &&
           (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\r' || text_[at_] == '\n'))
      ++at_;
  }
  bool take(char c) {
    skip_space();
    if (at_ < text_.size() && text_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }
  void expect(char c) {
    if (!take(c)) fail(std::string("expected '") + c + "'");
  }
  bool take_word(std::string_view word) {
    if (text_.substr(at_, word.size()) != word) return false;
    at_ += word.size();
    return true;
  }

  unsigned hex_unit() {
    if (at_ + 4 > text_.size()) fail("a \\u escape is cut short");
    unsigned unit = 0;
    const auto [end, error] = std::from_chars(text_.data() + at_, text_.data() + at_ + 4, unit, 16);
    if (error != std::errc{} || end != text_.data() + at_ + 4) fail("a \\u escape is not four hex digits");
    at_ += 4;
    return unit;
  }

  static void append_utf8(std::string& out, char32_t c) {
    if (c < 0x80) {
      out += char(c);
    } else if (c < 0x800) {
      out += char(0xC0 | (c >> 6));
      out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += char(0xE0 | (c >> 12));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    } else {
      out += char(0xF0 | (c >> 18));
      out += char(0x80 | ((c >> 12) & 0x3F));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    }
  }

  // A lone low surrogate \udcXX stands for the byte XX that was no UTF-8 (plate-read writes names
  // so, as Python's surrogateescape does); it is given back as that byte.
  std::string next_string() {
    expect('"');
    std::string out;
    while (at_ < text_.size() && text_[at_] != '"') {
      if (text_[at_] != '\\') {
        out += text_[at_++];
        continue;
      }
      if (++at_ >= text_.size()) fail("an escape is cut short");
      const char e = text_[at_++];
      switch (e) {
        case '"':
        case '\\':
        case '/':
          out += e;
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        case 'u': {
          const unsigned unit = hex_unit();
          if (unit >= 0xD800 && unit < 0xDC00 && take_word("\\u")) {
            const unsigned low = hex_unit();
            if (low < 0xDC00 || low >= 0xE000) fail("a surrogate pair is broken");
            append_utf8(out, char32_t(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)));
          } else if (unit >= 0xDC80 && unit < 0xDD00) {
            out += char(unit - 0xDC00);
          } else {
            append_utf8(out, char32_t(unit));
          }
          break;
        }
        default:
          fail(std::string("unknown escape \\") + e);
      }
    }
    expect('"');
    return out;
  }

  JsonValue next_value() {
    skip_space();
    if (at_ >= text_.size()) fail("unexpected end");
    JsonValue value;
    const char c = text_[at_];
    if (c == '"') {
      value.kind = JsonValue::Kind::string;
      value.text = next_string();
    } else if (c == '[') {
      value.kind = JsonValue::Kind::array;
      ++at_;
      if (!take(']')) {
        do value.items.push_back(next_value());
        while (take(','));
        expect(']');
      }
    } else if (c == '{') {
      value.kind = JsonValue::Kind::object;
      ++at_;
      if (!take('}')) {
        do {
          std::string key = next_string();
          expect(':');
          value.members.emplace_back(std::move(key), next_value());
        } while (take(','));
        expect('}');
      }
    } else if (take_word("null")) {
      value.kind = JsonValue::Kind::null;
    } else if (take_word("true")) {
      value.kind = JsonValue::Kind::boolean;
      value.truth = true;
    } else if (take_word("false")) {
      value.kind = JsonValue::Kind::boolean;
    } else {
      value.kind = JsonValue::Kind::number;
      const auto [end, error] =
          std::from_chars(text_.data() + at_, text_.data() + text_.size(), value.number);
      if (error != std::errc{} || !std::isfinite(value.number)) fail("expected a value");
      const auto length = static_cast<std::size_t>(end - (text_.data() + at_));
      value.text = std::string(text_.substr(at_, length));
      at_ += length;
    }
    return value;
  }

  std::string_view text_;
  std::size_t at_ = 0;
};

}  // namespace

const JsonValue& JsonValue::at(std::string_view key) const {
  for (const auto& [name, value] : members)
    if (name == key) return value;
  throw std::runtime_error("no field \"" + std::string(key) + "\"");
}

std::int32_t JsonValue::integer() const {
  if (kind != Kind::number || text.find_first_of(".eE") != std::string::npos ||
      number < std::numeric_limits<std::int32_t>::min() || number > std::numeric_limits<std::int32_t>::max())
    throw std::runtime_error("a field is not a 32-bit integer");
  return static_cast<std::int32_t>(number);
}

const std::string& JsonValue::string() const {
  if (kind != Kind::string) throw std::runtime_error("a field is not a string");
  return text;
}

const std::vector<JsonValue>& JsonValue::array() const {
  if (kind != Kind::array) throw std::runtime_error("a field is not an array");
  return items;
}

JsonValue parse_json(std::string_view text) {
  return JsonReader(text).document();
}

}  // namespace plate::tools
