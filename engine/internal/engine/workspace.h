#pragma once
// The workspace: every plane and table the engine works in, created once and reused by every run.
// A run allocates nothing. RecognitionEngine owns the one workspace of a program and creates it
// value-initialised, so that it is all zero bytes, as at program start, but for the trace marks,
// which hold the frame's rim from the start.

#include <cstdint>

#include "candidate_table.h"
#include "contrast.h"
#include "dead_ends.h"
#include "engine/plane.h"
#include "engine/run_result.h"
#include "engine/shape_record.h"
#include "engine/template_file.h"
#include "trace_marks.h"

namespace plate {

struct Workspace {
  // The picture a run reads: the caller's own plane while RecognitionEngine lends it for a run (a
  // run reads it in place rather than paying a 2.4 MB copy), else `display`.
  const Plane& picture() const { return lent_picture != nullptr ? *lent_picture : display; }

  Plane display;              // the picture of runs started on the workspace itself
  const Plane* lent_picture;  // null unless a caller's picture is lent for the current run
  TemplateTable templates;
  TraceMarks trace_marks;  // the marks of the current pass
  DeadEnds dead_ends;      // the seed scan's known dead ends
  ShapeRecord current_shape;
  CandidateTable candidates;
  ContrastWorkArea contrast;
  RunResult result;
};

}  // namespace plate
