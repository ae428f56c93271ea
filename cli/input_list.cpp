#include "input_list.h"

#include <algorithm>
#include <system_error>

#include "options.h"

namespace plate::cli {

namespace {

bool has_bitmap_extension(const std::filesystem::path& path) {
  std::string extension = display_name(path.extension());
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
  return extension == ".bmp";
}

void add_directory(const std::filesystem::path& directory, InputList& list) {
  std::vector<std::filesystem::path> pictures;
  std::error_code error;
  for (std::filesystem::directory_iterator it(directory, error), end; !error && it != end;
       it.increment(error)) {
    std::error_code type_error;
    if (it->is_regular_file(type_error) && has_bitmap_extension(it->path())) pictures.push_back(it->path());
  }
  if (error) {
    list.errors.push_back(display_name(directory) + ": cannot list the directory: " + error.message());
    return;
  }
  if (pictures.empty()) list.warnings.push_back(display_name(directory) + ": no .bmp file in the directory");
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

}  // namespace

InputList list_inputs(const std::vector<std::string>& arguments, std::istream& name_list) {
  InputList list;
  for (const std::string& argument : arguments) {
    if (argument != kNameListArgument) {
      add_path(argument, list);
      continue;
    }
    for (std::string line; std::getline(name_list, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty()) add_path(line, list);
    }
  }
  return list;
}

std::string display_name(const std::filesystem::path& path) {
  const std::u8string utf8 = path.u8string();
  return {utf8.begin(), utf8.end()};
}

}  // namespace plate::cli
