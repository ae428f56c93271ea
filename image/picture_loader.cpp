// Plan: stat the path (missing, not a regular file, empty); read the first bytes and tell the
// format; compare it with the name's claim (picture_file.h); hand a bitmap that read_bitmap reads
// today to it, by path, so that it runs exactly as before; otherwise read the whole file into
// memory (both libraries decode from memory), decode, and fit into the frame.

#include "image/picture_loader.h"

#include "picture_file.h"

namespace plate {

namespace {

LoadedPicture refused(PictureOutcome outcome, std::optional<PictureFormat> format, Plane& frame) {
  frame.fill(0);
  return {outcome, std::nullopt, format, {}};
}

// The frame read_bitmap filled: the picture's size as its headers say, unscaled.
LoadedPicture from_bitmap_reader(ReadOutcome read, std::span<const std::byte> head) {
  LoadedPicture loaded{picture_was_read(read) ? PictureOutcome::loaded : PictureOutcome::bitmap_refused,
                       read,
                       PictureFormat::bmp,
                       {}};
  if (read == ReadOutcome::read) {
    const PictureSize size = bitmap_reader_size(head);
    loaded.mapping = {size, size};
  }
  return loaded;
}

LoadedPicture decoded(std::span<const std::byte> bytes, PictureFormat format, Plane& frame) {
  const DecodeResult result = decode_picture(bytes, format, JpegDecodeSize::enough_for_frame);
  if (result.outcome != PictureOutcome::loaded) return refused(result.outcome, format, frame);
  return {PictureOutcome::loaded, std::nullopt, format, fit_into_frame(result.picture, frame)};
}

}  // namespace

LoadedPicture load_picture(const std::filesystem::path& path, Plane& frame) {
  const PictureFile file = open_picture_file(path);
  if (file.refusal) return refused(*file.refusal, file.format, frame);
  if (file.to_bitmap_reader) return from_bitmap_reader(read_bitmap(path, frame), file.bytes);
  return decoded(file.bytes, *file.format, frame);
}

LoadedPicture load_picture_bytes(std::span<const std::byte> bytes, const std::filesystem::path& name,
                                 Plane& frame) {
  const PictureFile file = triage_picture_bytes(bytes, name);
  if (file.refusal) return refused(*file.refusal, file.format, frame);
  if (file.to_bitmap_reader) return from_bitmap_reader(read_bitmap_bytes(bytes, frame), bytes);
  return decoded(bytes, *file.format, frame);
}

}  // namespace plate
