#pragma once
// plate-read's JSON records as text, and the parts of a record that differ between two readings of
// the same picture (its timings) or between a file and the same bytes sent without a name.

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace plate::testing {

inline std::string without_timings(std::string json) {
  for (std::size_t at; (at = json.find("\"processing_ms\":")) != std::string::npos;)
    json.erase(at, json.find(',', json.find("\"elapsed_us\":", at)) + 1 - at);
  return json;
}

inline std::string without_file(std::string json) {
  if (json.starts_with("{\"file\":\"")) json.erase(1, json.find("\",", 9) + 2 - 1);
  return json;
}

// The --json lines `program` (plate-read) prints for `files`.
inline std::vector<std::string> plate_read_json(const std::string& program,
                                                const std::vector<std::filesystem::path>& files) {
  std::string command = "'" + program + "' --json";
  for (const std::filesystem::path& file : files) command += " '" + file.string() + "'";
  FILE* out = popen((command + " 2>/dev/null").c_str(), "r");
  std::string text;
  for (char buffer[4096]; const std::size_t n = std::fread(buffer, 1, sizeof buffer, out);)
    text.append(buffer, n);
  pclose(out);
  std::vector<std::string> lines;
  for (std::size_t from = 0, end; (end = text.find('\n', from)) != std::string::npos; from = end + 1)
    lines.push_back(text.substr(from, end - from));
  return lines;
}

}  // namespace plate::testing
