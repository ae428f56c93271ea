// Plan: read the header and refuse, before anything of the picture's size is allocated, pictures
// over the pixel limit, pictures whose rows are too long to decode in bounded memory, and files
// too short to hold their picture; then decode one row at a time as RGBA of 8 bits (16 for 16-bit
// files, so that blending rounds once), blending each row's new pixels onto white straight into
// the held blue-green-red picture. An interlaced file delivers its rows in seven passes, each
// filling some pixels of some rows: libspng puts each pass's pixels where they belong in a row of
// the whole width, and only those pixels are blended, so the picture is the same as if the whole
// RGBA picture had been decoded first. Peak memory is the 8-bit picture and a few rows (libspng's
// two rows at the file's depth, its converted row, and the one RGBA row here).
//
// Checksums: zlib's Adler-32 of the inflated data is checked, though it costs a quarter of a
// second on a 100-megapixel 16-bit picture (800 MB inflated): libspng stops reading when the last
// row is decoded, so the last picture-data chunk's CRC is never read, and the Adler-32 at its end is
// the only check of that chunk's bytes.
//
// The file is read through libspng's stream interface, 64 KB at a time, so bytes after the
// picture are never read and the file is never held whole.
//
// Limits, decided from the header:
//   * Row length: a row of RGBA at the decoding depth may take at most kMaxRowBytes (16 MB: a
//     picture over 2 million pixels wide at 16 bits, 4 million at 8). libspng holds two rows at the
//     file's depth and one converted, and no decoder can unfilter a PNG row without the row above
//     it, so a 100,000,000 x 1 picture of 16-bit RGBA would need 2.4 GB of rows alone
//     (`rows_too_long`).
//   * Minimum size: zlib codes at most 258 bytes in 2 bits (a copy of the longest length, with a
//     one-bit length code and a one-bit distance code), so the picture's inflated rows need at
//     least 1/1032 of their size in the file; a file with fewer bytes after its header is cut short
//     (`truncated`) and refused before its picture is allocated (a 69-byte file claiming
//     10000 x 10000).
//   * Bytes read: the inflated rows twice over (IDAT chunk framing and uncompressible data included,
//     with room to spare) and kAncillaryBytes of other chunks; past that the data is no picture
//     data (`corrupt`).
//   * Ancillary chunks (text, ICC profiles, EXIF) are not used. libspng keeps what it parses of
//     them within the chunk limits below; a file whose chunks pass those limits is refused as
//     `unsupported` (it is no damaged file: it is more metadata than is read here).

#include "image/png_decoder.h"

#include <spng.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

namespace plate {

namespace {

struct ContextCloser {
  void operator()(spng_ctx* context) const { spng_ctx_free(context); }
};

constexpr std::size_t kChunkLimitBytes = std::size_t{16} << 20;
constexpr std::size_t kChunkCacheLimitBytes = std::size_t{64} << 20;
constexpr std::uint64_t kAncillaryBytes = std::uint64_t{64} << 20;
constexpr std::uint64_t kMaxRowBytes = std::uint64_t{16} << 20;
constexpr std::uint64_t kMaxDeflateRatio = 1032;
constexpr std::size_t kReadBytes = std::size_t{64} << 10;

// Where each Adam7 pass's pixels start in a row, and how far apart they are.
constexpr std::array<int, 7> kPassFirstColumn{0, 4, 0, 2, 0, 1, 0};
constexpr std::array<int, 7> kPassColumnStep{8, 8, 4, 4, 2, 2, 1};
constexpr std::array<int, 7> kPassFirstRow{0, 0, 4, 0, 2, 0, 1};
constexpr std::array<int, 7> kPassRowStep{8, 8, 8, 4, 4, 2, 2};

// The stream libspng reads, through a buffer, up to a limit.
struct PngInput {
  ByteStream* stream = nullptr;
  std::uint64_t limit = 0;
  bool past_limit = false;
  std::size_t at = 0, filled = 0;
  std::array<std::byte, kReadBytes> buffer{};

  // The bytes libspng has taken.
  std::uint64_t consumed() const { return stream->position() - (filled - at); }
};

int read_input(spng_ctx*, void* user, void* destination, std::size_t length) {
  PngInput& input = *static_cast<PngInput*>(user);
  auto* out = static_cast<std::byte*>(destination);
  while (length > 0) {
    if (input.at == input.filled) {
      ByteStream& stream = *input.stream;
      if (stream.position() >= input.limit) {
        input.past_limit = true;
        return SPNG_IO_ERROR;
      }
      const auto want =
          static_cast<std::size_t>(std::min<std::uint64_t>(kReadBytes, input.limit - stream.position()));
      input.at = 0;
      input.filled = stream.read(std::span(input.buffer).first(want));
      if (input.filled == 0) return stream.read_failed() ? SPNG_IO_ERROR : SPNG_IO_EOF;
    }
    const std::size_t count = std::min(length, input.filled - input.at);
    std::memcpy(out, input.buffer.data() + input.at, count);
    input.at += count;
    out += count;
    length -= count;
  }
  return 0;
}

PictureOutcome outcome_of(int error, const PngInput& input) {
  switch (error) {
    case SPNG_IO_EOF:
      return PictureOutcome::truncated;
    case SPNG_ECHUNK_LIMITS:
      return PictureOutcome::unsupported;
    case SPNG_IO_ERROR:
      return !input.past_limit && input.stream->read_failed() ? PictureOutcome::cannot_open
                                                              : PictureOutcome::corrupt;
    default:
      return PictureOutcome::corrupt;
  }
}

std::uint64_t channels_of(std::uint8_t colour_type) {
  switch (colour_type) {
    case SPNG_COLOR_TYPE_GRAYSCALE_ALPHA:
      return 2;
    case SPNG_COLOR_TYPE_TRUECOLOR:
      return 3;
    case SPNG_COLOR_TYPE_TRUECOLOR_ALPHA:
      return 4;
    default:
      return 1;  // grey, palette
  }
}

// The bytes of the inflated picture data: each row (of each pass) with its filter byte.
std::uint64_t inflated_bytes(const spng_ihdr& header) {
  const std::uint64_t bits_per_pixel = channels_of(header.color_type) * header.bit_depth;
  const auto rows_bytes = [&](std::uint64_t width, std::uint64_t height) {
    return width == 0 || height == 0 ? 0 : height * (1 + (width * bits_per_pixel + 7) / 8);
  };
  if (header.interlace_method == SPNG_INTERLACE_NONE) return rows_bytes(header.width, header.height);
  std::uint64_t total = 0;
  for (std::size_t pass = 0; pass < 7; ++pass) {
    const auto count = [](std::uint64_t size, int first, int step) {
      return size > std::uint64_t(first)
                 ? (size - std::uint64_t(first) + std::uint64_t(step) - 1) / std::uint64_t(step)
                 : 0;
    };
    total += rows_bytes(count(header.width, kPassFirstColumn[pass], kPassColumnStep[pass]),
                        count(header.height, kPassFirstRow[pass], kPassRowStep[pass]));
  }
  return total;
}

template <typename Sample>
void blend_on_white(const Sample* rgba, int first, int step, int width, std::uint8_t* bgr) {
  constexpr std::uint64_t kMax = sizeof(Sample) == 1 ? 255 : 65535;
  constexpr std::uint64_t kDenominator = kMax * kMax;
  for (int x = first; x < width; x += step) {
    const Sample* pixel = rgba + std::size_t(x) * 4;
    std::uint8_t* out = bgr + std::size_t(x) * 3;
    const std::uint64_t alpha = pixel[3];
    // Opaque and transparent pixels, the most of nearly every picture, the quick way: the general
    // formula below gives (v * 255 + kMax / 2) / kMax and 255 for them, for every sample value v.
    if (alpha == kMax) {
      for (int c = 0; c < 3; ++c)
        out[2 - c] = static_cast<std::uint8_t>((std::uint32_t{pixel[c]} * 255 + kMax / 2) / kMax);
      continue;
    }
    if (alpha == 0) {
      out[0] = out[1] = out[2] = 255;
      continue;
    }
    for (int c = 0; c < 3; ++c) {
      const std::uint64_t blended = (std::uint64_t{pixel[c]} * alpha + kMax * (kMax - alpha)) * 255;
      out[2 - c] = static_cast<std::uint8_t>((blended + kDenominator / 2) / kDenominator);
    }
  }
}

// Blends the pixels of one row that `pass` brought (every pixel when the file is not interlaced).
void blend_row(const std::uint8_t* rgba, bool sixteen_bits, int pass, bool interlaced, int width,
               std::uint8_t* bgr) {
  const int first = interlaced ? kPassFirstColumn[std::size_t(pass)] : 0;
  const int step = interlaced ? kPassColumnStep[std::size_t(pass)] : 1;
  if (sixteen_bits) {
    blend_on_white(reinterpret_cast<const std::uint16_t*>(rgba), first, step, width, bgr);
  } else {
    blend_on_white(rgba, first, step, width, bgr);
  }
}

}  // namespace

DecodeResult decode_png(ByteStream& stream, const std::atomic<bool>* cancel) {
  const std::unique_ptr<spng_ctx, ContextCloser> context(spng_ctx_new(0));
  if (!context) return {PictureOutcome::corrupt, {}};
  spng_ctx* ctx = context.get();
  spng_set_chunk_limits(ctx, kChunkLimitBytes, kChunkCacheLimitBytes);
  const auto input = std::make_unique<PngInput>();
  input->stream = &stream;
  input->limit = kReadBytes;  // the signature and the header chunk are 33 bytes
  if (const int error = spng_set_png_stream(ctx, read_input, input.get()))
    return {outcome_of(error, *input), {}};
  spng_ihdr header{};
  if (const int error = spng_get_ihdr(ctx, &header)) return {outcome_of(error, *input), {}};
  if (!within_pixel_limit(header.width, header.height)) return {PictureOutcome::too_large, {}};
  const bool sixteen_bits = header.bit_depth == 16;
  const std::uint64_t rgba_row_bytes = std::uint64_t(header.width) * (sixteen_bits ? 8 : 4);
  if (rgba_row_bytes > kMaxRowBytes) return {PictureOutcome::rows_too_long, {}};
  const std::uint64_t inflated = inflated_bytes(header);
  const std::uint64_t header_end = input->consumed();
  if (stream.size() - std::min(stream.size(), header_end) < inflated / kMaxDeflateRatio)
    return {PictureOutcome::truncated, {}};
  input->limit = header_end + kAncillaryBytes + 2 * inflated + kReadBytes;

  const int format = sixteen_bits ? SPNG_FMT_RGBA16 : SPNG_FMT_RGBA8;
  if (const int error =
          spng_decode_image(ctx, nullptr, 0, format, SPNG_DECODE_TRNS | SPNG_DECODE_PROGRESSIVE)) {
    return {outcome_of(error, *input), {}};
  }

  const int width = static_cast<int>(header.width), height = static_cast<int>(header.height);
  const bool interlaced = header.interlace_method != SPNG_INTERLACE_NONE;
  DecodeResult result{PictureOutcome::loaded, {}};
  DecodedPicture& picture = result.picture;
  picture.source_width = picture.width = width;
  picture.source_height = picture.height = height;
  picture.bgr.resize(std::size_t(width) * std::size_t(height) * 3);
  // 16-bit samples are read as std::uint16_t, so the row is held in std::uint16_t storage.
  std::vector<std::uint16_t> rgba(static_cast<std::size_t>(rgba_row_bytes) / 2 + 1);
  auto* rgba_bytes = reinterpret_cast<std::uint8_t*>(rgba.data());
  int error = 0;
  do {
    if (cancelled(cancel)) return {PictureOutcome::interrupted, {}};
    spng_row_info row{};
    if ((error = spng_get_row_info(ctx, &row)) != 0) break;
    error = spng_decode_row(ctx, rgba_bytes, static_cast<std::size_t>(rgba_row_bytes));
    if (error == 0 || error == SPNG_EOI) {
      blend_row(rgba_bytes, sixteen_bits, row.pass, interlaced, width,
                picture.bgr.data() + std::size_t(row.row_num) * std::size_t(width) * 3);
    }
  } while (error == 0);
  if (error != SPNG_EOI) return {outcome_of(error, *input), {}};
  return result;
}

DecodeResult decode_png(std::span<const std::byte> png) {
  MemoryStream stream(png);
  return decode_png(stream);
}

}  // namespace plate
