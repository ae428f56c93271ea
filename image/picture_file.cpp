#include "picture_file.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <system_error>

#include "image/bitmap_decoder.h"
#include "image/jpeg_decoder.h"
#include "image/png_decoder.h"

namespace plate {

namespace {

constexpr std::size_t kHeadBytes = 64;  // enough for every signature and the bitmap headers

PictureFile refused(PictureOutcome outcome, std::optional<PictureFormat> format = std::nullopt) {
  return {outcome, format, false, {}};
}

// The name check and the choice of reader.
PictureFile triage(std::span<const std::byte> head, const std::filesystem::path& name) {
  if (head.empty()) return refused(PictureOutcome::empty_file);
  const std::optional<PictureFormat> format = format_of_bytes(head);
  const std::optional<PictureFormat> claimed = format_named_by(name);
  if (!format) return refused(PictureOutcome::unrecognised_bytes);
  if (claimed && claimed != format) return refused(PictureOutcome::name_bytes_mismatch, format);
  return {std::nullopt, format, format == PictureFormat::bmp && !is_read_by_bitmap_decoder(head), {}};
}

std::vector<std::byte> read_at_most(std::ifstream& file, std::size_t count) {
  std::vector<std::byte> bytes(count);
  file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(count));
  bytes.resize(static_cast<std::size_t>(file.gcount()));
  return bytes;
}

}  // namespace

PictureFile open_picture_file(const std::filesystem::path& path) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (status.type() == std::filesystem::file_type::not_found) return refused(PictureOutcome::missing);
  if (error) return refused(PictureOutcome::cannot_open);
  if (!std::filesystem::is_regular_file(status)) return refused(PictureOutcome::not_regular_file);
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error) return refused(PictureOutcome::cannot_open);

  std::ifstream file(path, std::ios::binary);
  if (!file) return refused(PictureOutcome::cannot_open);
  std::vector<std::byte> head = read_at_most(file, kHeadBytes);
  if (size > 0 && head.empty()) return refused(PictureOutcome::cannot_open);
  PictureFile picture = triage(head, path);
  if (picture.refusal) return picture;
  picture.bytes = std::move(head);
  if (picture.to_bitmap_reader) return picture;
  picture.bytes.reserve(static_cast<std::size_t>(size));
  while (file) {  // to the end, even if the file grew since stat: a picture is never cut short here
    const std::vector<std::byte> chunk = read_at_most(file, std::size_t{1} << 20);
    picture.bytes.insert(picture.bytes.end(), chunk.begin(), chunk.end());
  }
  if (file.bad()) return refused(PictureOutcome::cannot_open, picture.format);
  return picture;
}

PictureFile triage_picture_bytes(std::span<const std::byte> bytes, const std::filesystem::path& name) {
  return triage(bytes.first(std::min(bytes.size(), kHeadBytes)), name);
}

DecodeResult decode_picture(std::span<const std::byte> bytes, PictureFormat format,
                            JpegDecodeSize jpeg_size) {
  switch (format) {
    case PictureFormat::jpeg:
      return decode_jpeg(bytes, jpeg_size);
    case PictureFormat::png:
      return decode_png(bytes);
    case PictureFormat::bmp:
      return decode_bitmap(bytes);
  }
  return {};
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

}  // namespace plate
