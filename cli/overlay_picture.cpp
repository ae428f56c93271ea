#include "overlay_picture.h"

#include <cctype>
#include <cstdint>
#include <string_view>
#include <vector>

#include "image/bitmap_writer.h"
#include "output_file.h"
#include "present/overlay_drawing.h"
#include "present/overlay_plan.h"
#ifdef PLATE_READ_PICTURES
#include "image/png_encoder.h"
#include "image/source_picture.h"
#include "present/outcome_messages.h"
#endif

namespace plate::cli {

namespace {

bool extension_is(const std::filesystem::path& path, std::string_view wanted) {
  const std::string extension = path.extension().string();
  if (extension.size() != wanted.size()) return false;
  for (std::size_t i = 0; i < wanted.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(extension[i])) != wanted[i]) return false;
  return true;
}

}  // namespace

std::optional<OverlayFormat> overlay_format_named_by(const std::filesystem::path& target) {
  if (extension_is(target, ".bmp")) return OverlayFormat::bmp;
#ifdef PLATE_READ_PICTURES
  if (extension_is(target, ".png")) return OverlayFormat::png;
#endif
  return std::nullopt;
}

#ifdef PLATE_READ_PICTURES
std::optional<std::string> write_overlay(const std::filesystem::path& input, const FrameMapping& mapping,
                                         Plane& /*frame*/, const OverlayPlates& plates,
                                         const std::filesystem::path& target) {
  SourcePicture source = load_source_picture(input);
  if (source.outcome != PictureOutcome::loaded)
    return "the picture could not be read again: " +
           std::string(describe(source.outcome, source.bitmap_outcome));
  DecodedPicture& picture = source.picture;
  if (picture.width != mapping.source.width || picture.height != mapping.source.height)
    return std::string("the picture changed while it was read");
  if (picture.width == 0 || picture.height == 0) return std::string("the picture has no pixels to draw on");
  draw_overlay(picture, plan_source_overlay(plates.groups, plates.next_group_id, mapping),
               overlay_magnification(mapping));
  const std::vector<std::uint8_t> bytes =
      overlay_format_named_by(target) == OverlayFormat::png ? encode_png(picture) : encode_bitmap(picture);
  if (bytes.empty()) return std::string("the picture could not be encoded");
  return write_file_atomically(target, bytes);
}
#else
std::optional<std::string> write_overlay(const std::filesystem::path& /*input*/,
                                         const FrameMapping& /*mapping*/, Plane& frame,
                                         const OverlayPlates& plates, const std::filesystem::path& target) {
  draw_overlay(frame, plan_overlay(plates.groups, plates.next_group_id));
  return write_file_atomically(target, encode_bitmap(frame, kFrameWidth, kFrameHeight));
}
#endif

}  // namespace plate::cli
