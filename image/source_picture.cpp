#include "image/source_picture.h"

#include <cstring>
#include <memory>

#include "picture_file.h"

namespace plate {

namespace {

SourcePicture decoded(std::span<const std::byte> bytes, PictureFormat format) {
  DecodeResult result = decode_picture(bytes, format, JpegDecodeSize::full);
  return {result.outcome, std::nullopt, format, std::move(result.picture)};
}

// What read_bitmap put in the frame's top-left corner, cut out.
SourcePicture from_bitmap_reader(ReadOutcome read, const Plane& frame, std::span<const std::byte> head) {
  SourcePicture source{picture_was_read(read) ? PictureOutcome::loaded : PictureOutcome::bitmap_refused,
                       read,
                       PictureFormat::bmp,
                       {}};
  if (read != ReadOutcome::read) return source;
  const PictureSize size = bitmap_reader_size(head);
  DecodedPicture& picture = source.picture;
  picture.source_width = picture.width = size.width;
  picture.source_height = picture.height = size.height;
  const std::size_t row_bytes = std::size_t(size.width) * kBytesPerPixel;
  picture.bgr.resize(row_bytes * std::size_t(size.height));
  for (int y = 0; y < size.height; ++y)
    std::memcpy(picture.bgr.data() + std::size_t(y) * row_bytes, frame.row(kFrameHeight - 1 - y), row_bytes);
  return source;
}

}  // namespace

SourcePicture load_source_picture(const std::filesystem::path& path) {
  const PictureFile file = open_picture_file(path);
  if (file.refusal) return {*file.refusal, std::nullopt, file.format, {}};
  if (!file.to_bitmap_reader) return decoded(file.bytes, *file.format);
  const auto frame = std::make_unique<Plane>();
  return from_bitmap_reader(read_bitmap(path, *frame), *frame, file.bytes);
}

SourcePicture load_source_picture_bytes(std::span<const std::byte> bytes, const std::filesystem::path& name) {
  const PictureFile file = triage_picture_bytes(bytes, name);
  if (file.refusal) return {*file.refusal, std::nullopt, file.format, {}};
  if (!file.to_bitmap_reader) return decoded(bytes, *file.format);
  const auto frame = std::make_unique<Plane>();
  return from_bitmap_reader(read_bitmap_bytes(bytes, *frame), *frame, bytes);
}

}  // namespace plate
