#pragma once
// Decodes a video file or stream (anything FFmpeg opens: MP4, MKV, AVI, MOV; H.264, H.265, MJPEG;
// rtsp://, udp://, http://) and gives each frame to be read, undamaged, with its number and time.
//
// A source that gives no data for `stall_seconds` (a camera that stops, a network that stalls)
// ends with a failure instead of waiting; `stop` (set from a signal handler) ends it cleanly.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "video/decoded_frame.h"

namespace plate::video {

struct DecodeSettings {
  std::int32_t every = 1;                   // read one frame in N (each is still decoded)
  double stall_seconds = 10.0;              // no data for this long ends the source with a failure
  const std::atomic<bool>* stop = nullptr;  // when set, the source ends cleanly at the next frame
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

  // Decodes up to the next frame to be read and hands its pixels to `frame`. False at the end of
  // the source, when stopped, or on a failure (then failure() says why; frames read before stand).
  bool next(DecodedFrame& frame);

  std::int64_t frames_decoded() const { return frames_decoded_; }
  bool stopped() const;

 private:
  struct Libraries;
  bool open(const std::string& source);
  void note_end();
  bool ends_inside_a_transport_packet() const;

  DecodeSettings settings_;
  std::unique_ptr<Libraries> av_;
  std::optional<std::string> failure_;
  VideoInfo info_;
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
