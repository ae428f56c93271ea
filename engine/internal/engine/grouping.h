#pragma once
// The character list and plate grouping: one entry per recognised digit, linked into plate groups
// (same height, side by side, same bottom line) and sorted group by group, left to right.

#include <cstdint>

#include "candidate_table.h"
#include "engine/character_list.h"

namespace plate {

struct RunResult;

// Clears the whole list, then adds one entry per candidate with a character, in candidate order.
void build_character_list(const CandidateTable& candidates, CharacterList& list);

// Links the entries at list positions i < j if their heights, centres and bottom lines agree
// (tolerances from the height of the entry at i), joining or merging their groups.
void link_pair(RunResult& result, int i, int j);

// Clears the group table, sets the next group id to 1, links every pair in list order, then gives
// each entry still in no group an id of its own.
void group_characters(RunResult& result);

// Negative when p comes first: by group id, then by x_min.
int order_characters(const CharacterEntry& p, const CharacterEntry& q);

// Sorts the valid entries of the list with order_characters.
void sort_characters(CharacterList& list);

}  // namespace plate
