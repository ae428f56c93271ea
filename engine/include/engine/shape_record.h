#pragma once
// The Shape record: the one description of a traced contour that the whole engine shares.
//
// Candidates and templates are the same record, and the pattern file is a byte image of ten of
// them, so the layout below is a file format: 16428 bytes, little-endian 32-bit fields, arrays of
// 1025 entries of which at most 1024 are ever filled (the last entry is never written or read).

#include <bit>
#include <cstddef>
#include <cstdint>

namespace plate {

inline constexpr int kMaxContourPoints = 1024;
inline constexpr int kContourArrayLength = kMaxContourPoints + 1;

struct ContourPoint {
  std::int32_t x;
  std::int32_t y;
};

struct ShapeRecord {
  std::uint8_t character;  // ASCII '0'..'9', or 0 while nothing is recognised
  std::uint8_t filler[3];
  std::int32_t point_count;                           // valid entries of the three arrays, 0..1024
  ContourPoint points[kContourArrayLength];           // contour pixels in tracing order
  std::int32_t angles[kContourArrayLength];           // entry direction, degrees, unwrapped
  std::int32_t smoothed_angles[kContourArrayLength];  // the direction signature
  std::int32_t x_max;
  std::int32_t x_min;
  std::int32_t y_max;  // rows count from the bottom of the picture
  std::int32_t y_min;
  std::int32_t start_direction;  // index 0..7 into the direction table of the tracer
};

inline constexpr std::size_t kShapeRecordBytes = 16428;

static_assert(std::endian::native == std::endian::little,
              "the pattern file is read as a byte image of little-endian records");
static_assert(sizeof(ContourPoint) == 8);
static_assert(sizeof(ShapeRecord) == kShapeRecordBytes);
static_assert(offsetof(ShapeRecord, character) == 0);
static_assert(offsetof(ShapeRecord, point_count) == 4);
static_assert(offsetof(ShapeRecord, points) == 8);
static_assert(offsetof(ShapeRecord, angles) == 8208);
static_assert(offsetof(ShapeRecord, smoothed_angles) == 12308);
static_assert(offsetof(ShapeRecord, x_max) == 16408);
static_assert(offsetof(ShapeRecord, x_min) == 16412);
static_assert(offsetof(ShapeRecord, y_max) == 16416);
static_assert(offsetof(ShapeRecord, y_min) == 16420);
static_assert(offsetof(ShapeRecord, start_direction) == 16424);

// Fills smoothed_angles[0 .. point_count - 1] with a moving average of angles whose half-width
// grows with the contour's length; the chain is continued across its ends as one
// counterclockwise lap (minus 360 before the start, plus 360 past the end).
// Changes nothing else; does nothing for point_count <= 0.
void smooth_signature(ShapeRecord& record);

}  // namespace plate
