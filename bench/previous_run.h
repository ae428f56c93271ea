#pragma once
// The run as it was before its resets touched only what is read and its trace marks became pass
// stamps (the old way), and as it was after that but before the picture was read in place and
// the store, the smoothing and the matching were sped up (the stamped way): yardsticks for the run
// benchmarks, never used by the engine.

#include "engine/contour_tracer.h"
#include "engine/workspace.h"

namespace plate::bench {

// The old tracer: marks are the red bytes of a Plane-sized map.
ContourTrace previous_trace_contour(const Plane& picture, Plane& marks, ShapeRecord& shape, std::int32_t x,
                                    std::int32_t y, std::int32_t threshold);

// The old reset: fills `marks` and the whole candidate table, empties the log.
void previous_reset(Workspace& workspace, Plane& marks);
// The old seed scan with the old tracer, then the old second fill of `marks`.
void previous_seed_scan(Workspace& workspace, Plane& marks);
// A whole run the old way; leaves the same result as RecognitionEngine::run.
void previous_run(Workspace& workspace, Plane& marks);
// A whole run the stamped way, over a copy of `picture` in workspace.display; the same result.
void stamped_run(Workspace& workspace, const Plane& picture);

}  // namespace plate::bench
