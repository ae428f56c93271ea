#pragma once
// A one-line progress display on stderr for batches: "plate-read: 12/340 NAME" ("plate-read: 12
// NAME" when the number of files is not known beforehand), rewritten in place. It is cleared before anything
// else is written to stderr, so messages never run into it.

#include <cstddef>
#include <optional>
#include <ostream>
#include <string>

namespace plate::cli {

class ProgressLine {
 public:
  ProgressLine(std::ostream& out, bool enabled, std::optional<std::size_t> total)
      : out_(out), enabled_(enabled), total_(total) {}
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;
  ~ProgressLine() { clear(); }

  void show(std::size_t done, const std::string& last_name);
  // Any other line of progress (a video's frames and time); the caller keeps it to one row.
  void show_line(const std::string& line);
  void clear();

 private:
  std::ostream& out_;
  bool enabled_;
  std::optional<std::size_t> total_;
  std::size_t shown_length_ = 0;
};

}  // namespace plate::cli
