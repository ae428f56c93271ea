#pragma once
// The first stage of every load, shared by the frame loader and the full-size loader: the file
// checked and opened (regular_file.h), its first bytes told apart, the name's claim compared, and
// the reader chosen. Private to the image library.

#include <array>
#include <atomic>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "engine/plane.h"
#include "image/bitmap_reader.h"
#include "image/byte_stream.h"
#include "image/decoded_picture.h"
#include "image/frame_fit.h"
#include "image/jpeg_decoder.h"
#include "image/picture_format.h"
#include "image/picture_outcome.h"
#include "image/regular_file.h"

namespace plate {

inline constexpr std::size_t kHeadBytes = 64;  // enough for every signature and the bitmap headers

struct PictureFile {
  std::optional<PictureOutcome> refusal;  // set when the file is refused before decoding
  // Where the decoders are not built, read_bitmap's outcome for a file refused before it was
  // opened (missing, not a regular file): the reader's own words for it.
  std::optional<ReadOutcome> bitmap_refusal;
  std::optional<PictureFormat> format;  // the format the bytes are, once known
  bool to_bitmap_reader = false;        // read_bitmap reads it, as it always has
  PathKind path_kind = PathKind::regular;
  std::string system_error;
  RegularFile file;  // open when the file came from a path and was not refused before opening
  std::array<std::byte, kHeadBytes> head{};
  std::size_t head_bytes = 0;

  std::span<const std::byte> first_bytes() const { return std::span(head).first(head_bytes); }
};

// Opens the path through open_regular_file and reads its first bytes from that descriptor.
PictureFile open_picture_file(const std::filesystem::path& path);

// The same over bytes in memory; `name` is only checked against them.
PictureFile triage_picture_bytes(std::span<const std::byte> bytes, const std::filesystem::path& name);

// Decodes a stream of `format`, from its start, with its decoder; a JPEG at `jpeg_size`.
// `cancel` stops a JPEG or PNG decode (LoadOptions::cancel).
DecodeResult decode_picture(ByteStream& stream, PictureFormat format, JpegDecodeSize jpeg_size,
                            const std::atomic<bool>* cancel = nullptr);

// Whether a load into the frame decodes this picture (decoded whole) at a smaller size than its
// own: a JPEG that libjpeg decodes at 1/2, 1/4 or 1/8 for the frame.
bool frame_decodes_smaller(PictureFormat format, const DecodedPicture& whole);

// The size of a bitmap that read_bitmap has read, from its headers' first bytes.
PictureSize bitmap_reader_size(std::span<const std::byte> head);

// What read_bitmap put in the frame's top-left corner, `size` of it, as a picture.
DecodedPicture picture_in_frame(const Plane& frame, PictureSize size);

}  // namespace plate
