#pragma once
// How near one candidate's outline is to one template's, as the matcher measures it.

#include <cstdint>

namespace plate {

inline constexpr std::int32_t kNoMatchDistance = 5000000;

struct SignatureMatch {
  std::int32_t distance;  // mean absolute direction difference in degrees; kNoMatchDistance if none
  std::int32_t rotation;  // candidate minus template direction, -359..359; 0 when no shift was tried
};

}  // namespace plate
