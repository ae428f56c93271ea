#pragma once
// JPEG decoding with libjpeg-turbo's TurboJPEG interface: baseline and progressive, grey and
// colour, the EXIF orientation applied. A picture larger than the frame is decoded straight at
// 1/2, 1/4 or 1/8 of its size (libjpeg-turbo scales inside its inverse DCT, far faster than
// decoding whole and shrinking) when that still leaves at least its fitted size each way.

#include <cstddef>
#include <cstdint>
#include <span>

#include "image/decoded_picture.h"

namespace plate {

enum class JpegDecodeSize : std::uint8_t {
  enough_for_frame,  // the smallest of 1, 1/2, 1/4, 1/8 that still covers the fitted size
  full,              // every pixel: the picture at its own size
};

// Outcomes: loaded; too_large (over kMaxPicturePixels, from the header); cmyk_jpeg (CMYK and
// YCCK files); truncated (the data ends before the picture does); corrupt (anything else the
// library rejects). Warnings about damaged but readable data (stray bytes between markers) do not
// refuse the picture.
DecodeResult decode_jpeg(std::span<const std::byte> jpeg,
                         JpegDecodeSize decode_size = JpegDecodeSize::enough_for_frame);

}  // namespace plate
