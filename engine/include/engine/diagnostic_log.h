#pragma once
// The run's diagnostic log: one fixed line per plate group that interpretation withdraws for a
// stated reason. At most 300 groups and 36 bytes a line, so 10,801 bytes hold every run's log.

#include <array>
#include <cstddef>
#include <string_view>

namespace plate {

class DiagnosticLog {
 public:
  static constexpr std::size_t kCapacity = 10801;  // including the terminating zero byte

  void clear() {
    length_ = 0;
    text_[0] = '\0';
  }
  // Appends as much of `line` as fits before the terminator; the capacity is never exceeded.
  void append(std::string_view line) {
    const std::size_t room = kCapacity - 1 - length_;
    const std::size_t n = line.size() < room ? line.size() : room;
    line.copy(text_.data() + length_, n);
    length_ += n;
    text_[length_] = '\0';
  }
  std::string_view view() const { return {text_.data(), length_}; }

 private:
  std::array<char, kCapacity> text_;
  std::size_t length_;
};

}  // namespace plate
