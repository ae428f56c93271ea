#include "reader/overlay_file.h"

#include <cctype>
#include <cstdint>
#include <memory>
#include <vector>

#include "image/bitmap_writer.h"
#include "image/picture_format.h"
#include "present/overlay_drawing.h"
#include "present/overlay_plan.h"
#include "reader/output_file.h"
#ifdef PLATE_READ_PICTURES
#include "image/png_encoder.h"
#include "image/source_picture.h"
#include "present/outcome_messages.h"
#endif

namespace plate::reader {

namespace {

bool extension_is(const std::filesystem::path& path, std::string_view wanted) {
  const std::string extension = path.extension().string();
  if (extension.size() != wanted.size()) return false;
  for (std::size_t i = 0; i < wanted.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(extension[i])) != wanted[i]) return false;
  return true;
}

}  // namespace

#ifdef PLATE_READ_PICTURES
std::optional<OverlayFormat> overlay_format_named_by(const std::filesystem::path& target) {
  if (extension_is(target, ".bmp")) return OverlayFormat::bmp;
  if (extension_is(target, ".png")) return OverlayFormat::png;
  return std::nullopt;
}

std::string_view overlay_names_rule() {
  return "an overlay is written as PNG or BMP: name it .png or .bmp";
}

std::string_view overlay_suffix(const std::filesystem::path& input) {
  return format_named_by(input) == PictureFormat::bmp ? "-overlay.bmp" : "-overlay.png";
}

std::optional<std::string> write_overlay(const Reader& reader, const std::filesystem::path& input,
                                         const std::filesystem::path& target) {
  const FrameMapping& mapping = reader.mapping();
  SourcePicture source = load_source_picture(input);
  if (source.outcome != PictureOutcome::loaded)
    return "the picture could not be read again: " +
           std::string(describe(source.outcome, source.bitmap_outcome));
  DecodedPicture& picture = source.picture;
  if (picture.width != mapping.source.width || picture.height != mapping.source.height)
    return std::string("the picture changed while it was read");
  if (picture.width == 0 || picture.height == 0) return std::string("the picture has no pixels to draw on");
  draw_overlay(picture, plan_source_overlay(reader.plates(), mapping), overlay_magnification(mapping));
  const std::vector<std::uint8_t> bytes =
      overlay_format_named_by(target) == OverlayFormat::png ? encode_png(picture) : encode_bitmap(picture);
  if (bytes.empty()) return std::string("the picture could not be encoded");
  return write_file_atomically(target, bytes);
}
#else
std::optional<OverlayFormat> overlay_format_named_by(const std::filesystem::path& target) {
  if (extension_is(target, ".bmp")) return OverlayFormat::bmp;
  return std::nullopt;
}

std::string_view overlay_names_rule() {
  return "an overlay is written as a BMP: name it .bmp";
}

std::string_view overlay_suffix(const std::filesystem::path&) {
  return "-overlay.bmp";
}

std::optional<std::string> write_overlay(const Reader& reader, const std::filesystem::path& /*input*/,
                                         const std::filesystem::path& target) {
  const auto frame = std::make_unique<Plane>(reader.frame());
  draw_overlay(*frame, plan_overlay(reader.plates()));
  return write_file_atomically(target, encode_bitmap(*frame, kFrameWidth, kFrameHeight));
}
#endif

}  // namespace plate::reader
