#pragma once
// FFmpeg's words for one of its error codes, for messages. Private to the video library.

extern "C" {
#include <libavutil/error.h>
}

#include <string>

namespace plate::video {

inline std::string av_error_text(int code) {
  char buffer[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, buffer, sizeof buffer);
  return buffer;
}

}  // namespace plate::video
