#include "serve/read_options.h"

#include <charconv>
#include <limits>
#include <optional>
#include <string_view>

namespace plate::serve {

namespace {

// Nothing when the value was taken, else what is wrong with it.
using OptionSetter = std::optional<std::string> (*)(reader::ReadSettings&, std::string_view value);

std::optional<bool> parse_flag(std::string_view value) {
  if (value.empty() || value == "1" || value == "true") return true;
  if (value == "0" || value == "false") return false;
  return std::nullopt;
}

std::optional<std::string> set_flag(bool& flag, std::string_view value) {
  const std::optional<bool> on = parse_flag(value);
  if (!on) return "needs no value, 1, true, 0 or false";
  flag = *on;
  return std::nullopt;
}

std::optional<std::string> set_max_distance(reader::ReadSettings& settings, std::string_view value) {
  int limit = 0;
  const char* end = value.data() + value.size();
  const auto [stop, error] = std::from_chars(value.data(), end, limit);
  if (error != std::errc{} || stop != end || limit < 0) return "needs a distance of 0 or more";
  settings.max_distance = limit;
  return std::nullopt;
}

struct ReadOption {
  std::string_view name;
  OptionSetter set;
};

// One row an option: the same names as plate-read's options, with underscores.
constexpr ReadOption kReadOptions[] = {
    {"max_distance", set_max_distance},
    {"small_plates", [](reader::ReadSettings& s, std::string_view v) { return set_flag(s.small_plates, v); }},
    {"candidates",
     [](reader::ReadSettings& s, std::string_view v) { return set_flag(s.review_candidates, v); }},
    {"find_plates",
     [](reader::ReadSettings& s, std::string_view v) -> std::optional<std::string> {
       if (!reader::has_plate_finder()) return "find_plates: this build has no plate finder";
       return set_flag(s.find_plates, v);
     }},
};

}  // namespace

std::variant<reader::ReadSettings, std::string> parse_read_options(const QueryParameters& parameters) {
  reader::ReadSettings settings;
  for (const auto& [name, value] : parameters) {
    const ReadOption* option = nullptr;
    for (const ReadOption& known : kReadOptions)
      if (known.name == name) option = &known;
    if (option == nullptr) {
      std::string known_names;
      for (const ReadOption& known : kReadOptions)
        known_names += (known_names.empty() ? "" : ", ") + std::string(known.name);
      return "unknown option '" + name + "' (known: " + known_names + ")";
    }
    if (std::optional<std::string> problem = option->set(settings, value))
      return "option '" + name + "' " + *problem + ", not '" + value + "'";
  }
  return settings;
}

}  // namespace plate::serve
