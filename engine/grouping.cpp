#include "grouping.h"

#include <cstring>

#include "workspace.h"

namespace plate {

void build_character_list(const CandidateTable&, CharacterList& list) {
  std::memset(&list, 0, sizeof list);
}

void link_pair(RunResult&, int, int) {}

void group_characters(RunResult& result) {
  std::memset(&result.groups, 0, sizeof result.groups);
  result.next_group_id = 1;
}

int order_characters(const CharacterEntry&, const CharacterEntry&) { return 0; }

void sort_characters(CharacterList&) {}

}  // namespace plate
