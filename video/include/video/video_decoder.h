#pragma once
// Decodes a video file or stream (anything FFmpeg opens: MP4, MKV, AVI, MOV; H.264, H.265, MJPEG;
// rtsp://, udp://, http://) and fits each frame to be read into the 1024 x 768 frame, as a photo
// is fitted: shrunk keeping its aspect when larger, its top row on plane row 767, the rest black.
// Conversion and shrinking are one pass of libswscale's area filter, straight from the decoder's
// pixels into the plane.
//
// A source that gives no data for `stall_seconds` (a camera that stops, a network that stalls)
// ends with a failure instead of waiting; `stop` (set from a signal handler) ends it cleanly.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "engine/plane.h"
#include "image/decoded_picture.h"
#include "image/frame_fit.h"
#include "video/plate_tracker.h"

namespace plate::video {

struct DecodeSettings {
  std::int32_t every = 1;                   // read one frame in N (each is still decoded)
  double stall_seconds = 10.0;              // no data for this long ends the source with a failure
  const std::atomic<bool>* stop = nullptr;  // when set, the source ends cleanly at the next frame
  bool keep_source_pixels = false;          // also keep each frame read at its own size (overlays)
};

struct VideoInfo {
  std::string format;  // the demuxer's name ("mov,mp4,m4a,3gp,3g2,mj2", "mpegts", ...)
  std::string codec;   // "h264", "hevc", "mjpeg", ...
  std::int32_t width = 0, height = 0;
  double frames_per_second = 0.0;  // as the stream declares it; 0 when it does not
  double duration_seconds = 0.0;   // 0 for a live stream or when unknown
};

class VideoDecoder {
 public:
  // Opens `source` (a file name or a URL). A failure (no such file, a connection refused, no video
  // stream, an unknown codec) is in failure() and next() gives nothing.
  VideoDecoder(const std::string& source, DecodeSettings settings);
  ~VideoDecoder();
  VideoDecoder(const VideoDecoder&) = delete;
  VideoDecoder& operator=(const VideoDecoder&) = delete;

  const std::optional<std::string>& failure() const { return failure_; }
  const VideoInfo& info() const { return info_; }

  // Decodes up to the next frame to be read and fits it into `frame`. False at the end of the
  // source, when stopped, or on a failure (then failure() says why; frames read before it stand).
  bool next(Plane& frame, FrameStamp& at, FrameMapping& mapping);

  // The last frame given by next() at its own size, when keep_source_pixels was set.
  const DecodedPicture& source_pixels() const { return source_pixels_; }

  std::int64_t frames_decoded() const { return frames_decoded_; }
  bool stopped() const;

 private:
  struct Libraries;
  bool open(const std::string& source);
  bool fit(Plane& frame, FrameMapping& mapping);
  void note_end();
  bool ends_inside_a_transport_packet() const;

  DecodeSettings settings_;
  std::unique_ptr<Libraries> av_;
  std::optional<std::string> failure_;
  VideoInfo info_;
  DecodedPicture source_pixels_;
  std::int64_t frames_decoded_ = 0;
  std::int64_t damaged_frames_ = 0;  // decoded, but marked as damaged by the decoder, and not read
  std::int64_t packets_read_ = 0;    // of the video stream
  double last_seconds_ = 0.0;        // the time of the last frame decoded
  bool packet_pending_ = false;      // the decoder was full: the packet is sent again
  bool draining_ = false;
  std::chrono::steady_clock::time_point last_data_;
  bool stalled_ = false;

  friend int interrupt_callback(void* opaque);
};

}  // namespace plate::video
