#pragma once
// The workspace: every plane and table the engine works in, created once and reused by every run.
// A run allocates nothing. The workspace is about 12 MB; create it on the heap
// (std::make_unique<Workspace>() gives one that is all zero bytes, as at program start).

#include <cstdint>

#include "candidate_table.h"
#include "character_list.h"
#include "contrast.h"
#include "diagnostic_log.h"
#include "plane.h"
#include "shape_record.h"
#include "template_file.h"
#include "trace_marks.h"

namespace plate {

// What a front end may read after a run. It stays unchanged until the next run, except the group
// table, which the shell clears when a new picture is dropped.
struct RunResult {
  std::uint32_t processing_ms;  // steps from the reset to the end of plate interpretation
  CharacterList characters;     // sorted by group id, then left to right
  GroupTable groups;
  std::int32_t next_group_id;  // 0 before the first run; painting visits ids 1 .. next - 1
  DiagnosticLog log;
};

struct Workspace {
  Plane display;  // the shown picture: written only by the shell, read by the run
  TemplateTable templates;
  TraceMarks trace_marks;  // the marks and dead ends of the current pass
  ShapeRecord current_shape;
  CandidateTable candidates;
  ContrastWorkArea contrast;
  RunResult result;
};

}  // namespace plate
