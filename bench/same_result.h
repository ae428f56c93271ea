#pragma once
// Whether two runs left the same result: characters, groups, next group id, match records and log
// (the processing time aside).

#include <cstring>

#include "engine/run_result.h"

namespace plate::bench {

inline bool same_result(const RunResult& a, const RunResult& b) {
  return std::memcmp(&a.characters, &b.characters, sizeof a.characters) == 0 &&
         std::memcmp(&a.groups, &b.groups, sizeof a.groups) == 0 && a.next_group_id == b.next_group_id &&
         std::memcmp(&a.matches, &b.matches, sizeof a.matches) == 0 && a.log.view() == b.log.view();
}

}  // namespace plate::bench
