#include "reader/overlay_file.h"

#include <cctype>
#include <cstdint>
#include <memory>
#include <vector>

#include "image/bitmap_writer.h"
#include "image/picture_format.h"
#include "image/picture_loader.h"
#include "image/png_encoder.h"
#include "present/overlay_drawing.h"
#include "present/overlay_plan.h"
#include "reader/output_file.h"

namespace plate::reader {

namespace {

bool extension_is(const std::filesystem::path& path, std::string_view wanted) {
  const std::string extension = path.extension().string();
  if (extension.size() != wanted.size()) return false;
  for (std::size_t i = 0; i < wanted.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(extension[i])) != wanted[i]) return false;
  return true;
}

// The PNG encoder comes with the picture decoders; overlay_format_named_by never asks for a PNG
// where they are not built.
std::vector<std::uint8_t> png_bytes([[maybe_unused]] const DecodedPicture& picture) {
#ifdef PLATE_READ_PICTURES
  return encode_png(picture);
#else
  return {};
#endif
}

}  // namespace

std::optional<OverlayFormat> overlay_format_named_by(const std::filesystem::path& target) {
  if (extension_is(target, ".bmp")) return OverlayFormat::bmp;
  if (picture_decoders_built() && extension_is(target, ".png")) return OverlayFormat::png;
  return std::nullopt;
}

std::string_view overlay_names_rule() {
  return picture_decoders_built() ? "an overlay is written as PNG or BMP: name it .png or .bmp"
                                  : "an overlay is written as a BMP: name it .bmp";
}

std::string_view overlay_suffix(const std::filesystem::path& input) {
  return !picture_decoders_built() || format_named_by(input) == PictureFormat::bmp ? "-overlay.bmp"
                                                                                   : "-overlay.png";
}

// With the picture decoders the overlay is drawn on the picture the reader kept at its full size;
// without them (Windows) on the 1024 x 768 frame, as that program has always written it.
std::optional<std::string> write_overlay(const Reader& reader, const std::filesystem::path& target) {
  if (!picture_decoders_built()) {
    const auto frame = std::make_unique<Plane>(reader.frame());
    draw_overlay(*frame, plan_overlay(reader.plates()));
    return write_file_atomically(target, encode_bitmap(*frame, kFrameWidth, kFrameHeight));
  }
  const FrameMapping& mapping = reader.mapping();
  DecodedPicture picture = reader.source();
  if (picture.width != mapping.source.width || picture.height != mapping.source.height)
    return std::string("the picture was not kept at its full size");
  if (picture.width == 0 || picture.height == 0) return std::string("the picture has no pixels to draw on");
  draw_overlay(picture, plan_source_overlay(reader.plates(), mapping), overlay_magnification(mapping));
  const std::vector<std::uint8_t> bytes =
      overlay_format_named_by(target) == OverlayFormat::png ? png_bytes(picture) : encode_bitmap(picture);
  if (bytes.empty()) return std::string("the picture could not be encoded");
  return write_file_atomically(target, bytes);
}

}  // namespace plate::reader
