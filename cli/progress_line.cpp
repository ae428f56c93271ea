#include "progress_line.h"

#include "options.h"

namespace plate::cli {

namespace {

// Long names are cut from the front, where directories repeat, to keep the line on one row of
// an 80-column terminal; a cut never splits a UTF-8 sequence.
std::string shortened(const std::string& name, std::size_t room) {
  if (name.size() <= room) return name;
  std::size_t from = name.size() - room + 3;
  while (from < name.size() && (static_cast<unsigned char>(name[from]) & 0xC0) == 0x80) ++from;
  return "..." + name.substr(from);
}

constexpr std::size_t kLineRoom = 79;

}  // namespace

void ProgressLine::show(std::size_t done, const std::string& last_name) {
  if (!enabled_) return;
  const std::string count =
      total_ ? std::to_string(done) + "/" + std::to_string(*total_) : std::to_string(done);
  std::string line = std::string(kProgramName) + ": " + count + " ";
  line += shortened(last_name, line.size() < kLineRoom ? kLineRoom - line.size() : 0);
  show_line(line);
}

void ProgressLine::show_line(const std::string& line) {
  if (!enabled_) return;
  clear();
  out_ << line << std::flush;
  shown_length_ = line.size();
}

void ProgressLine::clear() {
  if (!enabled_ || shown_length_ == 0) return;
  out_ << '\r' << std::string(shown_length_, ' ') << '\r' << std::flush;
  shown_length_ = 0;
}

}  // namespace plate::cli
