#include "tick_clock.h"

#include <chrono>

namespace plate {

std::uint32_t millisecond_tick() {
  const auto since_epoch = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(since_epoch).count());
}

}  // namespace plate
