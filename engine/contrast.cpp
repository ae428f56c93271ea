#include "contrast.h"

namespace plate {

int find_two_hills(ContrastWorkArea&, std::span<const std::int32_t>, HillBounds&, HillBounds&) { return 0; }

int measure_contrast(ContrastWorkArea&, const Plane&, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                     ContrastLevels&) {
  return 0;
}

}  // namespace plate
