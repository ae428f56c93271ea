// Plan: read the header (size, colour space) without decoding; refuse CMYK and pictures over the
// pixel limit; read the EXIF orientation, which says whether the stored width is the shown width
// or height; pick the smallest of the scales 1, 1/2, 1/4, 1/8 whose stored size, turned as shown,
// still covers the fitted size; decode at that scale into blue-green-red; turn the pixels.
//
// libjpeg reports a file that ends early as a warning ("Premature end of JPEG file") and fills
// the rest of the picture with grey; TurboJPEG hands warnings back as an error code of
// TJERR_WARNING with the library's text. The text is the only place the kind of warning shows, so
// it is matched: a cut-off photo with a grey lower half is refused as truncated, while the common
// harmless warnings of camera files keep their picture.
//
// Rejected alternative: lossless rotation with tjTransform before decoding. It works on whole
// 8- or 16-pixel blocks, so pictures whose size is not a multiple of the block size lose or gain
// edge pixels, and it would decode the picture a second time; turning the already scaled pixels
// costs about 1 ms.

#include "image/jpeg_decoder.h"

#include <turbojpeg.h>

#include <array>
#include <memory>
#include <string_view>

#include "image/exif_orientation.h"
#include "image/frame_fit.h"

namespace plate {

namespace {

struct HandleCloser {
  void operator()(void* handle) const { tjDestroy(handle); }
};
using DecompressHandle = std::unique_ptr<void, HandleCloser>;

constexpr std::array<int, 4> kScaleDenominators{8, 4, 2, 1};  // smallest picture first

int scaled(int size, int denominator) {
  return (size + denominator - 1) / denominator;
}

PictureOutcome failure_of(tjhandle handle) {
  const std::string_view text = tjGetErrorStr2(handle);
  return text.find("Premature end") != std::string_view::npos ? PictureOutcome::truncated
                                                              : PictureOutcome::corrupt;
}

}  // namespace

DecodeResult decode_jpeg(std::span<const std::byte> jpeg) {
  const DecompressHandle handle(tjInitDecompress());
  if (!handle) return {PictureOutcome::corrupt, {}};
  const auto* data = reinterpret_cast<const unsigned char*>(jpeg.data());
  const auto size = static_cast<unsigned long>(jpeg.size());
  int width = 0, height = 0, subsampling = 0, colour_space = 0;
  if (tjDecompressHeader3(handle.get(), data, size, &width, &height, &subsampling, &colour_space) != 0) {
    return {failure_of(handle.get()), {}};
  }
  if (colour_space == TJCS_CMYK || colour_space == TJCS_YCCK) return {PictureOutcome::cmyk_jpeg, {}};
  if (!within_pixel_limit(std::uint64_t(width), std::uint64_t(height)))
    return {PictureOutcome::too_large, {}};

  const int orientation = jpeg_exif_orientation(jpeg);
  const bool turned = orientation >= 5;
  const PictureSize fitted = turned ? fitted_size(height, width) : fitted_size(width, height);
  const int need_width = turned ? fitted.height : fitted.width,
            need_height = turned ? fitted.width : fitted.height;
  int denominator = 1;
  for (const int d : kScaleDenominators) {
    if (scaled(width, d) >= need_width && scaled(height, d) >= need_height) {
      denominator = d;
      break;
    }
  }

  DecodeResult result{PictureOutcome::loaded, {}};
  DecodedPicture& picture = result.picture;
  picture.source_width = width;
  picture.source_height = height;
  picture.width = scaled(width, denominator);
  picture.height = scaled(height, denominator);
  picture.bgr.resize(std::size_t(picture.width) * std::size_t(picture.height) * 3);
  if (tjDecompress2(handle.get(), data, size, picture.bgr.data(), picture.width, picture.width * 3,
                    picture.height, TJPF_BGR, 0) != 0) {
    if (tjGetErrorCode(handle.get()) == TJERR_FATAL ||
        failure_of(handle.get()) == PictureOutcome::truncated) {
      return {failure_of(handle.get()), {}};
    }
  }
  apply_orientation(picture, orientation);
  return result;
}

}  // namespace plate
