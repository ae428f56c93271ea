// The plane is filled bottom-up through a negative row stride, so that the frame's top row lands
// on plane row 767 in the same pass that converts and shrinks it.

#include "video/frame_fitter.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <cstring>

namespace plate::video {

void FrameRelease::operator()(AVFrame* frame) const {
  av_frame_free(&frame);
}

FrameFitter::~FrameFitter() {
  sws_freeContext(to_source_);
  sws_freeContext(to_plane_);
}

bool FrameFitter::fit(const DecodedFrame& frame_read, Plane& frame, FrameMapping& mapping,
                      DecodedPicture* source) {
  const AVFrame& decoded = *frame_read.pixels;
  const auto format = static_cast<AVPixelFormat>(decoded.format);
  mapping.source = {decoded.width, decoded.height};
  mapping.fitted = fitted_size(decoded.width, decoded.height);
  to_plane_ =
      sws_getCachedContext(to_plane_, decoded.width, decoded.height, format, mapping.fitted.width,
                           mapping.fitted.height, AV_PIX_FMT_BGR24, SWS_AREA, nullptr, nullptr, nullptr);
  if (!to_plane_) {
    failure_ = "cannot convert the video's pixels (" + std::string(av_get_pix_fmt_name(format)) + ")";
    return false;
  }
  std::uint8_t* const top_row[4] = {frame.row(kFrameHeight - 1), nullptr, nullptr, nullptr};
  const int upward_stride[4] = {-kRowStride, 0, 0, 0};
  sws_scale(to_plane_, decoded.data, decoded.linesize, 0, decoded.height, top_row, upward_stride);
  // The rest of the frame is black, as around a fitted photo.
  const int first_picture_row = kFrameHeight - mapping.fitted.height;
  std::memset(frame.row(0), 0, std::size_t(first_picture_row) * kRowStride);
  if (mapping.fitted.width < kFrameWidth)
    for (int y = first_picture_row; y < kFrameHeight; ++y)
      std::memset(frame.row(y) + mapping.fitted.width * kBytesPerPixel, 0,
                  std::size_t(kFrameWidth - mapping.fitted.width) * kBytesPerPixel);

  if (source) {
    to_source_ = sws_getCachedContext(to_source_, decoded.width, decoded.height, format, decoded.width,
                                      decoded.height, AV_PIX_FMT_BGR24, SWS_POINT, nullptr, nullptr, nullptr);
    if (!to_source_) {
      failure_ = "cannot convert the video's pixels";
      return false;
    }
    source->source_width = source->width = decoded.width;
    source->source_height = source->height = decoded.height;
    source->bgr.resize(std::size_t(decoded.width) * decoded.height * 3);
    std::uint8_t* const rows[4] = {source->bgr.data(), nullptr, nullptr, nullptr};
    const int stride[4] = {decoded.width * 3, 0, 0, 0};
    sws_scale(to_source_, decoded.data, decoded.linesize, 0, decoded.height, rows, stride);
  }
  return true;
}

}  // namespace plate::video
