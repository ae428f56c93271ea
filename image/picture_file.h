#pragma once
// The first stage of every load, shared by the frame loader and the full-size loader: the file
// checked with stat, its first bytes told apart, the name's claim compared, and the reader chosen.
// Private to the image library.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

#include "image/decoded_picture.h"
#include "image/frame_fit.h"
#include "image/jpeg_decoder.h"
#include "image/picture_format.h"
#include "image/picture_outcome.h"

namespace plate {

struct PictureFile {
  std::optional<PictureOutcome> refusal;  // set when the file is refused before decoding
  std::optional<PictureFormat> format;    // the format the bytes are, once known
  // A bitmap that read_bitmap reads as it always has: it is read by path, and `bytes` holds only
  // the first ones.
  bool to_bitmap_reader = false;
  std::vector<std::byte> bytes;  // the whole file, or its first bytes for the bitmap reader
};

// Checks with stat first and opens only regular files (a FIFO or a device is never opened, so a
// load cannot block); reads the whole file unless the bitmap reader is to read it.
PictureFile open_picture_file(const std::filesystem::path& path);

// The same over bytes in memory; `name` is only checked against them. `bytes` is left empty: the
// caller has them.
PictureFile triage_picture_bytes(std::span<const std::byte> bytes, const std::filesystem::path& name);

// Decodes bytes of `format` with its decoder; a JPEG at `jpeg_size`.
DecodeResult decode_picture(std::span<const std::byte> bytes, PictureFormat format, JpegDecodeSize jpeg_size);

// The size of a bitmap that read_bitmap has read, from its headers' first bytes.
PictureSize bitmap_reader_size(std::span<const std::byte> head);

}  // namespace plate
