#include "video/video_probe.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <fstream>
#include <vector>

#include "image/picture_format.h"

namespace plate::video {

namespace {

constexpr std::size_t kProbeBytes = 64 * 1024;
constexpr std::size_t kPictureSignatureBytes = 8;  // the longest, PNG's

}  // namespace

bool is_url(std::string_view source) {
  const std::size_t separator = source.find("://");
  if (separator == std::string_view::npos || separator == 0) return false;
  for (const char c : source.substr(0, separator))
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' ||
          c == '-' || c == '.'))
      return false;
  return true;
}

bool is_video_file(const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return false;
  std::ifstream file(path, std::ios::binary);
  std::vector<unsigned char> bytes(kProbeBytes + AVPROBE_PADDING_SIZE, 0);
  // A picture is told by its first bytes; only other files are read further.
  file.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(kPictureSignatureBytes));
  std::size_t count = static_cast<std::size_t>(file.gcount());
  if (count == 0 || format_of_bytes(std::as_bytes(std::span(bytes.data(), count)))) return false;
  file.read(reinterpret_cast<char*>(bytes.data() + count), std::streamsize(kProbeBytes - count));
  count += static_cast<std::size_t>(file.gcount());
  AVProbeData probe{};
  probe.filename = "";
  probe.buf = bytes.data();
  probe.buf_size = static_cast<int>(count);
  int score = 0;
  const AVInputFormat* format = av_probe_input_format2(&probe, 1, &score);
  if (!format || score <= AVPROBE_SCORE_MAX / 4) return false;
  // The single-picture demuxers (jpeg_pipe, tiff_pipe, webp_pipe, ...) name pictures, not videos.
  return !std::string_view(format->name).ends_with("_pipe");
}

}  // namespace plate::video
