#pragma once
// Turns the input arguments into the list of picture files to read, in the order to read them.

#include <filesystem>
#include <istream>
#include <string>
#include <vector>

namespace plate::cli {

struct InputList {
  std::vector<std::filesystem::path> files;
  std::vector<std::string> warnings;  // worth telling, not a failure (a directory without pictures)
  std::vector<std::string> errors;    // inputs that could not be listed; the run must end with status 1
  std::string usage_error;            // a name list that cannot be split into names; nothing may be read
};

// Each argument in turn: "-" reads file names from `name_list`, one a line (a trailing carriage
// return and empty lines are ignored), or with `null_separated` each ended by a NUL byte (as
// `find -print0` writes them; empty names are ignored, nothing else is stripped). A NUL byte
// inside a line of a newline-separated list is a usage error naming the line: the list was most
// likely meant for -0. A listed name is taken like an argument, "-" excepted; a
// directory gives its regular files whose extension is .bmp in any case, sorted by name, without
// descending into subdirectories; anything else is taken as a file, so that a missing file is
// reported by the reader like any other unreadable one.
InputList list_inputs(const std::vector<std::string>& arguments, std::istream& name_list,
                      bool null_separated);

}  // namespace plate::cli
