#pragma once
// The seed scan: every sixth row, left to right, a sharp bright-to-dark step starts a trace;
// contours of a digit's size, turning and proportions become candidates.

namespace plate {

struct Workspace;

void scan_seeds(Workspace& workspace);

}  // namespace plate
