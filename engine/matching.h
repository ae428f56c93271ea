#pragma once
// Template matching: which digit, if any, each candidate is.

#include <cstdint>

#include "contrast.h"
#include "plane.h"
#include "shape_record.h"

namespace plate {

struct Workspace;

inline constexpr std::int32_t kNoMatchDistance = 5000000;

struct SignatureMatch {
  std::int32_t distance;  // mean absolute direction difference in degrees; kNoMatchDistance if none
  std::int32_t rotation;  // candidate minus template direction, -359..359; 0 when no shift was tried
};

// Compares the candidate's direction signature, spread over the template's length, with the
// template read from each of its points, and keeps the smallest distance (earliest shift on ties).
SignatureMatch signature_distance(const ShapeRecord& template_record, const ShapeRecord& candidate);

// Gives candidate a '0' or '8' by looking for a pixel darker than the box's middle level on the
// middle column between one and two thirds of its height. Leaves other characters, and any
// character when the contrast cannot be measured, as they are.
void check_zero_eight(ContrastWorkArea& work, const Plane& picture, ShapeRecord& candidate);

// Writes the character of every candidate of the workspace: the best template among those whose
// rotation and proportion windows accept it, if its distance is below 30; otherwise 0.
void decide_characters(Workspace& workspace);

}  // namespace plate
