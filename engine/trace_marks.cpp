#include "trace_marks.h"

namespace plate {

TraceMarks::TraceMarks() {
  clear_stamps();
}

void TraceMarks::clear_stamps() {
  stamps_.fill(0);
  for (int x = 0; x < kFrameWidth; ++x)
    stamps_[index(x, 0)] = stamps_[index(x, kFrameHeight - 1)] = kRimStamp;
  for (int y = 0; y < kFrameHeight; ++y)
    stamps_[index(0, y)] = stamps_[index(kFrameWidth - 1, y)] = kRimStamp;
}

void TraceMarks::clear_all() {
  if (passes_ < kLastPass) {
    ++passes_;
    return;
  }
  clear_stamps();
  passes_ = 0;
}

}  // namespace plate
