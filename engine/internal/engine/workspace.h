#pragma once
// The workspace: every plane and table the engine works in, created once and reused by every run.
// A run allocates nothing. RecognitionEngine owns the one workspace of a program and creates it
// value-initialised, so that it is all zero bytes, as at program start.

#include <cstdint>

#include "candidate_table.h"
#include "contrast.h"
#include "engine/plane.h"
#include "engine/run_result.h"
#include "engine/shape_record.h"
#include "engine/template_file.h"

namespace plate {

struct Workspace {
  Plane display;  // the run's picture: a copy of the one the caller passed, read by the run
  TemplateTable templates;
  Plane trace_marks;  // a pixel is marked when its red byte is non-zero
  ShapeRecord current_shape;
  CandidateTable candidates;
  ContrastWorkArea contrast;
  RunResult result;
};

}  // namespace plate
