#pragma once
// Turns the input arguments into the picture files to read, in the order to read them, one at a
// time as they are asked for: a list of names on standard input is read as the files are, so a
// list of any length costs no more memory than a short one.

#include <cstddef>
#include <filesystem>
#include <istream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace plate::cli {

struct ListedFile {
  std::filesystem::path path;
  // Lines for standard error about the inputs met since the file before it (a directory without
  // pictures, one that could not be listed), to be shown before its record.
  std::string problems;
};

// Each argument in turn: "-" reads file names from `name_list`, one a line (a trailing carriage
// return and empty lines are ignored), or with `null_separated` each ended by a NUL byte (as
// `find -print0` writes them; empty names are ignored, nothing else is stripped). A NUL byte
// inside a line of a newline-separated list is a usage error naming the line: the list was most
// likely meant for -0. A listed name is taken like an argument, "-" excepted; a
// directory gives its regular files whose extension is .bmp in any case, sorted by name, without
// descending into subdirectories; anything else is taken as a file, so that a missing file is
// reported by the reader like any other unreadable one.
class InputList {
 public:
  InputList(std::vector<std::string> arguments, std::istream& name_list, bool null_separated);

  // The next file; nothing once the inputs are done or a usage error ends them.
  std::optional<ListedFile> next();
  // Every file left, as next() gives them.
  std::vector<ListedFile> rest();

  // The problems met after the last file handed out.
  std::string take_problems() { return std::exchange(problems_, {}); }
  // Whether an input could not be listed: the run must then end with status 1.
  bool any_error() const { return any_error_; }
  // A name list that cannot be split into names: nothing after it may be read.
  const std::string& usage_error() const { return usage_error_; }

 private:
  std::optional<std::filesystem::path> next_name();
  void list_directory(const std::filesystem::path& directory);

  std::vector<std::string> arguments_;
  std::size_t next_argument_ = 0;
  std::istream& name_list_;
  bool null_separated_;
  bool reading_name_list_ = false;
  std::size_t line_number_ = 0;
  std::vector<std::filesystem::path> directory_files_;  // the rest of the directory being listed
  std::size_t next_directory_file_ = 0;
  std::string problems_;
  bool any_error_ = false;
  std::string usage_error_;
};

}  // namespace plate::cli
