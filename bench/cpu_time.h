#pragma once
// CPU time for the benchmarks' figures: of this thread (CLOCK_THREAD_CPUTIME_ID), so that a phase's
// share stays right on a machine busy with other work, or of every thread of the process
// (CLOCK_PROCESS_CPUTIME_ID).

#include <ctime>

namespace plate::bench {

inline double cpu_seconds(clockid_t clock = CLOCK_THREAD_CPUTIME_ID) {
  timespec now{};
  clock_gettime(clock, &now);
  return double(now.tv_sec) + 1e-9 * double(now.tv_nsec);
}

}  // namespace plate::bench
