// One recognition run: the phases in their fixed order over the workspace's fixed tables.
//
// Every phase starts from state that this run has reset, so nothing of one run's intermediate
// state reaches the next, and two runs over the same picture give identical results. The resets
// touch only what is read: the candidate count (entries past it are never read, and a stored
// candidate is written in every field that is read) and the pass stamp of the trace marks (one increment).
// The run allocates nothing.

#include "grouping.h"
#include "matching.h"
#include "plate_interpretation.h"
#include "recognition.h"
#include "seed_scan.h"
#include "tick_clock.h"

namespace plate {

void run_phase(Workspace& workspace, RunPhase phase) {
  switch (phase) {
    case RunPhase::reset:
      workspace.trace_marks.clear_all();
      workspace.result.log.clear();
      workspace.candidates.count = 0;  // a stored candidate is written in every field read
      return;
    case RunPhase::seed_scan:
      scan_seeds(workspace);
      return;
    case RunPhase::clear_trace_marks:
      workspace.trace_marks.clear_all();
      return;
    case RunPhase::matching:
      decide_characters(workspace);
      return;
    case RunPhase::grouping:
      build_character_list(workspace.candidates, workspace.result.characters);
      group_characters(workspace.result);
      sort_characters(workspace.result.characters);
      return;
    case RunPhase::interpretation:
      interpret_plates(workspace);
      return;
  }
}

void run_recognition(Workspace& workspace) {
  const std::uint32_t start_tick = millisecond_tick();
  for (const RunPhase phase : kRunPhases) run_phase(workspace, phase);
  workspace.result.processing_ms = elapsed_ms(start_tick, millisecond_tick());
}

}  // namespace plate
