#pragma once
// Picture files made in the tests themselves: JPEG through TurboJPEG, PNG through libspng,
// bitmaps byte by byte (bmp_files.h). Pixels are given as blue-green-red rows, the top row first.

#include <spng.h>
#include <turbojpeg.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <utility>
#include <vector>

#include "engine/plane.h"
#include "scratch_folder.h"

namespace plate::testing {

using Bytes = std::vector<std::byte>;

struct BgrPicture {
  int width = 0, height = 0;
  std::vector<std::uint8_t> bgr;

  BgrPicture(int w, int h, std::uint8_t level = 0)
      : width(w), height(h), bgr(std::size_t(w) * h * 3, level) {}
  void set(int x, int y, std::uint8_t b, std::uint8_t g, std::uint8_t r) {
    std::uint8_t* p = bgr.data() + (std::size_t(y) * width + x) * 3;
    p[0] = b, p[1] = g, p[2] = r;
  }
};

// A frame as a picture `k` times its size, each frame pixel a k x k block (so that shrinking it
// back gives the frame exactly).
inline BgrPicture enlarged_frame(const Plane& frame, int k) {
  BgrPicture picture(kFrameWidth * k, kFrameHeight * k);
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x) {
      const int fx = x / k, fy = kFrameHeight - 1 - y / k;
      picture.set(x, y, frame.channel_unchecked(fx, fy, Channel::blue),
                  frame.channel_unchecked(fx, fy, Channel::green),
                  frame.channel_unchecked(fx, fy, Channel::red));
    }
  return picture;
}

enum class JpegKind {
  baseline,
  cmyk,         // the blue, green and red bytes and a zero fourth byte taken as C, M, Y, K
  progressive,  // libjpeg's standard progression of 10 scans
};

// At quality 100, 4:4:4.
inline Bytes encode_jpeg(const BgrPicture& picture, JpegKind kind = JpegKind::baseline) {
  const bool cmyk = kind == JpegKind::cmyk;
  tjhandle handle = tjInitCompress();
  unsigned char* out = nullptr;
  unsigned long size = 0;
  std::vector<std::uint8_t> pixels = picture.bgr;
  if (cmyk) {
    pixels.assign(std::size_t(picture.width) * picture.height * 4, 0);
    for (std::size_t i = 0; i < std::size_t(picture.width) * picture.height; ++i)
      std::memcpy(&pixels[i * 4], &picture.bgr[i * 3], 3);
  }
  if (tjCompress2(handle, pixels.data(), picture.width, picture.width * (cmyk ? 4 : 3), picture.height,
                  cmyk ? TJPF_CMYK : TJPF_BGR, &out, &size, TJSAMP_444, 100,
                  kind == JpegKind::progressive ? TJFLAG_PROGRESSIVE : 0) != 0) {
    throw std::runtime_error(tjGetErrorStr2(handle));
  }
  Bytes bytes(reinterpret_cast<std::byte*>(out), reinterpret_cast<std::byte*>(out) + size);
  tjFree(out);
  tjDestroy(handle);
  return bytes;
}

// The JPEG with an EXIF segment holding only the orientation tag, in either byte order, straight
// after the start-of-image marker.
inline Bytes with_exif_orientation(const Bytes& jpeg, int orientation, bool little_endian) {
  const auto o = static_cast<std::uint8_t>(orientation);
  const std::vector<std::uint8_t> tiff =
      little_endian ? std::vector<std::uint8_t>{'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01, 3,
                                                0,   1,   0,  0, 0, o, 0, 0, 0, 0, 0,    0,    0}
                    : std::vector<std::uint8_t>{'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1, 0x01, 0x12, 0,
                                                3,   0,   0, 0,  1, 0, o, 0, 0, 0, 0,    0,    0};
  std::vector<std::uint8_t> segment{0xFF, 0xE1, 0, 0, 'E', 'x', 'i', 'f', 0, 0};
  segment.insert(segment.end(), tiff.begin(), tiff.end());
  segment[2] = static_cast<std::uint8_t>((segment.size() - 2) >> 8);
  segment[3] = static_cast<std::uint8_t>(segment.size() - 2);
  Bytes out(jpeg.begin(), jpeg.begin() + 2);
  for (std::uint8_t b : segment) out.push_back(std::byte{b});
  out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
  return out;
}

struct PngImage {
  spng_ihdr header{};
  std::vector<std::uint8_t> data;  // the rows in the file's own layout; 16-bit samples host-endian
  std::vector<spng_plte_entry> palette;
  std::vector<std::uint8_t> palette_alpha;
};

inline Bytes encode_png(PngImage image) {
  spng_ctx* ctx = spng_ctx_new(SPNG_CTX_ENCODER);
  spng_set_option(ctx, SPNG_ENCODE_TO_BUFFER, 1);
  spng_set_ihdr(ctx, &image.header);
  if (!image.palette.empty()) {
    spng_plte plte{};
    plte.n_entries = std::uint32_t(image.palette.size());
    std::copy(image.palette.begin(), image.palette.end(), plte.entries);
    spng_set_plte(ctx, &plte);
  }
  if (!image.palette_alpha.empty()) {
    spng_trns trns{};
    trns.n_type3_entries = std::uint32_t(image.palette_alpha.size());
    std::copy(image.palette_alpha.begin(), image.palette_alpha.end(), trns.type3_alpha);
    spng_set_trns(ctx, &trns);
  }
  if (const int error =
          spng_encode_image(ctx, image.data.data(), image.data.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE)) {
    throw std::runtime_error(spng_strerror(error));
  }
  std::size_t size = 0;
  int error = 0;
  void* buffer = spng_get_png_buffer(ctx, &size, &error);
  Bytes bytes(static_cast<std::byte*>(buffer), static_cast<std::byte*>(buffer) + size);
  std::free(buffer);
  spng_ctx_free(ctx);
  return bytes;
}

// 8-bit RGB.
inline Bytes encode_png(const BgrPicture& picture) {
  PngImage png;
  png.header = {
      std::uint32_t(picture.width), std::uint32_t(picture.height), 8, SPNG_COLOR_TYPE_TRUECOLOR, 0, 0, 0};
  png.data = picture.bgr;
  for (std::size_t i = 0; i < png.data.size(); i += 3) std::swap(png.data[i], png.data[i + 2]);
  return encode_png(std::move(png));
}

}  // namespace plate::testing
