#pragma once
// The plates a run read, in the order the result dialog lists them. The dialog's text, the overlay
// and plate-read's reports all take the plates from here, so they always agree.

#include <cstdint>
#include <vector>

#include "engine/character_list.h"
#include "engine/group_runs.h"

namespace plate {

// Every plate of the list once, in ascending group id order (the list being sorted by group id,
// and withdrawn groups carrying 0), skipping any whose id lies outside the group table.
std::vector<GroupRun> plates_in_dialog_order(const CharacterList& characters);

}  // namespace plate
