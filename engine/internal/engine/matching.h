#pragma once
// Template matching: which digit, if any, each candidate is.

#include <cstdint>
#include <optional>

#include "contrast.h"
#include "engine/plane.h"
#include "engine/shape_record.h"
#include "engine/signature_match.h"
#include "engine/template_file.h"

namespace plate {

struct Workspace;

// The largest magnitude a signature entry of a traced contour can reach: each move turns by at
// most three eighths, over at most 1023 moves, and smoothing adds one lap across the chain's
// ends. Within it every sum of signature_distance fits in 32 bits: 1024 x (4 x 138465 + 360) < 2^31.
inline constexpr std::int32_t kMaxSignatureMagnitude = 3 * (kMaxContourPoints - 1) * 45 + 360;

// Whether the matcher can compare the record without reading past it or overflowing: point_count
// 0..1024, start_direction 0..7, and smoothed_angles[0 .. point_count - 1] within
// +-kMaxSignatureMagnitude. Every traced candidate is; a template from the pattern file may not be.
bool is_comparable(const ShapeRecord& record);

// Compares the candidate's direction signature, spread over the template's length, with the
// template read from each of its points, and keeps the smallest distance (earliest shift on ties).
// Returns kNoMatchDistance and rotation 0 when either record has no points.
// Both records must be is_comparable().
SignatureMatch signature_distance(const ShapeRecord& template_record, const ShapeRecord& candidate);

// signature_distance when its distance is below `bound`, else nullopt: the comparison stops as
// soon as the distance is known to reach the bound.
std::optional<SignatureMatch> signature_distance_below(const ShapeRecord& template_record,
                                                       const ShapeRecord& candidate, std::int32_t bound);

// Gives candidate a '0' or '8' by looking for a pixel whose brightness (B + G + R) / 3 is below the
// box's middle level on the middle column between one and two thirds of its height. Leaves other characters,
// and any character when the contrast cannot be measured, as they are. The box must lie inside the plane.
void check_zero_eight(ContrastWorkArea& work, const Plane& picture, ShapeRecord& candidate);

// The windows of the decision, public so that a report can say why a template was refused:
// whether the rotation is near upright (below 20, negative values included, or above 345), or
// near upside down (between 160 and 200) for the digits 0, 1 and 8, which read the same turned
// over.
bool rotation_accepted(std::int32_t rotation, std::uint8_t template_character);

// Whether the candidate's box has the proportions of the template's digit: the one window for
// '1', the digit window for any other. A box of width 0 has none.
bool proportion_accepted(const ShapeRecord& candidate, std::uint8_t template_character);

// Writes the character of every candidate of the workspace: the best template among those whose
// rotation and proportion windows accept it, if its distance is below 30; otherwise 0. Earlier
// templates win ties. Records each candidate's decision in workspace.result.matches (the nearest
// and the runner-up accepted template, and the template of the digit it finally shows); the
// records of the rest of the table become zero. Reads workspace.templates and workspace.picture().
void decide_characters(Workspace& workspace);

}  // namespace plate
