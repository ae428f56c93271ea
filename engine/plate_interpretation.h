#pragma once
// Plate interpretation: reads each group of the sorted character list as the serial number of a
// number plate, finds the dots or the hyphen its digit count demands, writes its frame and text,
// and withdraws (with a line in the diagnostic log) the groups that fail.

namespace plate {

struct Workspace;

void interpret_plates(Workspace& workspace);

}  // namespace plate
