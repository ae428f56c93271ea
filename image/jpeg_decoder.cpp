// Plan: read the header (size, colour space, EXIF orientation) through libjpeg's own interface,
// from a source manager that reads the stream in 64 KB pieces; refuse CMYK, 12-bit and other
// unread variants, pictures over the pixel limit and files too short to hold their blocks, all
// before anything of the picture's size is allocated; pick the smallest of the scales 1, 1/2,
// 1/4, 1/8 whose stored size, turned as shown, still covers the fitted size; decode at that scale
// straight into blue-green-red rows; turn the pixels.
//
// libjpeg's interface rather than TurboJPEG's (which sits on it, and gives the same pixels for the
// same settings: islow DCT, fancy upsampling, scaling inside the inverse DCT):
//   * Every warning is seen with its code. TurboJPEG keeps only the first warning's text, so a
//     harmless first warning (stray bytes between markers) hid a bad Huffman code or a scan cut
//     short after it, and a picture with grey where its data ended was reported as read.
//   * The file is read as the decoder asks for it: bytes after the end-of-image marker are never
//     read, and a file is never held in memory (TurboJPEG decodes from memory only).
//   * The number of scans can be limited at once (below), not only at TurboJPEG's 500.
//
// Verdicts. A warning that data is missing (the data ends before the picture, or a scan ends at a
// marker before its last block) stops the decode as `truncated`, whatever follows it (an end
// marker appended to a cut file changes nothing); any warning about corrupt data (a bad Huffman or
// arithmetic code, a restart marker out of place, scan parameters that break the progression)
// stops it as `corrupt`. Warnings that leave every pixel as the file means it are kept quiet:
// stray bytes between markers (common in camera files, the decoder skips them), an unknown JFIF
// revision or Adobe transform code. libjpeg's errors are `corrupt`, except the ones that name a
// variant it does not read (12-bit samples, lossless or hierarchical JPEG): `unsupported`.
//
// Limits, each for work that could grow without the picture growing:
//   * Scans. A progressive file carries its picture in several scans, each a pass over every block
//     of the components it covers: libjpeg's standard progression has 10 (6 for grey), and one scan
//     per coefficient of a grey picture has 64. A file of more than kMaxScans (100) scans is
//     refused (`too_many_scans`) as soon as the decoder reaches its next scan: 100 passes over a
//     12-megapixel photo's blocks take well under a second. A scan repeated to make the decoder
//     work is refused sooner, at its second copy, whose warning breaks the progression.
//   * Bytes. The decoder is given at most kHeaderBytes (64 MB: an ICC profile alone may take 16 MB
//     of APP2 segments; the APP1 segments, where EXIF lives, are kept in memory until the header
//     is read) before its first scan, and then, scan by scan, what a scan can hold:
//     kScanBytesPerBlock for each block of the picture (a block's 64 coefficients, each a Huffman
//     code of at most 16 bits and at most 16 more bits, with every byte stuffed, is 512 bytes, and
//     a restart marker 2 more) and kHeaderBytes of tables between scans. Data past that is no
//     picture data (`corrupt`).
//   * Minimum size. Every block of a Huffman-coded file has at least one bit (its DC code), so a
//     file whose bytes after its header are fewer than a bit for each block is cut short, and is
//     refused before the decoder allocates anything for its size (a header claiming 10000 x 10000
//     over the data of a small picture). Arithmetic coding has no such floor.
//
// libjpeg reports errors by longjmp. Here it jumps only from its own frames and from the
// callbacks below (none of which holds an object with a destructor when it jumps) back to
// run_decoder, whose frame holds no such object either; everything the decode fills lives in
// objects owned outside it.
//
// Rejected alternative: lossless rotation with tjTransform before decoding. It works on whole
// 8- or 16-pixel blocks, so pictures whose size is not a multiple of the block size lose or gain
// edge pixels, and it would decode the picture a second time; turning the already scaled pixels
// costs about 1 ms.

#include "image/jpeg_decoder.h"

// clang-format off
#include <cstdio>  // jpeglib.h needs FILE and size_t declared before it
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstdint>
#include <memory>
#include <optional>

#include "image/exif_orientation.h"
#include "image/frame_fit.h"

namespace plate {

namespace {

constexpr int kMaxScans = 100;
constexpr std::uint64_t kHeaderBytes = std::uint64_t{64} << 20;
constexpr std::uint64_t kScanBytesPerBlock = 514;
constexpr std::size_t kReadBytes = std::size_t{64} << 10;

constexpr std::array<int, 4> kScaleDenominators{8, 4, 2, 1};  // smallest picture first

int scaled(int size, int denominator) {
  return (size + denominator - 1) / denominator;
}

// Why a decode stopped before its end.
enum class Stop : std::uint8_t {
  none,
  truncated,
  corrupt,
  unsupported,
  too_many_scans,
  read_failed,
  interrupted
};

// Everything the callbacks reach. `info` comes first, so that the j_common_ptr and
// j_decompress_ptr libjpeg passes are a pointer to the whole.
struct Decoder {
  jpeg_decompress_struct info;
  jpeg_error_mgr error;
  jpeg_source_mgr source;
  jpeg_progress_mgr progress;
  std::jmp_buf jump;
  ByteStream* stream;
  const std::atomic<bool>* cancel;
  std::uint64_t scan_bytes;  // what each scan may take; 0 until the header is read
  std::uint64_t header_end;  // the stream position when the header had been read
  Stop stop;
  std::array<std::byte, kReadBytes> buffer;
};

Decoder& decoder_of(j_common_ptr common) {
  return *reinterpret_cast<Decoder*>(common);
}

[[noreturn]] void stop_with(Decoder& decoder, Stop stop) {
  decoder.stop = stop;
  std::longjmp(decoder.jump, 1);
}

Stop stop_for_error(int code) {
  switch (code) {
    case JERR_BAD_PRECISION:    // 12- or 16-bit samples
    case JERR_SOF_UNSUPPORTED:  // lossless, hierarchical
    case JERR_NOT_COMPILED:     // a feature this libjpeg lacks
    case JERR_ARITH_NOTIMPL:    // arithmetic coding, where it is not built in
      return Stop::unsupported;
    default:
      return Stop::corrupt;
  }
}

void error_exit(j_common_ptr common) {
  Decoder& decoder = decoder_of(common);
  stop_with(decoder, stop_for_error(common->err->msg_code));
}

// Warnings (level -1) stop the decode unless they leave every pixel as the file means it; trace
// messages (levels 0 and up) are ignored.
void emit_message(j_common_ptr common, int level) {
  if (level >= 0) return;
  common->err->num_warnings++;
  switch (common->err->msg_code) {
    case JWRN_EXTRANEOUS_DATA:  // stray bytes between markers, skipped
    case JWRN_JFIF_MAJOR:       // an unknown JFIF revision
    case JWRN_ADOBE_XFORM:      // an unknown Adobe transform code
    case JWRN_BOGUS_ICC:        // an ICC profile marker, not used here
      return;
    case JWRN_HIT_MARKER:  // a scan's data ends before its last block
    case JWRN_JPEG_EOF:    // the file ends
      stop_with(decoder_of(common), Stop::truncated);
    default:  // bad codes, restart markers out of place, a broken progression
      stop_with(decoder_of(common), Stop::corrupt);
  }
}

void output_message(j_common_ptr) {}

// libjpeg calls this for every row of blocks it takes in and every output row it gives.
void progress_monitor(j_common_ptr common) {
  Decoder& decoder = decoder_of(common);
  if (decoder.info.input_scan_number > kMaxScans) stop_with(decoder, Stop::too_many_scans);
  if (cancelled(decoder.cancel)) stop_with(decoder, Stop::interrupted);
}

void init_source(j_decompress_ptr) {}

void term_source(j_decompress_ptr) {}

// How far into the stream the decoder may read: kHeaderBytes until the header is read, then what
// the scans reached so far can hold.
std::uint64_t read_limit(const Decoder& decoder) {
  if (decoder.scan_bytes == 0) return kHeaderBytes;
  const auto scans = static_cast<std::uint64_t>(std::max(decoder.info.input_scan_number, 1));
  return decoder.header_end + kHeaderBytes + scans * decoder.scan_bytes;
}

boolean fill_input_buffer(j_decompress_ptr info) {
  Decoder& decoder = decoder_of(reinterpret_cast<j_common_ptr>(info));
  ByteStream& stream = *decoder.stream;
  const std::uint64_t limit = read_limit(decoder);
  if (stream.position() >= limit) stop_with(decoder, Stop::corrupt);
  const std::size_t want =
      static_cast<std::size_t>(std::min<std::uint64_t>(kReadBytes, limit - stream.position()));
  const std::size_t count = stream.read(std::span(decoder.buffer).first(want));
  if (count == 0) stop_with(decoder, stream.read_failed() ? Stop::read_failed : Stop::truncated);
  info->src->next_input_byte = reinterpret_cast<const JOCTET*>(decoder.buffer.data());
  info->src->bytes_in_buffer = count;
  return TRUE;
}

// Markers the decoder does not keep (most APPn segments, comments) are passed over in the stream,
// not read.
void skip_input_data(j_decompress_ptr info, long count) {
  if (count <= 0) return;
  jpeg_source_mgr& source = *info->src;
  auto left = static_cast<std::uint64_t>(count);
  if (left <= source.bytes_in_buffer) {
    source.next_input_byte += left;
    source.bytes_in_buffer -= static_cast<std::size_t>(left);
    return;
  }
  left -= source.bytes_in_buffer;
  source.bytes_in_buffer = 0;
  Decoder& decoder = decoder_of(reinterpret_cast<j_common_ptr>(info));
  ByteStream& stream = *decoder.stream;
  if (stream.position() + left > read_limit(decoder)) stop_with(decoder, Stop::corrupt);
  if (stream.skip(left) < left) stop_with(decoder, Stop::truncated);
}

// The bytes the decoder has taken from the stream (read, less what waits in its buffer).
std::uint64_t consumed(const Decoder& decoder) {
  return decoder.stream->position() - decoder.source.bytes_in_buffer;
}

// The blocks a scan of every component codes, edge padding of interleaved scans included (at most
// what any scan codes), and the blocks of the picture itself.
struct BlockCounts {
  std::uint64_t coded = 0;
  std::uint64_t picture = 0;
};

BlockCounts block_counts(const jpeg_decompress_struct& info) {
  BlockCounts counts;
  for (int c = 0; c < info.num_components; ++c) {
    const jpeg_component_info& component = info.comp_info[c];
    const auto round_up = [](std::uint64_t n, std::uint64_t m) { return m > 0 ? (n + m - 1) / m * m : n; };
    counts.coded += round_up(component.width_in_blocks, std::uint64_t(component.h_samp_factor)) *
                    round_up(component.height_in_blocks, std::uint64_t(component.v_samp_factor));
    counts.picture += std::uint64_t(component.width_in_blocks) * component.height_in_blocks;
  }
  return counts;
}

int orientation_of(const jpeg_decompress_struct& info) {
  for (jpeg_saved_marker_ptr marker = info.marker_list; marker != nullptr; marker = marker->next) {
    if (marker->marker != JPEG_APP0 + 1) continue;
    const std::span<const std::byte> data(reinterpret_cast<const std::byte*>(marker->data),
                                          marker->data_length);
    if (const std::optional<int> orientation = exif_segment_orientation(data)) return *orientation;
  }
  return 1;
}

// The decode itself, between setjmp and the jumps back to it. Holds no object with a destructor:
// `result` and `decoder` are owned by the caller. On a stop, decoder.stop says why.
void run_decoder(Decoder& decoder, JpegDecodeSize decode_size, DecodeResult& result) {
  jpeg_decompress_struct& info = decoder.info;
  if (setjmp(decoder.jump) != 0) return;
  jpeg_create_decompress(&info);
  info.src = &decoder.source;
  info.progress = &decoder.progress;
  jpeg_save_markers(&info, JPEG_APP0 + 1, 0xFFFF);
  jpeg_read_header(&info, TRUE);
  decoder.header_end = consumed(decoder);

  if (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK) {
    result.outcome = PictureOutcome::cmyk_jpeg;
    return;
  }
  const int width = static_cast<int>(info.image_width), height = static_cast<int>(info.image_height);
  if (!within_pixel_limit(info.image_width, info.image_height)) {
    result.outcome = PictureOutcome::too_large;
    return;
  }
  const BlockCounts blocks = block_counts(info);
  if (!info.arith_code && decoder.stream->size() - std::min(decoder.stream->size(), decoder.header_end) <
                              (blocks.picture + 7) / 8) {
    result.outcome = PictureOutcome::truncated;
    return;
  }
  decoder.scan_bytes = blocks.coded * kScanBytesPerBlock;

  const int orientation = orientation_of(info);
  const bool turned = orientation >= 5;
  const int denominator = decode_size == JpegDecodeSize::full ? 1
                          : turned                            ? jpeg_scale_denominator(height, width)
                                                              : jpeg_scale_denominator(width, height);
  info.scale_num = 1;
  info.scale_denom = static_cast<unsigned>(denominator);
  info.out_color_space = JCS_EXT_BGR;
  info.dct_method = JDCT_ISLOW;
  info.do_fancy_upsampling = TRUE;

  DecodedPicture& picture = result.picture;
  picture.source_width = width;
  picture.source_height = height;
  picture.width = scaled(width, denominator);
  picture.height = scaled(height, denominator);
  picture.bgr.resize(std::size_t(picture.width) * std::size_t(picture.height) * 3);
  jpeg_start_decompress(&info);
  if (int(info.output_width) != picture.width || int(info.output_height) != picture.height ||
      info.output_components != 3) {
    decoder.stop = Stop::corrupt;  // not what was asked for: no picture rather than a wrong one
    return;
  }
  std::array<JSAMPROW, 16> rows{};
  while (info.output_scanline < info.output_height) {
    const JDIMENSION first = info.output_scanline;
    const JDIMENSION count = std::min<JDIMENSION>(rows.size(), info.output_height - first);
    for (JDIMENSION i = 0; i < count; ++i)
      rows[i] = picture.bgr.data() + std::size_t(first + i) * std::size_t(picture.width) * 3;
    jpeg_read_scanlines(&info, rows.data(), count);
  }
  jpeg_finish_decompress(&info);
  result.outcome = PictureOutcome::loaded;
  apply_orientation(picture, orientation);
}

PictureOutcome outcome_of(Stop stop) {
  switch (stop) {
    case Stop::truncated:
      return PictureOutcome::truncated;
    case Stop::unsupported:
      return PictureOutcome::unsupported;
    case Stop::too_many_scans:
      return PictureOutcome::too_many_scans;
    case Stop::read_failed:
      return PictureOutcome::cannot_open;
    case Stop::interrupted:
      return PictureOutcome::interrupted;
    default:
      return PictureOutcome::corrupt;
  }
}

}  // namespace

int jpeg_scale_denominator(int shown_width, int shown_height) {
  const PictureSize fitted = fitted_size(shown_width, shown_height);
  for (const int d : kScaleDenominators) {
    if (scaled(shown_width, d) >= fitted.width && scaled(shown_height, d) >= fitted.height) return d;
  }
  return 1;
}

DecodeResult decode_jpeg(ByteStream& stream, JpegDecodeSize decode_size, const std::atomic<bool>* cancel) {
  const auto decoder = std::make_unique<Decoder>();
  decoder->stream = &stream;
  decoder->cancel = cancel;
  decoder->stop = Stop::none;
  decoder->info.err = jpeg_std_error(&decoder->error);
  decoder->error.error_exit = error_exit;
  decoder->error.emit_message = emit_message;
  decoder->error.output_message = output_message;
  decoder->source.init_source = init_source;
  decoder->source.fill_input_buffer = fill_input_buffer;
  decoder->source.skip_input_data = skip_input_data;
  decoder->source.resync_to_restart = jpeg_resync_to_restart;
  decoder->source.term_source = term_source;
  decoder->progress.progress_monitor = progress_monitor;

  DecodeResult result{PictureOutcome::corrupt, {}};
  run_decoder(*decoder, decode_size, result);
  jpeg_destroy_decompress(&decoder->info);
  if (decoder->stop != Stop::none) result.outcome = outcome_of(decoder->stop);
  if (result.outcome != PictureOutcome::loaded) result.picture = {};
  return result;
}

DecodeResult decode_jpeg(std::span<const std::byte> jpeg, JpegDecodeSize decode_size) {
  MemoryStream stream(jpeg);
  return decode_jpeg(stream, decode_size);
}

}  // namespace plate
