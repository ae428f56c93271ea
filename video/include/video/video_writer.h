#pragma once
// Encodes pictures into a video file with libavcodec: the overlay video of a read, and the test
// and benchmark videos. The container follows the file's name (.mp4, .mkv, .avi, .mov). The file
// is written beside its target and renamed into place by finish(), so it is there whole or not at
// all.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "image/decoded_picture.h"

namespace plate::video {

struct EncodeSettings {
  std::string codec = "libx264";  // an encoder's name: "libx264", "libx265", "mjpeg", "mpeg4"
  std::int32_t quality = 23;      // libx264's and libx265's constant rate factor; mjpeg's and mpeg4's qscale
  std::int32_t keyframe_every = 50;
  std::int32_t threads = 0;  // 0: as many as the encoder likes
};

class VideoWriter {
 public:
  VideoWriter(const std::filesystem::path& target, std::int32_t width, std::int32_t height,
              std::int32_t frames_per_second, const EncodeSettings& settings = {});
  ~VideoWriter();
  VideoWriter(const VideoWriter&) = delete;
  VideoWriter& operator=(const VideoWriter&) = delete;

  // Why nothing more can be written (and finish() will write nothing), or nothing.
  const std::optional<std::string>& failure() const { return failure_; }

  // The next frame: `picture` must be width x height (a different size is a failure).
  bool add(const DecodedPicture& picture);

  // Flushes the encoder, closes the file and renames it into place. False on a failure.
  bool finish();

 private:
  struct Libraries;
  bool encode(bool flushing);

  std::unique_ptr<Libraries> av_;
  std::filesystem::path target_, partial_;
  std::optional<std::string> failure_;
  std::int64_t frames_ = 0;
  bool finished_ = false;
};

}  // namespace plate::video
