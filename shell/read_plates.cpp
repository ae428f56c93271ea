#include "read_plates.h"

#include <algorithm>

namespace plate {

std::vector<PlateInList> plates_in_dialog_order(const CharacterList& characters) {
  std::vector<PlateInList> plates;
  const std::int32_t count = std::clamp(characters.count, std::int32_t{0}, std::int32_t{kMaxCharacters});
  std::int32_t k = 0;
  while (k < count) {
    const std::int32_t g = characters.entries[static_cast<std::size_t>(k)].group_id;
    if (g == 0) {
      ++k;
      continue;
    }
    const std::int32_t first = k;
    while (k < count && characters.entries[static_cast<std::size_t>(k)].group_id == g) ++k;
    plates.push_back({g, first, k - first});
  }
  return plates;
}

}  // namespace plate
