#pragma once
// The two texts of the result dialog, composed from a run result. Both are UTF-8 with "\r\n" line
// ends, as the dialog's edit boxes show them; plate texts are converted from their Shift-JIS bytes.

#include <cstdint>
#include <span>
#include <string>

#include "engine/run_plates.h"

namespace plate {

// The result box: "処理時間 = <ms> ms \r\n", then "\r\nNumberplate : <text>\r\n" for every plate
// of the run (plates_in_dialog_order), or "ナンバーを認識できませんでした。\r\n" when none was read.
std::string compose_result_text(std::uint32_t processing_ms, std::span<const RunPlate> plates);

// The contact box: a heading, the maker's name and the maker's contact lines, always the same.
std::string compose_contact_text();

}  // namespace plate
