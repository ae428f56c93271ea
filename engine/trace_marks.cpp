#include "trace_marks.h"

namespace plate {

void TraceMarks::forget_walks() {
  walk_cells_.fill(0);
  failed_walks_.fill(FailedWalk{0, 0, {0, -1}});
  walks_ = 0;
}

void TraceMarks::clear_all() {
  if (passes_ < 65534) {
    ++passes_;
    return;
  }
  stamps_.fill(0);
  passes_ = 0;
  forget_walks();  // their records name pass stamps that now come round again
}

std::uint32_t TraceMarks::begin_walk() {
  if (walks_ + 1 == kSerialLimit) forget_walks();  // the marks of the pass stay
  return ++walks_;
}

void TraceMarks::walk_failed(std::uint32_t serial, ThresholdRange same_walk) {
  failed_walks_[serial % kFailedWalkSlots] = FailedWalk{serial, stamp(), same_walk};
}

}  // namespace plate
