#pragma once
// Picture files that make a decoder work, allocate or read more than their picture needs, or that
// lie about their picture: made in the tests from sound files (encoded_pictures.h), byte by byte.
// Large ones are written as sparse files or streamed through zlib, so that none is ever stored.

// clang-format off
#include <cstdio>  // jpeglib.h needs FILE and size_t declared before it
#include <jpeglib.h>
// clang-format on
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "encoded_pictures.h"

namespace plate::testing {

inline std::uint8_t byte_at(const Bytes& bytes, std::size_t i) {
  return static_cast<std::uint8_t>(bytes[i]);
}

// Where each marker segment of a JPEG starts, up to its end-of-image marker; a start-of-scan
// segment's entry runs to the end of its entropy-coded data.
struct JpegSegment {
  std::uint8_t marker = 0;
  std::size_t begin = 0, end = 0;
};

inline std::vector<JpegSegment> jpeg_segments(const Bytes& jpeg) {
  std::vector<JpegSegment> segments;
  std::size_t pos = 2;
  while (pos + 3 < jpeg.size() && byte_at(jpeg, pos) == 0xFF) {
    const std::uint8_t marker = byte_at(jpeg, pos + 1);
    if (marker == 0xD9) break;
    std::size_t end = pos + 2 + (std::size_t(byte_at(jpeg, pos + 2)) << 8 | byte_at(jpeg, pos + 3));
    if (marker == 0xDA) {
      while (end + 1 < jpeg.size() && !(byte_at(jpeg, end) == 0xFF && byte_at(jpeg, end + 1) != 0 &&
                                        (byte_at(jpeg, end + 1) < 0xD0 || byte_at(jpeg, end + 1) > 0xD7)))
        ++end;
    }
    segments.push_back({marker, pos, end});
    pos = end;
  }
  return segments;
}

// The JPEG with its scan number `scan` (0 the first) and its entropy-coded data repeated, so that
// it is there `copies` times in a row.
inline Bytes with_scan_repeated(const Bytes& jpeg, int scan, int copies) {
  int seen = 0;
  for (const JpegSegment& segment : jpeg_segments(jpeg)) {
    if (segment.marker != 0xDA || seen++ != scan) continue;
    Bytes out(jpeg.begin(), jpeg.begin() + std::ptrdiff_t(segment.end));
    for (int i = 1; i < copies; ++i)
      out.insert(out.end(), jpeg.begin() + std::ptrdiff_t(segment.begin),
                 jpeg.begin() + std::ptrdiff_t(segment.end));
    out.insert(out.end(), jpeg.begin() + std::ptrdiff_t(segment.end), jpeg.end());
    return out;
  }
  throw std::runtime_error("no such scan");
}

// The JPEG with its frame header's bytes from `at` on (4 the bits a sample, 5 the height, 7 the
// width) replaced; the data stays that of the real picture.
inline Bytes with_frame_header(Bytes jpeg, std::size_t at, std::initializer_list<std::uint8_t> bytes) {
  const std::vector<JpegSegment> segments = jpeg_segments(jpeg);
  const auto frame =
      std::ranges::find_if(segments, [](auto& s) { return s.marker >= 0xC0 && s.marker <= 0xC2; });
  for (const std::uint8_t b : bytes) jpeg.at(frame->begin + at++) = std::byte{b};
  return jpeg;
}

inline Bytes with_size_claimed(const Bytes& jpeg, std::uint16_t width, std::uint16_t height) {
  return with_frame_header(
      jpeg, 5,
      {std::uint8_t(height >> 8), std::uint8_t(height), std::uint8_t(width >> 8), std::uint8_t(width)});
}

// The first `keep` bytes of the file and an end-of-image marker after them.
inline Bytes cut_with_end_marker(const Bytes& jpeg, std::size_t keep) {
  Bytes out(jpeg.begin(), jpeg.begin() + std::ptrdiff_t(keep));
  out.push_back(std::byte{0xFF});
  out.push_back(std::byte{0xD9});
  return out;
}

// A photo-like picture, the sound one the hostile files are made from.
inline BgrPicture photo_picture(int width, int height) {
  BgrPicture picture(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const auto level = std::uint8_t((x * 7 + y * 13 + (x * y) % 97) % 256);
      picture.set(x, y, level, std::uint8_t(255 - level), std::uint8_t(level / 2));
    }
  return picture;
}

enum class GreyJpegScans {
  sequential,           // one scan, as a baseline file
  one_per_coefficient,  // progressive: the DC coefficients, then each AC coefficient alone (64 scans)
  two_per_coefficient,  // each coefficient's high bits, then its lowest bit (128 scans)
};

// A sound grey JPEG at quality 90 through libjpeg, in the scans asked for. Every progression sends
// the same coefficients, so every one decodes to the sequential file's pixels.
inline Bytes encode_grey_jpeg(const std::vector<std::uint8_t>& grey, int width, int height,
                              GreyJpegScans scans_of) {
  jpeg_compress_struct info{};
  jpeg_error_mgr error{};
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &out, &size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = 1;
  info.in_color_space = JCS_GRAYSCALE;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 90, TRUE);
  std::vector<jpeg_scan_info> scans;
  const auto scan = [&](int first, int last, int high, int low) {
    jpeg_scan_info s{};
    s.comps_in_scan = 1;
    s.component_index[0] = 0;
    s.Ss = first, s.Se = last, s.Ah = high, s.Al = low;
    scans.push_back(s);
  };
  const bool refine = scans_of == GreyJpegScans::two_per_coefficient;
  for (int k = 0; k < 64; ++k) scan(k, k, 0, refine ? 1 : 0);
  if (refine)
    for (int k = 0; k < 64; ++k) scan(k, k, 1, 0);
  if (scans_of != GreyJpegScans::sequential) {
    info.scan_info = scans.data();
    info.num_scans = static_cast<int>(scans.size());
  }
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    auto* row = const_cast<JSAMPROW>(grey.data() + std::size_t(info.next_scanline) * std::size_t(width));
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  Bytes bytes(reinterpret_cast<std::byte*>(out), reinterpret_cast<std::byte*>(out) + size);
  std::free(out);
  return bytes;
}

// PNG files written chunk by chunk.
class PngWriter {
 public:
  explicit PngWriter(Bytes& out) : out_(out) {
    constexpr std::array<std::uint8_t, 8> kSignature{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    for (std::uint8_t b : kSignature) out_.push_back(std::byte{b});
  }
  void header(std::uint32_t width, std::uint32_t height, std::uint8_t depth, std::uint8_t colour_type,
              bool interlaced) {
    std::vector<std::uint8_t> data;
    put32(data, width);
    put32(data, height);
    data.insert(data.end(), {depth, colour_type, 0, 0, std::uint8_t(interlaced ? 1 : 0)});
    chunk("IHDR", data);
  }
  void chunk(std::string_view type, const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> whole;
    put32(whole, static_cast<std::uint32_t>(data.size()));
    whole.insert(whole.end(), type.begin(), type.end());
    whole.insert(whole.end(), data.begin(), data.end());
    const uLong crc = crc32(0, whole.data() + 4, static_cast<uInt>(whole.size() - 4));
    put32(whole, static_cast<std::uint32_t>(crc));
    for (std::uint8_t b : whole) out_.push_back(std::byte{b});
  }
  void end() { chunk("IEND", {}); }

  static void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.insert(out.end(),
               {std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)});
  }

 private:
  Bytes& out_;
};

// `count` zero bytes through zlib, at its best ratio (runs of 258 bytes in two bits): what a
// picture of that many zero bytes of filtered rows compresses to.
inline std::vector<std::uint8_t> deflated_zeros(std::uint64_t count) {
  z_stream stream{};
  if (deflateInit2(&stream, 9, Z_DEFLATED, 15, 9, Z_RLE) != Z_OK) throw std::runtime_error("deflateInit2");
  std::vector<std::uint8_t> out;
  const std::vector<std::uint8_t> zeros(std::size_t{1} << 20, 0);
  std::array<std::uint8_t, 1 << 16> buffer{};
  int flush = Z_NO_FLUSH;
  do {
    const std::uint64_t piece = std::min<std::uint64_t>(count, zeros.size());
    count -= piece;
    flush = count == 0 ? Z_FINISH : Z_NO_FLUSH;
    stream.next_in = const_cast<Bytef*>(zeros.data());
    stream.avail_in = static_cast<uInt>(piece);
    do {
      stream.next_out = buffer.data();
      stream.avail_out = buffer.size();
      deflate(&stream, flush);
      out.insert(out.end(), buffer.data(), buffer.data() + (buffer.size() - stream.avail_out));
    } while (stream.avail_out == 0);
  } while (flush != Z_FINISH);
  deflateEnd(&stream);
  return out;
}

// The bytes of filtered rows a PNG of that size holds (one filter byte a row, each pass's rows for
// an interlaced one).
inline std::uint64_t png_data_bytes(std::uint64_t width, std::uint64_t height, std::uint64_t bits_per_pixel,
                                    bool interlaced) {
  const auto rows = [&](std::uint64_t w, std::uint64_t h) {
    return w && h ? h * (1 + (w * bits_per_pixel + 7) / 8) : 0;
  };
  if (!interlaced) return rows(width, height);
  constexpr std::array<std::uint64_t, 7> x0{0, 4, 0, 2, 0, 1, 0}, dx{8, 8, 4, 4, 2, 2, 1},
      y0{0, 0, 4, 0, 2, 0, 1}, dy{8, 8, 8, 4, 4, 2, 2};
  std::uint64_t total = 0;
  for (std::size_t p = 0; p < 7; ++p)
    total += rows(width > x0[p] ? (width - x0[p] + dx[p] - 1) / dx[p] : 0,
                  height > y0[p] ? (height - y0[p] + dy[p] - 1) / dy[p] : 0);
  return total;
}

// A 16-bit RGBA PNG of zero samples (transparent black, white once blended): tiny for its size.
inline Bytes zero_rgba16_png(std::uint32_t width, std::uint32_t height, bool interlaced) {
  Bytes out;
  PngWriter png(out);
  png.header(width, height, 16, 6, interlaced);
  const std::vector<std::uint8_t> data = deflated_zeros(png_data_bytes(width, height, 64, interlaced));
  for (std::size_t at = 0; at < data.size(); at += std::size_t{1} << 20)
    png.chunk("IDAT", std::vector<std::uint8_t>(
                          data.begin() + std::ptrdiff_t(at),
                          data.begin() + std::ptrdiff_t(std::min(data.size(), at + (1 << 20)))));
  png.end();
  return out;
}

// A PNG header claiming `width` x `height` 8-bit RGBA and the picture data of one zero byte.
inline Bytes png_header_only(std::uint32_t width, std::uint32_t height) {
  Bytes out;
  PngWriter png(out);
  png.header(width, height, 8, 6, false);
  png.chunk("IDAT", deflated_zeros(1));
  png.end();
  return out;
}

// A sound 1 x 1 grey PNG with a chunk before its picture data that inflates to `inflated` bytes:
// an ICC profile (iCCP) or compressed text (zTXt).
inline Bytes png_with_large_chunk(std::string_view type, std::uint64_t inflated) {
  Bytes out;
  PngWriter png(out);
  png.header(1, 1, 8, 0, false);
  std::vector<std::uint8_t> data{'n', 'a', 'm', 'e', 0, 0};  // keyword, its end, compression method 0
  const std::vector<std::uint8_t> compressed = deflated_zeros(inflated);
  data.insert(data.end(), compressed.begin(), compressed.end());
  png.chunk(type, data);
  png.chunk("IDAT", deflated_zeros(2));
  png.end();
  return out;
}

// `bytes` and then a hole of `hole` bytes that reads as zeros and takes no disk space.
inline void write_sparse_after(const std::filesystem::path& path, const Bytes& bytes, std::uint64_t hole) {
  write_file(path, bytes);
  std::filesystem::resize_file(path, bytes.size() + hole);
}

}  // namespace plate::testing
