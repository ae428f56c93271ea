// Plan: read the header and refuse pictures over the pixel limit before anything of their size is
// allocated; decode rows one at a time as RGBA of 8 bits (16 for 16-bit files, so that blending
// rounds once), blending each onto white into the held blue-green-red picture. An interlaced
// file delivers its rows in seven passes, each filling part of every row, so it is decoded into a
// whole RGBA picture first and blended after the last pass.

#include "image/png_decoder.h"

#include <spng.h>

#include <memory>

namespace plate {

namespace {

struct ContextCloser {
  void operator()(spng_ctx* context) const { spng_ctx_free(context); }
};

// Chunks other than the picture data (text, ICC profiles) are not used; these bound what a
// hostile file can make the decoder hold for them.
constexpr std::size_t kChunkLimitBytes = std::size_t{16} << 20;
constexpr std::size_t kChunkCacheLimitBytes = std::size_t{64} << 20;

PictureOutcome outcome_of(int error) {
  return error == SPNG_IO_EOF ? PictureOutcome::truncated : PictureOutcome::corrupt;
}

template <typename Sample>
void blend_row_on_white(const Sample* rgba, int width, std::uint8_t* bgr) {
  constexpr std::uint64_t kMax = sizeof(Sample) == 1 ? 255 : 65535;
  constexpr std::uint64_t kDenominator = kMax * kMax;
  for (int x = 0; x < width; ++x, rgba += 4, bgr += 3) {
    const std::uint64_t alpha = rgba[3];
    for (int c = 0; c < 3; ++c) {
      const std::uint64_t blended = (std::uint64_t{rgba[c]} * alpha + kMax * (kMax - alpha)) * 255;
      bgr[2 - c] = static_cast<std::uint8_t>((blended + kDenominator / 2) / kDenominator);
    }
  }
}

void blend_row(const std::uint8_t* rgba, bool sixteen_bits, int width, std::uint8_t* bgr) {
  if (sixteen_bits) {
    blend_row_on_white(reinterpret_cast<const std::uint16_t*>(rgba), width, bgr);
  } else {
    blend_row_on_white(rgba, width, bgr);
  }
}

}  // namespace

DecodeResult decode_png(std::span<const std::byte> png) {
  const std::unique_ptr<spng_ctx, ContextCloser> context(spng_ctx_new(0));
  if (!context) return {PictureOutcome::corrupt, {}};
  spng_ctx* ctx = context.get();
  spng_set_chunk_limits(ctx, kChunkLimitBytes, kChunkCacheLimitBytes);
  if (const int error = spng_set_png_buffer(ctx, png.data(), png.size())) return {outcome_of(error), {}};
  spng_ihdr header{};
  if (const int error = spng_get_ihdr(ctx, &header)) return {outcome_of(error), {}};
  if (!within_pixel_limit(header.width, header.height)) return {PictureOutcome::too_large, {}};

  const bool sixteen_bits = header.bit_depth == 16;
  const int format = sixteen_bits ? SPNG_FMT_RGBA16 : SPNG_FMT_RGBA8;
  const int width = static_cast<int>(header.width), height = static_cast<int>(header.height);
  const std::size_t rgba_row_bytes = std::size_t(width) * (sixteen_bits ? 8 : 4);
  if (const int error =
          spng_decode_image(ctx, nullptr, 0, format, SPNG_DECODE_TRNS | SPNG_DECODE_PROGRESSIVE)) {
    return {outcome_of(error), {}};
  }

  DecodeResult result{PictureOutcome::loaded, {}};
  DecodedPicture& picture = result.picture;
  picture.source_width = picture.width = width;
  picture.source_height = picture.height = height;
  picture.bgr.resize(std::size_t(width) * std::size_t(height) * 3);
  const bool interlaced = header.interlace_method != SPNG_INTERLACE_NONE;
  // 16-bit samples are read as std::uint16_t, so the rows are held in std::uint16_t storage.
  std::vector<std::uint16_t> rgba((interlaced ? std::size_t(height) : 1) * rgba_row_bytes / 2 + 1);
  auto* rgba_bytes = reinterpret_cast<std::uint8_t*>(rgba.data());
  int error = 0;
  do {
    spng_row_info row{};
    if ((error = spng_get_row_info(ctx, &row)) != 0) break;
    std::uint8_t* destination = rgba_bytes + (interlaced ? std::size_t(row.row_num) * rgba_row_bytes : 0);
    error = spng_decode_row(ctx, destination, rgba_row_bytes);
    if (!interlaced && (error == 0 || error == SPNG_EOI)) {
      blend_row(destination, sixteen_bits, width, picture.bgr.data() + std::size_t(row.row_num) * width * 3);
    }
  } while (error == 0);
  if (error != SPNG_EOI) return {outcome_of(error), {}};
  if (interlaced) {
    for (int y = 0; y < height; ++y) {
      blend_row(rgba_bytes + std::size_t(y) * rgba_row_bytes, sixteen_bits, width,
                picture.bgr.data() + std::size_t(y) * std::size_t(width) * 3);
    }
  }
  return result;
}

}  // namespace plate
