#pragma once
// The plates a run read, in the order the result dialog lists them. Both the dialog's text and
// plate-read's reports walk the run result through this one function, so they always agree.

#include <cstdint>
#include <vector>

#include "engine/character_list.h"

namespace plate {

struct PlateInList {
  std::int32_t group_id;     // index into the group table
  std::int32_t first_entry;  // position of the plate's left-most digit in the character list
  std::int32_t entry_count;  // its digits, left to right from first_entry
};

// Walks the first characters.count entries (at most the list's capacity): an entry with group id 0
// belongs to no plate that was read; otherwise the run of consecutive entries carrying its id is
// one plate. The list being sorted by group id and withdrawn groups carrying 0, every plate comes
// once, in ascending group id order.
std::vector<PlateInList> plates_in_dialog_order(const CharacterList& characters);

}  // namespace plate
