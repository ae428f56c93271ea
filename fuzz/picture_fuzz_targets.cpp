// The decoders' fuzz targets (fuzz_targets.h).

#include <memory>

#include "fuzz_targets.h"
#include "image/bitmap_decoder.h"
#include "image/frame_fit.h"
#include "image/jpeg_decoder.h"
#include "image/png_decoder.h"

namespace plate::fuzz {

namespace {

// Whatever the bytes: a refusal holds no pixels; a decoded picture holds its stated pixels, no
// fewer than its fitted size, within the pixel limit; the fitted picture maps to the whole
// picture and back.
void check_decoded(const DecodeResult& result) {
  const DecodedPicture& picture = result.picture;
  if (result.outcome != PictureOutcome::loaded) {
    require(picture.bgr.empty(), "a refusal holds no pixels");
    return;
  }
  require(within_pixel_limit(std::uint64_t(picture.source_width), std::uint64_t(picture.source_height)),
          "the picture is within the pixel limit");
  require(picture.bgr.size() == std::size_t(picture.width) * std::size_t(picture.height) * 3,
          "the held pixels are width x height");
  static const auto frame = std::make_unique<Plane>();
  const FrameMapping mapping = fit_into_frame(picture, *frame);
  const PictureSize fitted = mapping.fitted;
  require(picture.width >= fitted.width && picture.height >= fitted.height, "no fewer pixels than fitted");
  const PixelBox corner{0, fitted.width - 1, kFrameHeight - fitted.height, kFrameHeight - 1};
  const std::optional<PixelBox> whole = frame_box_to_source(mapping, corner);
  require(whole && *whole == (PixelBox{0, picture.source_width - 1, 0, picture.source_height - 1}),
          "the fitted picture maps to the whole picture");
  const std::optional<PixelBox> back = source_box_to_frame(mapping, *whole);
  require(back && *back == corner, "the whole picture maps to the fitted picture");
}

}  // namespace

void decode_jpeg_target(std::span<const std::byte> input) {
  check_decoded(decode_jpeg(input));
}
void decode_png_target(std::span<const std::byte> input) {
  check_decoded(decode_png(input));
}
void decode_bitmap_target(std::span<const std::byte> input) {
  check_decoded(decode_bitmap(input));
}

}  // namespace plate::fuzz
