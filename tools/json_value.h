#pragma once
// A small reader of one JSON value, for the JSON Lines the tools read: the real digit candidates
// beside the project and what `plate-read --json` writes. It reads all of JSON (objects, arrays,
// strings with their escapes, numbers, true, false, null) and refuses anything else rather than
// guessing; numbers are kept as doubles and as text, so an integer field can be checked to be one.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace plate::tools {

struct JsonValue {
  enum class Kind { null, boolean, number, string, array, object } kind = Kind::null;
  bool truth = false;
  double number = 0;
  std::string text;                                        // a string, or a number as written
  std::vector<JsonValue> items;                            // array
  std::vector<std::pair<std::string, JsonValue>> members;  // object, in the order written

  bool is_null() const { return kind == Kind::null; }
  // The member `key`; throws std::runtime_error naming it when there is none or this is no object.
  const JsonValue& at(std::string_view key) const;
  // This value as a 32-bit integer; throws std::runtime_error when it is not one.
  std::int32_t integer() const;
  const std::string& string() const;
  const std::vector<JsonValue>& array() const;
};

// Reads `text` as exactly one JSON value (white space around it allowed). Throws
// std::runtime_error saying what is wrong and at which column.
JsonValue parse_json(std::string_view text);

}  // namespace plate::tools
