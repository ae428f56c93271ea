#include "picture_file.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#if PLATE_IMAGE_DECODERS
#include "image/bitmap_decoder.h"
#include "image/png_decoder.h"
#endif

namespace plate {

namespace {

PictureFile refused(PictureOutcome outcome, std::optional<PictureFormat> format = std::nullopt) {
  PictureFile file;
  file.refusal = outcome;
  file.format = format;
  return file;
}

PictureOutcome outcome_of(PathKind kind) {
  switch (kind) {
    case PathKind::regular:
      return PictureOutcome::loaded;
    case PathKind::missing:
    case PathKind::dangling_symlink:
      return PictureOutcome::missing;
    case PathKind::directory:
    case PathKind::fifo:
    case PathKind::device:
    case PathKind::socket:
      return PictureOutcome::not_regular_file;
    default:
      return PictureOutcome::cannot_open;
  }
}

#if !PLATE_IMAGE_DECODERS
ReadOutcome read_outcome_of(PictureOutcome outcome) {
  switch (outcome) {
    case PictureOutcome::missing:
      return ReadOutcome::missing_file;
    case PictureOutcome::not_regular_file:
      return ReadOutcome::not_a_regular_file;
    default:
      return ReadOutcome::cannot_open;
  }
}
#endif

// The name check and the choice of reader, from the first bytes (kept in `file`).
void triage(PictureFile& file, const std::filesystem::path& name) {
  const std::span<const std::byte> head = file.first_bytes();
  file.format = format_of_bytes(head);
#if PLATE_IMAGE_DECODERS
  if (head.empty()) {
    file.refusal = PictureOutcome::empty_file;
    return;
  }
  const std::optional<PictureFormat> claimed = format_named_by(name);
  if (!file.format) {
    file.refusal = PictureOutcome::unrecognised_bytes;
    return;
  }
  if (claimed && claimed != file.format) {
    file.refusal = PictureOutcome::name_bytes_mismatch;
    return;
  }
  file.to_bitmap_reader = file.format == PictureFormat::bmp && !is_read_by_bitmap_decoder(head);
#else
  // Without the decoders every file goes to the 24-bit bitmap reader, whose checks say the rest.
  static_cast<void>(name);
  file.to_bitmap_reader = true;
#endif
}

}  // namespace

PictureFile open_picture_file(const std::filesystem::path& path) {
  OpenedFile opened = open_regular_file(path);
  if (opened.kind != PathKind::regular) {
    PictureFile file = refused(outcome_of(opened.kind));
#if !PLATE_IMAGE_DECODERS
    file.bitmap_refusal = read_outcome_of(*file.refusal);
#endif
    file.path_kind = opened.kind;
    file.system_error = std::move(opened.system_error);
    return file;
  }
  PictureFile file;
  file.file = std::move(opened.file);
  file.head_bytes = file.file.read_at(0, file.head);
  if (file.file.read_failed()) {
    file.refusal = PictureOutcome::cannot_open;
#if !PLATE_IMAGE_DECODERS
    file.bitmap_refusal = ReadOutcome::cannot_open;
#endif
    return file;
  }
  triage(file, path);
  return file;
}

PictureFile triage_picture_bytes(std::span<const std::byte> bytes, const std::filesystem::path& name) {
  PictureFile file;
  file.head_bytes = std::min(bytes.size(), kHeadBytes);
  std::copy_n(bytes.begin(), file.head_bytes, file.head.begin());
  triage(file, name);
  return file;
}

DecodeResult decode_picture(ByteStream& stream, PictureFormat format, JpegDecodeSize jpeg_size,
                            const std::atomic<bool>* cancel) {
#if PLATE_IMAGE_DECODERS
  switch (format) {
    case PictureFormat::jpeg:
      return decode_jpeg(stream, jpeg_size, cancel);
    case PictureFormat::png:
      return decode_png(stream, cancel);
    case PictureFormat::bmp:
      return decode_bitmap(stream);
  }
#else
  static_cast<void>(stream);
  static_cast<void>(format);
  static_cast<void>(jpeg_size);
  static_cast<void>(cancel);
#endif
  return {PictureOutcome::unsupported, {}};
}

bool frame_decodes_smaller(PictureFormat format, const DecodedPicture& whole) {
#if PLATE_IMAGE_DECODERS
  return format == PictureFormat::jpeg && jpeg_scale_denominator(whole.source_width, whole.source_height) > 1;
#else
  static_cast<void>(format);
  static_cast<void>(whole);
  return false;
#endif
}

PictureSize bitmap_reader_size(std::span<const std::byte> head) {
  if (head.size() < 26) return {};
  const auto i32_at = [&](std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i)
      v |= std::uint32_t(static_cast<std::uint8_t>(head[at + i])) << (8 * i);
    return static_cast<std::int32_t>(v);
  };
  return {i32_at(18), std::abs(i32_at(22))};  // within the frame, or it was not read
}

DecodedPicture picture_in_frame(const Plane& frame, PictureSize size) {
  DecodedPicture picture;
  picture.source_width = picture.width = size.width;
  picture.source_height = picture.height = size.height;
  const std::size_t row_bytes = std::size_t(size.width) * kBytesPerPixel;
  picture.bgr.resize(row_bytes * std::size_t(size.height));
  for (int y = 0; y < size.height; ++y)
    std::memcpy(picture.bgr.data() + std::size_t(y) * row_bytes, frame.row(kFrameHeight - 1 - y), row_bytes);
  return picture;
}

}  // namespace plate
