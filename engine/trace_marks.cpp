#include "trace_marks.h"

namespace plate {

void TraceMarks::clear_all() {
  if (passes_ < 65534) {
    ++passes_;
    return;
  }
  stamps_.fill(0);
  passes_ = 0;
}

}  // namespace plate
