#pragma once
// One decoded frame, held by reference to the decoder's own buffers, so that it can be fitted on
// another thread while the decoder goes on with the next.

#include <memory>

#include "video/plate_tracker.h"

struct AVFrame;

namespace plate::video {

struct FrameRelease {
  void operator()(AVFrame* frame) const;
};

struct DecodedFrame {
  std::unique_ptr<AVFrame, FrameRelease> pixels;  // empty until the decoder gives a frame
  FrameStamp at;
};

}  // namespace plate::video
