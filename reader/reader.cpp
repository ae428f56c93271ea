// Plan of a read: check the file with stat (a FIFO, device or socket is never opened), load it into
// the frame, run the engine, record the run's plates (and the enlarged tiles', when asked), and give
// every box also in the picture's own pixels.

#include "reader/reader.h"

#include <chrono>

#include "engine/template_file.h"
#include "image/bitmap_reader.h"
#include "image/decoded_picture.h"
#include "reader/names.h"
#include "tiling/small_plate_reader.h"
#ifdef PLATE_READ_PICTURES
#include "image/picture_loader.h"
#endif

namespace plate::reader {

Reader::Reader(ReadSettings settings) : settings_(settings), frame_(std::make_unique<Plane>()) {}

Reader::~Reader() = default;

std::optional<Failure> Reader::load_patterns(const std::filesystem::path& file) {
  const std::string shown_name = escaped_name(display_name(file));
  if (const std::optional<Failure> refused = check_regular_file(file))
    return pattern_failure(*refused, shown_name);
  const TemplateLoadOutcome outcome = engine_.load_templates(file);
  if (outcome.loaded()) return std::nullopt;
  return pattern_failure(outcome, shown_name);
}

void Reader::use_templates(const TemplateTable& templates) {
  engine_.use_templates(templates);
}

Record Reader::read_file(const std::filesystem::path& path) {
  const std::string name = display_name(path);
  plates_.clear();
  mapping_ = {};
  if (const std::optional<Failure> refused = check_regular_file(path)) return failed_record(name, *refused);
#ifdef PLATE_READ_PICTURES
  const LoadedPicture loaded = load_picture(path, *frame_);
  if (loaded.outcome != PictureOutcome::loaded)
    return failed_record(name, picture_failure(loaded.outcome, loaded.bitmap_outcome));
  mapping_ = loaded.mapping;
  Record record = run(loaded.format ? std::string(format_name(*loaded.format)) : std::string());
#else
  // Without the picture decoders the frame is what the bitmap reader fills: the whole frame.
  const ReadOutcome outcome = read_bitmap(path, *frame_);
  if (!picture_was_read(outcome))
    return failed_record(name, picture_failure(PictureOutcome::bitmap_refused, outcome));
  mapping_.fitted = {kFrameWidth, kFrameHeight};
  Record record = run(std::nullopt);
#endif
  record.name = name;
  return record;
}

Record Reader::read_bytes(std::span<const std::byte> bytes, const std::string& name) {
  plates_.clear();
  mapping_ = {};
#ifdef PLATE_READ_PICTURES
  const LoadedPicture loaded = load_picture_bytes(bytes, std::filesystem::u8path(name), *frame_);
  if (loaded.outcome != PictureOutcome::loaded)
    return failed_record(name, picture_failure(loaded.outcome, loaded.bitmap_outcome));
  mapping_ = loaded.mapping;
  Record record = run(loaded.format ? std::string(format_name(*loaded.format)) : std::string());
#else
  const ReadOutcome outcome = read_bitmap_bytes(bytes, *frame_);
  if (!picture_was_read(outcome))
    return failed_record(name, picture_failure(PictureOutcome::bitmap_refused, outcome));
  mapping_.fitted = {kFrameWidth, kFrameHeight};
  Record record = run(std::nullopt);
#endif
  record.name = name;
  return record;
}

Record Reader::read_pixels(const PixelView& pixels) {
  plates_.clear();
  mapping_ = {};
  const std::int64_t red_at = pixels.order == ChannelOrder::rgb ? 0 : 2;
  const std::int64_t blue_at = 2 - red_at;
  const auto pixel_at = [&](std::int64_t x, std::int64_t y) {
    return pixels.data + y * pixels.row_stride + x * pixels.column_stride;
  };
  if (pixels.width <= 0 || pixels.height <= 0)
    return failed_record({}, {FailureKind::not_a_picture,
                              "the array has no pixels: it is " + std::to_string(pixels.height) + " x " +
                                  std::to_string(pixels.width) + " (height x width)",
                              {},
                              0});
  if (pixels.width <= kFrameWidth && pixels.height <= kFrameHeight) {
    frame_->fill(0);
    for (std::int64_t y = 0; y < pixels.height; ++y) {
      std::uint8_t* out = frame_->row(kFrameHeight - 1 - static_cast<int>(y));
      for (std::int64_t x = 0; x < pixels.width; ++x, out += kBytesPerPixel) {
        const std::uint8_t* in = pixel_at(x, y);
        out[static_cast<int>(Channel::blue)] = in[blue_at * pixels.channel_stride];
        out[static_cast<int>(Channel::green)] = in[pixels.channel_stride];
        out[static_cast<int>(Channel::red)] = in[red_at * pixels.channel_stride];
      }
    }
    const PictureSize size{static_cast<int>(pixels.width), static_cast<int>(pixels.height)};
    mapping_ = {size, size};
    return run(std::nullopt);
  }
  if (!within_pixel_limit(static_cast<std::uint64_t>(pixels.width),
                          static_cast<std::uint64_t>(pixels.height)))
    return failed_record({}, {FailureKind::too_large,
                              "the array has more than " + std::to_string(kMaxPicturePixels) + " pixels",
                              {},
                              0});
  DecodedPicture decoded;
  decoded.source_width = decoded.width = static_cast<int>(pixels.width);
  decoded.source_height = decoded.height = static_cast<int>(pixels.height);
  decoded.bgr.resize(static_cast<std::size_t>(pixels.width * pixels.height * 3));
  std::uint8_t* out = decoded.bgr.data();
  for (std::int64_t y = 0; y < pixels.height; ++y) {
    for (std::int64_t x = 0; x < pixels.width; ++x, out += 3) {
      const std::uint8_t* in = pixel_at(x, y);
      out[0] = in[blue_at * pixels.channel_stride];
      out[1] = in[pixels.channel_stride];
      out[2] = in[red_at * pixels.channel_stride];
    }
  }
  mapping_ = fit_into_frame(decoded, *frame_);
  return run("array");
}

Record Reader::run(std::optional<std::string> format) {
  const auto start = std::chrono::steady_clock::now();
  const RunResult& result = engine_.run(*frame_);
  std::vector<PlateReading> tile_plates;
  if (settings_.small_plates) {
    if (!small_plates_) small_plates_ = std::make_unique<SmallPlateReader>(engine_.templates());
    tile_plates = small_plates_->read(*frame_, mapping_.fitted.width, mapping_.fitted.height, result);
  }
  const auto elapsed = std::chrono::steady_clock::now() - start;  // the run's and the tiles' wall time

  Record record = record_run(engine_, settings_.max_distance);
  record.elapsed_us = std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count();
  add_tile_plates(record, engine_.templates(), tile_plates, settings_.max_distance);
  plates_ = plates_in_dialog_order(result);
  for (const PlateReading& reading : tile_plates) plates_.push_back(reading.plate);
  if (settings_.review_candidates) record.candidates = review_candidates(engine_);
  if (format) add_source_boxes(record, std::move(*format), mapping_);
  return record;
}

}  // namespace plate::reader
