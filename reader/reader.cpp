// Plan of a read: load the picture into the frame (image/ checks the file and reads nothing but a
// regular file, from the descriptor it checked), run the engine, record the run's plates (and the enlarged
// tiles', when asked), and give every box also in the picture's own pixels.

#include "reader/reader.h"

#include <algorithm>
#include <chrono>

#include "engine/template_file.h"
#include "image/decoded_picture.h"
#include "image/regular_file.h"
#include "reader/names.h"
#include "tiling/small_plate_reader.h"
#ifdef PLATE_FIND_PLATES
#include "finder/found_plate_reading.h"
#endif

namespace plate::reader {

bool has_plate_finder() {
#ifdef PLATE_FIND_PLATES
  return true;
#else
  return false;
#endif
}

Reader::Reader(ReadSettings settings) : settings_(settings), frame_(std::make_unique<Plane>()) {}

Reader::~Reader() = default;

// The file is checked and opened once and read from that descriptor, as pictures are: a FIFO
// swapped in cannot block. As the engine's own loader does, at most one pattern file's bytes are
// read and a file of any other size is judged by its size.
std::optional<Failure> Reader::load_patterns(const std::filesystem::path& file) {
  const std::string shown_name = escaped_name(display_name(file));
  OpenedFile opened = open_regular_file(file);
  if (opened.kind != PathKind::regular)
    return pattern_failure(path_failure(opened.kind, opened.system_error), shown_name);
  std::vector<std::byte> bytes(
      static_cast<std::size_t>(std::min<std::uint64_t>(opened.file.size(), kPatternFileBytes)));
  bytes.resize(opened.file.read_at(0, bytes));
  const auto table = std::make_unique<TemplateTable>();
  TemplateLoadOutcome outcome = opened.file.read_failed()
                                    ? TemplateLoadOutcome{TemplateLoadStatus::unreadable, 0, -1}
                                    : fill_templates(*table, bytes);
  if (outcome.status != TemplateLoadStatus::unreadable && opened.file.size() != kPatternFileBytes)
    outcome = {TemplateLoadStatus::wrong_size, opened.file.size(), -1};
  engine_.use_templates(*table);
  if (outcome.loaded()) return std::nullopt;
  return pattern_failure(outcome, shown_name);
}

void Reader::use_templates(const TemplateTable& templates) {
  engine_.use_templates(templates);
}

Record Reader::read_file(const std::filesystem::path& path) {
  return read_loaded(display_name(path), load_picture(path, *frame_, load_options()));
}

Record Reader::read_bytes(std::span<const std::byte> bytes, const std::string& name) {
  return read_loaded(name, load_picture_bytes(bytes, std::filesystem::u8path(name), *frame_, load_options()));
}

// Nothing runs on a refused picture, so its frame need not be cleared.
LoadOptions Reader::load_options() const {
  return {.keep_source = settings_.keep_source, .black_frame_on_refusal = false, .cancel = settings_.cancel};
}

Record Reader::read_loaded(const std::string& name, LoadedPicture loaded) {
  plates_.clear();
  mapping_ = {};
  source_ = {};
  if (loaded.outcome != PictureOutcome::loaded)
    return failed_record(name, loaded.path_kind != PathKind::regular
                                   ? path_failure(loaded.path_kind, loaded.system_error)
                                   : picture_failure(loaded.outcome, loaded.bitmap_outcome));
  mapping_ = loaded.mapping;
  source_ = std::move(loaded.source);
  // Without the picture decoders the frame is what the bitmap reader fills, and the record keeps
  // the form it has always had there: no source, boxes in the frame alone.
  if (!picture_decoders_built()) mapping_.fitted = {kFrameWidth, kFrameHeight};
  Record record =
      run(picture_decoders_built() && loaded.format ? std::optional(std::string(format_name(*loaded.format)))
                                                    : std::nullopt);
  record.name = name;
  return record;
}

Record Reader::read_pixels(const PixelView& pixels) {
  plates_.clear();
  mapping_ = {};
  source_ = {};
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

Record Reader::read_fitted_frame(std::unique_ptr<Plane>& frame, const FrameMapping& mapping,
                                 std::string format) {
  plates_.clear();
  std::swap(frame_, frame);
  mapping_ = mapping;
  return run(std::move(format));
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
  if (settings_.find_plates) {
    const auto finding = std::chrono::steady_clock::now();
    add_found_plates(record);
    record.elapsed_us +=
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - finding)
            .count();
  }
  if (format) add_source_boxes(record, std::move(*format), mapping_);
  return record;
}

void Reader::add_found_plates([[maybe_unused]] Record& record) {
#ifdef PLATE_FIND_PLATES
  if (!sheet_) sheet_ = std::make_unique<Plane>();
  const std::vector<FoundPlateReading> found = read_found_plates(engine_, *frame_, mapping_, *sheet_);
  std::erase_if(record.plates, [&](const PlateRecord& p) {
    return !keeps_frame_plate(found, {p.x_min, p.x_max, p.y_min, p.y_max}, p.worst_distance, p.text);
  });
  std::erase_if(plates_, [&](const RunPlate& p) {
    return !keeps_frame_plate(found, p.frame, p.worst_distance, p.text);
  });
  const auto corners = [](const SourceQuad& quad) {
    SourceCorners c;
    for (std::size_t k = 0; k < 4; ++k) c[k] = {quad[k].x, quad[k].y};
    return c;
  };
  for (const FoundPlateReading& reading : found) {
    std::vector<SourceCorners> character_corners;
    for (const SourceQuad& quad : reading.character_quads) character_corners.push_back(corners(quad));
    add_straightened_plate(record, engine_.templates(), reading.plate, corners(reading.quad),
                           character_corners, settings_.max_distance);
    plates_.push_back(reading.plate);
  }
#endif
}

}  // namespace plate::reader
