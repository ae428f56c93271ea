#include "input_list.h"

#include <algorithm>
#include <string_view>
#include <system_error>
#include <utility>

#include "options.h"
#include "reader/names.h"

namespace plate::cli {

using reader::display_name;
using reader::escaped_name;
using reader::has_picture_extension;
using reader::picture_extensions_text;

InputList::InputList(std::vector<std::string> arguments, std::istream& name_list, bool null_separated)
    : arguments_(std::move(arguments)), name_list_(name_list), null_separated_(null_separated) {}

void InputList::list_directory(const std::filesystem::path& directory) {
  directory_files_.clear();
  next_directory_file_ = 0;
  std::error_code error;
  for (std::filesystem::directory_iterator it(directory, error), end; !error && it != end;
       it.increment(error)) {
    std::error_code type_error;
    if (it->is_regular_file(type_error) && has_picture_extension(it->path()))
      directory_files_.push_back(it->path());
  }
  const std::string shown = std::string(kProgramName) + ": " + escaped_name(display_name(directory));
  if (error) {
    directory_files_.clear();
    problems_ += shown + ": cannot list the directory: " + error.message() + "\n";
    any_error_ = true;
    return;
  }
  if (directory_files_.empty())
    problems_ += shown + ": no " + std::string(picture_extensions_text()) + " file in the directory\n";
  std::sort(directory_files_.begin(), directory_files_.end(),
            [](const auto& a, const auto& b) { return a.filename() < b.filename(); });
}

// The next argument or listed name, before directories are opened.
std::optional<std::filesystem::path> InputList::next_name() {
  for (;;) {
    if (reading_name_list_) {
      std::string name;
      if (!std::getline(name_list_, name, null_separated_ ? '\0' : '\n')) {
        reading_name_list_ = false;
        continue;
      }
      ++line_number_;
      if (!null_separated_) {
        if (name.find('\0') != std::string::npos) {
          usage_error_ = "line " + std::to_string(line_number_) +
                         " of the name list on standard input holds a NUL byte; use -0 for a list of "
                         "NUL-terminated names";
          return std::nullopt;
        }
        if (!name.empty() && name.back() == '\r') name.pop_back();
      }
      if (!name.empty()) return std::filesystem::path(name);
      continue;
    }
    if (next_argument_ == arguments_.size()) return std::nullopt;
    std::string& argument = arguments_[next_argument_++];
    if (argument != kNameListArgument) return std::filesystem::path(std::move(argument));
    reading_name_list_ = true;
  }
}

std::optional<ListedFile> InputList::next() {
  while (usage_error_.empty()) {
    if (next_directory_file_ < directory_files_.size())
      return ListedFile{std::move(directory_files_[next_directory_file_++]), take_problems()};
    std::optional<std::filesystem::path> path = next_name();
    if (!path) break;
    std::error_code error;
    if (!std::filesystem::is_directory(*path, error)) return ListedFile{std::move(*path), take_problems()};
    list_directory(*path);
  }
  return std::nullopt;
}

std::vector<ListedFile> InputList::rest() {
  std::vector<ListedFile> files;
  while (std::optional<ListedFile> file = next()) files.push_back(std::move(*file));
  return files;
}

}  // namespace plate::cli
