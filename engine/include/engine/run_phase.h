#pragma once
// The phases of one recognition run, in the one order in which a run takes them.

#include <array>

namespace plate {

enum class RunPhase {
  reset,              // trace marks, log and candidate table back to zero
  seed_scan,          // trace and store the candidates
  clear_trace_marks,  // plate interpretation traces dots and hyphens without the seed scan's marks
  matching,           // each candidate's digit, and its match record
  grouping,           // the character list, its groups, sorted
  interpretation,     // each group read as a plate, or withdrawn with a log line
};

inline constexpr std::array kRunPhases{RunPhase::reset,    RunPhase::seed_scan, RunPhase::clear_trace_marks,
                                       RunPhase::matching, RunPhase::grouping,  RunPhase::interpretation};

}  // namespace plate
