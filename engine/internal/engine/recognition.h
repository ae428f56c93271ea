#pragma once
// The run over the workspace, phase by phase; RecognitionEngine is its public face.

#include <cstdint>

#include "engine/run_phase.h"
#include "workspace.h"

namespace plate {

// One phase of a run over the workspace. Taken in the order of kRunPhases, the phases are one run.
void run_phase(Workspace& workspace, RunPhase phase);

// One recognition run over workspace.picture() with workspace.templates; leaves the run result in
// workspace.result. Never changes the display plane, never fails, allocates nothing.
void run_recognition(Workspace& workspace);

// The processing time between two readings of a wrapping 32-bit millisecond counter.
constexpr std::uint32_t elapsed_ms(std::uint32_t start_tick, std::uint32_t end_tick) {
  return end_tick - start_tick;
}

}  // namespace plate
