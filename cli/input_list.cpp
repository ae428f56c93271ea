#include "input_list.h"

#include <algorithm>
#include <string_view>
#include <system_error>

#include "options.h"
#include "reader/names.h"

namespace plate::cli {

using reader::display_name;
using reader::escaped_name;
using reader::has_picture_extension;
using reader::picture_extensions_text;

namespace {

void add_directory(const std::filesystem::path& directory, InputList& list) {
  std::vector<std::filesystem::path> pictures;
  std::error_code error;
  for (std::filesystem::directory_iterator it(directory, error), end; !error && it != end;
       it.increment(error)) {
    std::error_code type_error;
    if (it->is_regular_file(type_error) && has_picture_extension(it->path())) pictures.push_back(it->path());
  }
  if (error) {
    list.errors.push_back(escaped_name(display_name(directory)) +
                          ": cannot list the directory: " + error.message());
    return;
  }
  if (pictures.empty())
    list.warnings.push_back(escaped_name(display_name(directory)) + ": no " +
                            std::string(picture_extensions_text()) + " file in the directory");
  std::sort(pictures.begin(), pictures.end(),
            [](const auto& a, const auto& b) { return a.filename() < b.filename(); });
  list.files.insert(list.files.end(), pictures.begin(), pictures.end());
}

void add_path(const std::filesystem::path& path, InputList& list) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    add_directory(path, list);
  } else {
    list.files.push_back(path);
  }
}

void add_listed_names(std::istream& name_list, bool null_separated, InputList& list) {
  std::size_t line_number = 0;
  for (std::string name; std::getline(name_list, name, null_separated ? '\0' : '\n');) {
    ++line_number;
    if (!null_separated) {
      if (name.find('\0') != std::string::npos) {
        list.usage_error = "line " + std::to_string(line_number) +
                           " of the name list on standard input holds a NUL byte; use -0 for a list of "
                           "NUL-terminated names";
        return;
      }
      if (!name.empty() && name.back() == '\r') name.pop_back();
    }
    if (!name.empty()) add_path(name, list);
  }
}

}  // namespace

InputList list_inputs(const std::vector<std::string>& arguments, std::istream& name_list,
                      bool null_separated) {
  InputList list;
  for (const std::string& argument : arguments) {
    if (argument != kNameListArgument) {
      add_path(argument, list);
    } else {
      add_listed_names(name_list, null_separated, list);
    }
    if (!list.usage_error.empty()) break;
  }
  return list;
}

}  // namespace plate::cli
