// Plan: open and check the file once (picture_file.h); tell the format from its first bytes and
// compare it with the name's claim; hand a bitmap that read_bitmap reads today to it, on the open
// file, so that it runs exactly as before; otherwise decode from the open file (or the bytes in
// memory), reading only what the picture needs, and fit into the frame.

#include "image/picture_loader.h"

#include "picture_file.h"

namespace plate {

namespace {

LoadedPicture refused(const PictureFile& file, Plane& frame, const LoadOptions& options) {
  if (options.black_frame_on_refusal) frame.fill(0);
  LoadedPicture loaded;
  loaded.outcome = file.bitmap_refusal ? PictureOutcome::bitmap_refused : *file.refusal;
  loaded.bitmap_outcome = file.bitmap_refusal;
  loaded.format = file.format;
  loaded.path_kind = file.path_kind;
  loaded.system_error = file.system_error;
  return loaded;
}

LoadedPicture refused(PictureOutcome outcome, std::optional<PictureFormat> format, Plane& frame,
                      const LoadOptions& options) {
  if (options.black_frame_on_refusal) frame.fill(0);
  LoadedPicture loaded;
  loaded.outcome = outcome;
  loaded.format = format;
  return loaded;
}

// The frame read_bitmap filled: the picture's size as its headers say, unscaled.
LoadedPicture from_bitmap_reader(ReadOutcome read, const PictureFile& file, const Plane& frame,
                                 const LoadOptions& options) {
  LoadedPicture loaded;
  loaded.outcome = picture_was_read(read) ? PictureOutcome::loaded : PictureOutcome::bitmap_refused;
  loaded.bitmap_outcome = read;
  loaded.format = file.format == PictureFormat::bmp ? file.format : std::nullopt;
  if (read == ReadOutcome::read) {
    const PictureSize size = bitmap_reader_size(file.first_bytes());
    loaded.mapping = {size, size};
    if (options.keep_source) loaded.source = picture_in_frame(frame, size);
  }
  return loaded;
}

LoadedPicture decoded(ByteStream& stream, PictureFormat format, Plane& frame, const LoadOptions& options) {
  LoadedPicture loaded;
  loaded.outcome = PictureOutcome::loaded;
  loaded.format = format;
  if (!options.keep_source) {
    const DecodeResult result =
        decode_picture(stream, format, JpegDecodeSize::enough_for_frame, options.cancel);
    if (result.outcome != PictureOutcome::loaded) return refused(result.outcome, format, frame, options);
    loaded.mapping = fit_into_frame(result.picture, frame);
    return loaded;
  }
  DecodeResult full = decode_picture(stream, format, JpegDecodeSize::full, options.cancel);
  if (full.outcome != PictureOutcome::loaded) return refused(full.outcome, format, frame, options);
  const DecodedPicture& picture = full.picture;
  if (frame_decodes_smaller(format, picture)) {
    stream.rewind();
    const DecodeResult scaled =
        decode_picture(stream, format, JpegDecodeSize::enough_for_frame, options.cancel);
    if (scaled.outcome != PictureOutcome::loaded) return refused(scaled.outcome, format, frame, options);
    loaded.mapping = fit_into_frame(scaled.picture, frame);
  } else {
    loaded.mapping = fit_into_frame(picture, frame);
  }
  loaded.source = std::move(full.picture);
  return loaded;
}

}  // namespace

bool picture_decoders_built() {
  return PLATE_IMAGE_DECODERS != 0;
}

LoadedPicture load_picture(const std::filesystem::path& path, Plane& frame, const LoadOptions& options) {
  PictureFile file = open_picture_file(path);
  if (file.refusal) return refused(file, frame, options);
  if (file.to_bitmap_reader) return from_bitmap_reader(read_bitmap(file.file, frame), file, frame, options);
  FileStream stream(file.file);
  return decoded(stream, *file.format, frame, options);
}

LoadedPicture load_picture_bytes(std::span<const std::byte> bytes, const std::filesystem::path& name,
                                 Plane& frame, const LoadOptions& options) {
  const PictureFile file = triage_picture_bytes(bytes, name);
  if (file.refusal) return refused(file, frame, options);
  if (file.to_bitmap_reader) return from_bitmap_reader(read_bitmap_bytes(bytes, frame), file, frame, options);
  MemoryStream stream(bytes);
  return decoded(stream, *file.format, frame, options);
}

}  // namespace plate
