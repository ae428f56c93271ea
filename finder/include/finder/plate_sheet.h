#pragma once
// The found plates straightened and laid side by side in one 1024 x 768 frame, for one run of the
// engine, and the way back from that frame to the photo.
//
// Each plate is warped from the picture it is given (the reader gives the fitted picture: finer
// pixels read no better with the shipped templates) to its own shape, the medium plate's
// 330 x 165 mm, at a width where the shipped templates read its digits well, and put in a slot of
// a grid on light grey; the slots are far enough apart that no group of digits spans two.

#include <optional>
#include <span>
#include <vector>

#include "engine/plane.h"
#include "finder/plate_finder.h"
#include "image/decoded_picture.h"
#include "image/frame_fit.h"

namespace plate {

struct SheetLayout {
  int plate_width = 300;  // frame pixels; the plate is half as high
  int gap = 24;           // background between slots and around the grid
  double margin = 0.03;   // of the plate's width and height, taken around the quadrilateral
  // The grey between the slots: light, since the run refuses a plate whose frame reaches into
  // darkness left of its first digit.
  int background = 220;
};

// Where one plate went: its slot in the frame (rows top-down, right and bottom exclusive) and the
// perspective transform from slot pixels to the original picture's pixels.
struct SheetSlot {
  FoundPlate plate;
  int left = 0, top = 0, width = 0, height = 0;
  std::array<double, 9> to_source{};  // row-major 3 x 3, homogeneous
};

class PlateSheet {
 public:
  // How many plates a frame holds at `layout`.
  static std::size_t capacity(const SheetLayout& layout);

  // Clears `frame` to black and lays the first capacity() of `plates` into it, straightened from
  // `picture` (the decoded picture they were found in, of any size up to its full one).
  PlateSheet(const DecodedPicture& picture, std::span<const FoundPlate> plates, Plane& frame,
             const SheetLayout& layout = {});

  const std::vector<SheetSlot>& slots() const { return slots_; }

  // A box of the frame (plane coordinates: rows from the bottom, inclusive) to the quadrilateral
  // it shows in the original picture, each corner kept within the picture; nothing when the
  // box's centre lies in no slot.
  std::optional<SourceQuad> to_source(const PixelBox& frame_box) const;

  // How far down its slot the box's centre lies, from 0 at the slot's top edge to 1 at its bottom
  // edge; nothing when the centre lies in no slot.
  std::optional<double> depth_in_slot(const PixelBox& frame_box) const;

  // How far along its slot the box's centre lies, from 0 at the slot's left edge to 1 at its right
  // edge; nothing when the centre lies in no slot.
  std::optional<double> across_slot(const PixelBox& frame_box) const;

 private:
  const SheetSlot* slot_at(const PixelBox& frame_box) const;

  int source_width_ = 0;
  int source_height_ = 0;
  std::vector<SheetSlot> slots_;
};

// The picture as it lies fitted in `frame`, held at the fitted size of a picture whose full size is
// mapping.source: what the sheet straightens plates from when no finer pixels are at hand.
DecodedPicture fitted_picture(const Plane& frame, const FrameMapping& mapping);

// The smallest box of whole picture pixels that holds the quadrilateral (clipped to the picture).
PixelBox bounding_box(const SourceQuad& quad, int source_width, int source_height);

}  // namespace plate
