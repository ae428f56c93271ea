#pragma once
// The run's millisecond tick counter: a monotonic clock read as an unsigned 32-bit value, so it
// wraps about every 49.7 days; differences are taken in unsigned arithmetic (elapsed_ms).

#include <cstdint>

namespace plate {

std::uint32_t millisecond_tick();

}  // namespace plate
