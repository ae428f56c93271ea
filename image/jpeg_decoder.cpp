// Plan: read the header (size, colour space) without decoding; refuse CMYK and pictures over the
// pixel limit; read the EXIF orientation, which says whether the stored width is the shown width
// or height; pick the smallest of the scales 1, 1/2, 1/4, 1/8 whose stored size, turned as shown,
// still covers the fitted size; decode at that scale into blue-green-red; turn the pixels.
//
// When TurboJPEG fails it hands back one text and a code, and both can mislead: the code says
// "warning" whenever any warning came first, even if a fatal error followed, and a warning's text
// is kept only for the first one. So a failure is judged on the bytes and the text together: data
// that ends before the end-of-image marker is truncated (libjpeg would show its missing part as
// grey); otherwise a failure whose text is one of libjpeg's warnings (stray bytes between
// markers, bad codes in an entropy segment, common in camera files) keeps its picture, and
// anything else is corrupt.
//
// Rejected alternative: lossless rotation with tjTransform before decoding. It works on whole
// 8- or 16-pixel blocks, so pictures whose size is not a multiple of the block size lose or gain
// edge pixels, and it would decode the picture a second time; turning the already scaled pixels
// costs about 1 ms.

#include "image/jpeg_decoder.h"

#include <turbojpeg.h>

#include <algorithm>
#include <array>
#include <cstdint>
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

// Walks the marker segments and the entropy-coded data after each start of scan; false once
// the end-of-image marker is reached.
bool ends_before_end_of_image(std::span<const std::byte> jpeg) {
  const auto at = [&](std::size_t i) { return static_cast<std::uint8_t>(jpeg[i]); };
  std::size_t pos = 2;  // past SOI
  while (pos + 1 < jpeg.size()) {
    if (at(pos) != 0xFF) return true;
    const std::uint8_t marker = at(pos + 1);
    if (marker == 0xD9) return false;
    if (marker == 0xFF || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {  // fill, RSTn, TEM
      pos += marker == 0xFF ? 1 : 2;
      continue;
    }
    if (pos + 3 >= jpeg.size()) return true;
    pos += 2 + (std::size_t(at(pos + 2)) << 8 | at(pos + 3));
    if (marker != 0xDA) continue;
    // Entropy-coded data: up to the next 0xFF that is neither a stuffed 0xFF 0x00 nor a restart.
    while (pos + 1 < jpeg.size() &&
           !(at(pos) == 0xFF && at(pos + 1) != 0x00 && !(at(pos + 1) >= 0xD0 && at(pos + 1) <= 0xD7))) {
      ++pos;
    }
  }
  return true;
}

constexpr std::array<std::string_view, 6> kWarningTexts{"Corrupt JPEG data",
                                                        "Warning:",
                                                        "Invalid SOS parameters",
                                                        "Inconsistent progression sequence",
                                                        "Application transferred too many scanlines",
                                                        "Premature end of JPEG file"};

bool only_warned(tjhandle handle) {
  const std::string_view text = tjGetErrorStr2(handle);
  return tjGetErrorCode(handle) == TJERR_WARNING &&
         std::ranges::any_of(kWarningTexts,
                             [&](std::string_view warning) { return text.starts_with(warning); });
}

PictureOutcome failure_of(std::span<const std::byte> jpeg) {
  return ends_before_end_of_image(jpeg) ? PictureOutcome::truncated : PictureOutcome::corrupt;
}

}  // namespace

DecodeResult decode_jpeg(std::span<const std::byte> jpeg, JpegDecodeSize decode_size) {
  const DecompressHandle handle(tjInitDecompress());
  if (!handle) return {PictureOutcome::corrupt, {}};
  const auto* data = reinterpret_cast<const unsigned char*>(jpeg.data());
  const auto size = static_cast<unsigned long>(jpeg.size());
  int width = 0, height = 0, subsampling = 0, colour_space = 0;
  if (tjDecompressHeader3(handle.get(), data, size, &width, &height, &subsampling, &colour_space) != 0) {
    return {failure_of(jpeg), {}};
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
    if (decode_size == JpegDecodeSize::enough_for_frame && scaled(width, d) >= need_width &&
        scaled(height, d) >= need_height) {
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
    if (ends_before_end_of_image(jpeg) || !only_warned(handle.get())) return {failure_of(jpeg), {}};
  }
  apply_orientation(picture, orientation);
  return result;
}

}  // namespace plate
