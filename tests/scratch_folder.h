#pragma once
// A folder of its own for one test, made fresh under the system's temporary folder with a name no
// other test or run has: a fixed name lets two runs at once, or the leftovers of an earlier run
// by another user, meet in one folder. It is removed with everything in it when the test ends.
// And a file's bytes read or written whole.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <system_error>

namespace plate::testing {

inline std::string file_text(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void write_text(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline void write_file(const std::filesystem::path& path, std::span<const std::byte> bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

class ScratchFolder {
 public:
  explicit ScratchFolder(std::string_view prefix) {
    std::random_device random;
    do {
      path_ = std::filesystem::temp_directory_path() / (std::string(prefix) + "-" + std::to_string(random()));
    } while (!std::filesystem::create_directory(path_));  // false: the name was taken
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

}  // namespace plate::testing
