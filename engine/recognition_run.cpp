// One recognition run: the phases in their fixed order over the workspace's fixed tables.
//
// Every phase starts from state that this run has reset, so nothing of one run's intermediate
// state reaches the next, and two runs over the same picture give identical results. The resets
// touch only what is read: the candidate count (entries past it are never read, and a stored
// candidate is written whole) and the pass stamp of the trace marks (one increment). The run
// allocates nothing.

#include "grouping.h"
#include "matching.h"
#include "plate_interpretation.h"
#include "recognition.h"
#include "seed_scan.h"
#include "tick_clock.h"

namespace plate {

namespace {

void reset_workspace(Workspace& workspace) {
  workspace.trace_marks.clear_all();
  workspace.result.log.clear();
  workspace.candidates.count = 0;
}

}  // namespace

void run_recognition(Workspace& workspace) {
  const std::uint32_t start_tick = millisecond_tick();
  reset_workspace(workspace);
  scan_seeds(workspace);
  // Plate interpretation traces dots and hyphens from scratch, without the seed scan's marks.
  workspace.trace_marks.clear_all();
  decide_characters(workspace);
  build_character_list(workspace.candidates, workspace.result.characters);
  group_characters(workspace.result);
  sort_characters(workspace.result.characters);
  interpret_plates(workspace);
  workspace.result.processing_ms = elapsed_ms(start_tick, millisecond_tick());
}

}  // namespace plate
