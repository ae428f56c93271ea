#pragma once
// Reads a video as plate-read and the Python module do: one thread decodes frames while the
// calling thread fits and reads them and tracks the plates, so on two cores decoding and reading
// overlap. Every callback runs on the calling thread, in frame order.

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "image/decoded_picture.h"
#include "reader/reader.h"
#include "reader/record.h"
#include "video/plate_tracker.h"
#include "video/video_decoder.h"

namespace plate::video {

struct VideoReadSettings {
  DecodeSettings decode;
  TrackerSettings tracking;
  bool keep_source_pixels = false;  // also give each frame read at its own size (overlays)
};

struct FrameRead {
  const reader::Record& record;
  FrameStamp at;
  const reader::Reader& reader;  // its frame, mapping and plates, for drawing
  DecodedPicture* source;  // the frame at its own size, when keep_source_pixels was set; may be drawn on
  const VideoInfo& info;
};

struct VideoProgress {
  std::int64_t frames_decoded = 0;
  std::int64_t frames_read = 0;
  double position_seconds = 0.0;
  double duration_seconds = 0.0;  // 0 when unknown (a live stream)
};

// Each returns false to end the reading (the output failed); the events still open are then not given.
struct VideoCallbacks {
  std::function<bool(const FrameRead&)> frame;
  std::function<bool(const PlateEvent&)> event;
  std::function<void(const VideoProgress&)> progress;  // after every frame read
};

struct VideoOutcome {
  std::optional<std::string> failure;  // why the source ended early (events up to there were given)
  bool stopped = false;                // settings.decode.stop was set, or a callback returned false
  VideoInfo info;
  VideoProgress progress;
};

// Opens `source`, reads one frame in `every` with `reader` and gives every event, also those of the
// tracks still open when the source ends, fails or is stopped.
VideoOutcome read_video(const std::string& source, reader::Reader& reader, const VideoReadSettings& settings,
                        const VideoCallbacks& callbacks);

}  // namespace plate::video
