#pragma once
// Fits a decoded frame into the 1024 x 768 frame as a photo is fitted: shrunk keeping its aspect
// when larger, its top row on plane row 767, the rest black. Conversion and shrinking are one pass
// of libswscale's area filter, straight from the decoder's pixels into the plane. Each thread that
// fits needs its own fitter.

#include <optional>
#include <string>

#include "engine/plane.h"
#include "image/decoded_picture.h"
#include "image/frame_fit.h"
#include "video/decoded_frame.h"

struct SwsContext;

namespace plate::video {

class FrameFitter {
 public:
  FrameFitter() = default;
  ~FrameFitter();
  FrameFitter(const FrameFitter&) = delete;
  FrameFitter& operator=(const FrameFitter&) = delete;

  // Fits `decoded` into `frame`; with `source`, also converts it at its own size (for overlays).
  // False when the frame's pixel format cannot be converted; failure() says so.
  bool fit(const DecodedFrame& decoded, Plane& frame, FrameMapping& mapping, DecodedPicture* source);
  const std::optional<std::string>& failure() const { return failure_; }

 private:
  SwsContext* to_plane_ = nullptr;
  SwsContext* to_source_ = nullptr;
  std::optional<std::string> failure_;
};

}  // namespace plate::video
