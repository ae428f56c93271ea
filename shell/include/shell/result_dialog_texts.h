#pragma once
// The two texts of the result dialog, composed from a run result. Both are UTF-8 with "\r\n" line
// ends, as the dialog's edit boxes show them; plate texts are converted from their Shift-JIS bytes.

#include <cstdint>
#include <string>

#include "engine/character_list.h"

namespace plate {

// The result box: "処理時間 = <ms> ms \r\n", then "\r\nNumberplate : <text>\r\n" for every plate
// that was read, in the order of the sorted character list (ascending group id), or
// "ナンバーを認識できませんでした。\r\n" when none was. An entry whose group id lies outside the
// group table is taken as belonging to no plate.
std::string compose_result_text(std::uint32_t processing_ms, const CharacterList& characters,
                                const GroupTable& groups);

// The contact box: a heading, the maker's name and the maker's contact lines, always the same.
std::string compose_contact_text();

}  // namespace plate
