// Plan: stat the path (missing, not a regular file, empty); read the first bytes and tell the
// format; compare it with the name's claim; hand a bitmap that read_bitmap reads today to it,
// by path, so that it runs exactly as before; otherwise read the whole file into memory (both
// libraries decode from memory), decode, and fit into the frame.

#include "image/picture_loader.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <system_error>
#include <vector>

#include "image/bitmap_decoder.h"
#include "image/jpeg_decoder.h"
#include "image/png_decoder.h"

namespace plate {

namespace {

constexpr std::size_t kHeadBytes = 64;  // enough for every signature and the bitmap headers

LoadedPicture refused(PictureOutcome outcome, std::optional<PictureFormat> format, Plane& frame) {
  frame.fill(0);
  return {outcome, std::nullopt, format, {}};
}

// The name check and the choice of reader, shared by both entry points. Returns the refusal, or
// nothing when the bytes are to be decoded (or read by read_bitmap, `to_bitmap_reader`).
std::optional<PictureOutcome> triage(std::span<const std::byte> head, const std::filesystem::path& name,
                                     std::optional<PictureFormat>& format, bool& to_bitmap_reader) {
  if (head.empty()) return PictureOutcome::empty_file;
  format = format_of_bytes(head);
  const std::optional<PictureFormat> claimed = format_named_by(name);
  if (!format) return PictureOutcome::unrecognised_bytes;
  if (claimed && claimed != format) return PictureOutcome::name_bytes_mismatch;
  to_bitmap_reader = format == PictureFormat::bmp && !is_read_by_bitmap_decoder(head);
  return std::nullopt;
}

// The frame read_bitmap filled: the picture's size as its headers say, unscaled.
LoadedPicture from_bitmap_reader(ReadOutcome read, std::span<const std::byte> head) {
  LoadedPicture loaded{picture_was_read(read) ? PictureOutcome::loaded : PictureOutcome::bitmap_refused,
                       read,
                       PictureFormat::bmp,
                       {}};
  if (read == ReadOutcome::read && head.size() >= 26) {
    const auto i32_at = [&](std::size_t at) {
      std::uint32_t v = 0;
      for (std::size_t i = 0; i < 4; ++i)
        v |= std::uint32_t(static_cast<std::uint8_t>(head[at + i])) << (8 * i);
      return static_cast<std::int32_t>(v);
    };
    const PictureSize size{i32_at(18), std::abs(i32_at(22))};  // within the frame, or it was not read
    loaded.mapping = {size, size};
  }
  return loaded;
}

LoadedPicture decoded(std::span<const std::byte> bytes, PictureFormat format, Plane& frame) {
  DecodeResult result;
  switch (format) {
    case PictureFormat::jpeg:
      result = decode_jpeg(bytes);
      break;
    case PictureFormat::png:
      result = decode_png(bytes);
      break;
    case PictureFormat::bmp:
      result = decode_bitmap(bytes);
      break;
  }
  if (result.outcome != PictureOutcome::loaded) return refused(result.outcome, format, frame);
  return {PictureOutcome::loaded, std::nullopt, format, fit_into_frame(result.picture, frame)};
}

std::vector<std::byte> read_at_most(std::ifstream& file, std::size_t count) {
  std::vector<std::byte> bytes(count);
  file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(count));
  bytes.resize(static_cast<std::size_t>(file.gcount()));
  return bytes;
}

}  // namespace

LoadedPicture load_picture(const std::filesystem::path& path, Plane& frame) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (status.type() == std::filesystem::file_type::not_found)
    return refused(PictureOutcome::missing, {}, frame);
  if (error) return refused(PictureOutcome::cannot_open, {}, frame);
  if (!std::filesystem::is_regular_file(status)) return refused(PictureOutcome::not_regular_file, {}, frame);
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error) return refused(PictureOutcome::cannot_open, {}, frame);

  std::ifstream file(path, std::ios::binary);
  if (!file) return refused(PictureOutcome::cannot_open, {}, frame);
  const std::vector<std::byte> head = read_at_most(file, kHeadBytes);
  if (size > 0 && head.empty()) return refused(PictureOutcome::cannot_open, {}, frame);
  std::optional<PictureFormat> format;
  bool to_bitmap_reader = false;
  if (const auto refusal = triage(head, path, format, to_bitmap_reader))
    return refused(*refusal, format, frame);
  if (to_bitmap_reader) {
    file.close();
    return from_bitmap_reader(read_bitmap(path, frame), head);
  }
  std::vector<std::byte> bytes = head;
  bytes.reserve(static_cast<std::size_t>(size));
  while (file) {  // to the end, even if the file grew since stat: a picture is never cut short here
    const std::vector<std::byte> chunk = read_at_most(file, std::size_t{1} << 20);
    bytes.insert(bytes.end(), chunk.begin(), chunk.end());
  }
  if (file.bad()) return refused(PictureOutcome::cannot_open, format, frame);
  return decoded(bytes, *format, frame);
}

LoadedPicture load_picture_bytes(std::span<const std::byte> bytes, const std::filesystem::path& name,
                                 Plane& frame) {
  const std::span<const std::byte> head = bytes.first(std::min(bytes.size(), kHeadBytes));
  std::optional<PictureFormat> format;
  bool to_bitmap_reader = false;
  if (const auto refusal = triage(head, name, format, to_bitmap_reader))
    return refused(*refusal, format, frame);
  if (to_bitmap_reader) return from_bitmap_reader(read_bitmap_bytes(bytes, frame), head);
  return decoded(bytes, *format, frame);
}

}  // namespace plate
