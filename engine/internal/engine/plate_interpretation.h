#pragma once
// Plate interpretation: reads each group of the sorted character list as the serial number of a
// number plate, finds the dots or the hyphen its digit count demands, writes its frame and text,
// and withdraws (with a line in the diagnostic log) the groups that fail.

namespace plate {

struct Workspace;

// Walks the grouped and sorted character list of workspace.result. For every group it writes the
// Group entry (digit count, frame, text); a group that fails gets digit count 0, its entries group
// id 0 (they stay in place), and for most reasons one line in the log. Traces dots and hyphens in
// workspace.picture() at the middle contrast level, leaving their marks in workspace.trace_marks,
// which must hold no marks but this step's own when it starts.
//
// Assumes every group id in the list lies in 1..300 and every candidate index in 0..299, as
// grouping leaves them. Never reads outside the display plane, whatever the boxes of the list.
void interpret_plates(Workspace& workspace);

}  // namespace plate
