#pragma once
// JPEG decoding with libjpeg-turbo (its libjpeg interface): baseline and progressive, grey and
// colour, the EXIF orientation applied. A picture larger than the frame is decoded straight at
// 1/2, 1/4 or 1/8 of its size (libjpeg-turbo scales inside its inverse DCT, far faster than
// decoding whole and shrinking) when that still leaves at least its fitted size each way.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>

#include "image/byte_stream.h"
#include "image/decoded_picture.h"

namespace plate {

enum class JpegDecodeSize : std::uint8_t {
  enough_for_frame,  // the smallest of 1, 1/2, 1/4, 1/8 that still covers the fitted size
  full,              // every pixel: the picture at its own size
};

// Outcomes: loaded; too_large (over kMaxPicturePixels, from the header); cmyk_jpeg (CMYK and
// YCCK files); unsupported (12-bit, lossless or hierarchical files); too_many_scans (more scans
// than any sound file has); truncated (the data ends before the picture does, even if an end
// marker follows, or the file is too short for its blocks); corrupt (corrupt data, or anything
// else the library rejects); cannot_open (a read failed); interrupted (`cancel` became true). Warnings that
// leave the picture as the file means it (stray bytes between markers) do not refuse it. jpeg_decoder.cpp
// gives the limits.
DecodeResult decode_jpeg(std::span<const std::byte> jpeg,
                         JpegDecodeSize decode_size = JpegDecodeSize::enough_for_frame);

// The denominator decode_jpeg's enough_for_frame takes for a picture shown (the EXIF orientation
// applied) at this size: 1, 2, 4 or 8.
int jpeg_scale_denominator(int shown_width, int shown_height);

// The same from a stream at its start, reading nothing after the end-of-image marker.
DecodeResult decode_jpeg(ByteStream& stream, JpegDecodeSize decode_size = JpegDecodeSize::enough_for_frame,
                         const std::atomic<bool>* cancel = nullptr);

}  // namespace plate
