#include "dead_ends.h"

namespace plate {

void DeadEnds::start_pass() {
  if (passes_ < 65534) {
    ++passes_;
    return;
  }
  entries_.fill(Entry{});
  endings_.fill(Ending{});
  passes_ = 0;
  kept_in_pass_ = 0;
}

}  // namespace plate
