#include "image/source_picture.h"

#include <memory>

#include "picture_file.h"

namespace plate {

namespace {

SourcePicture refused(const PictureFile& file) {
  return {file.bitmap_refusal ? PictureOutcome::bitmap_refused : *file.refusal,
          file.bitmap_refusal,
          file.format,
          {}};
}

SourcePicture decoded(ByteStream& stream, PictureFormat format) {
  DecodeResult result = decode_picture(stream, format, JpegDecodeSize::full);
  return {result.outcome, std::nullopt, format, std::move(result.picture)};
}

// What read_bitmap put in the frame's top-left corner, cut out.
SourcePicture from_bitmap_reader(ReadOutcome read, const Plane& frame, const PictureFile& file) {
  SourcePicture source{picture_was_read(read) ? PictureOutcome::loaded : PictureOutcome::bitmap_refused,
                       read,
                       file.format == PictureFormat::bmp ? file.format : std::nullopt,
                       {}};
  if (read == ReadOutcome::read)
    source.picture = picture_in_frame(frame, bitmap_reader_size(file.first_bytes()));
  return source;
}

}  // namespace

SourcePicture load_source_picture(const std::filesystem::path& path) {
  PictureFile file = open_picture_file(path);
  if (file.refusal) return refused(file);
  if (file.to_bitmap_reader) {
    const auto frame = std::make_unique<Plane>();
    const ReadOutcome read = read_bitmap(file.file, *frame);
    return from_bitmap_reader(read, *frame, file);
  }
  FileStream stream(file.file);
  return decoded(stream, *file.format);
}

SourcePicture load_source_picture_bytes(std::span<const std::byte> bytes, const std::filesystem::path& name) {
  const PictureFile file = triage_picture_bytes(bytes, name);
  if (file.refusal) return refused(file);
  if (!file.to_bitmap_reader) {
    MemoryStream stream(bytes);
    return decoded(stream, *file.format);
  }
  const auto frame = std::make_unique<Plane>();
  const ReadOutcome read = read_bitmap_bytes(bytes, *frame);
  return from_bitmap_reader(read, *frame, file);
}

}  // namespace plate
