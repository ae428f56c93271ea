#pragma once
// Rendered pictures for the run benchmarks beside the samples: plates on clutter, and photo-like
// scenes (fine texture, camera blur and sensor noise over the whole frame).

#include "bench_inputs.h"

namespace plate::bench {

// Appends the rendered pictures to `inputs.pictures`. Throws std::runtime_error when a font is
// missing.
void add_rendered_pictures(BenchInputs& inputs);

}  // namespace plate::bench
