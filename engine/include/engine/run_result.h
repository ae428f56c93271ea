#pragma once
// The result of one recognition run, as the engine hands it back read-only.

#include <cstdint>

#include "character_list.h"
#include "diagnostic_log.h"
#include "match_record.h"

namespace plate {

struct RunResult {
  std::uint32_t processing_ms;  // steps from the reset to the end of plate interpretation
  CharacterList characters;     // sorted by group id, then left to right
  GroupTable groups;
  std::int32_t next_group_id;  // 0 before the first run; plates carry the ids 1 .. next - 1
  DiagnosticLog log;
  MatchTable matches;  // by candidate index; entries of candidates this run did not make are zero
};

}  // namespace plate
