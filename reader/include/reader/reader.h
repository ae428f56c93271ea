#pragma once
// A Reader turns a picture (a file, bytes in memory, or pixels) into one Record: the picture is
// checked and loaded into the 1024 x 768 frame, the engine runs over it, and the record holds the
// plates with their boxes (also in the picture's own pixels), distances, timings and log, or why
// the picture could not be read. Every front end (plate-read, the Python module, the service)
// reads through one.
//
//   plate::reader::Reader reader;
//   if (const auto failure = reader.load_patterns("EBMPlog00.pat")) ...;
//   const plate::reader::Record record = reader.read_file("photo.jpg");
//
// A Reader owns one engine workspace (about 10 MB) and serves one thread at a time; run several
// for parallel work, sharing one loaded template table (use_templates).

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/plane.h"
#include "engine/recognition_engine.h"
#include "engine/run_plates.h"
#include "image/decoded_picture.h"
#include "image/frame_fit.h"
#include "image/picture_loader.h"
#include "reader/failure.h"
#include "reader/record.h"

namespace plate {
class SmallPlateReader;
}

namespace plate::reader {

struct ReadSettings {
  bool review_candidates = false;            // fill Record::candidates
  std::optional<std::int32_t> max_distance;  // leave out plates whose worst distance is above it
  bool small_plates = false;                 // also read enlarged tiles (tiling/small_plate_reader.h)
  bool keep_source = false;                  // keep the picture at its full size, for an overlay
  // Also find the photo's plates, straighten them and read them on a sheet of their own
  // (finder/found_plate_reading.h); a plate read there stands in place of any other read on it.
  // Ignored where the finder is not built (has_plate_finder()).
  bool find_plates = false;
  // When set, a read stops soon after this becomes true, failing as `interrupted` (LoadOptions::cancel).
  const std::atomic<bool>* cancel = nullptr;
};

// Whether this build has the plate finder (OpenCV); the Windows program has not.
bool has_plate_finder();

enum class ChannelOrder { rgb, bgr };

// An H x W x 3 array of bytes; strides are in bytes and may be negative (numpy views).
struct PixelView {
  const std::uint8_t* data = nullptr;
  std::int64_t height = 0, width = 0;
  std::int64_t row_stride = 0, column_stride = 0, channel_stride = 0;
  ChannelOrder order = ChannelOrder::rgb;
};

class Reader {
 public:
  explicit Reader(ReadSettings settings = {});
  ~Reader();
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;

  // Loads the templates from `file`, opening nothing but a regular file (a FIFO cannot block).
  // Nothing when the file was loaded whole; otherwise why not, the message naming the file. The
  // engine runs with what could be read (nothing, or the sound records).
  std::optional<Failure> load_patterns(const std::filesystem::path& file);
  void use_templates(const TemplateTable& templates);
  const TemplateTable& templates() const { return engine_.templates(); }

  ReadSettings& settings() { return settings_; }

  // The picture at `path`, told by its bytes (JPEG, PNG, BMP). Nothing but a regular file is opened.
  Record read_file(const std::filesystem::path& path);

  // A picture file's bytes held in memory (an upload, say), read as read_file reads a file; `name`
  // is the record's name and is checked against the bytes as a file's name is (it may be empty).
  Record read_bytes(std::span<const std::byte> bytes, const std::string& name);

  // An array: one that fits the frame is placed where the bitmap reader places a picture of its
  // size (its top row at the frame's top, its left column at x = 0, the rest black); a larger one
  // is shrunk into the frame as picture files are, and its boxes are also given in its own pixels.
  // The record has no name.
  Record read_pixels(const PixelView& pixels);

  // A frame the caller has fitted itself (a video decoder converts and shrinks in one pass), placed
  // as fit_into_frame places a picture by `mapping`. The reader takes `frame` and hands its previous
  // frame back in its place, to be filled next, so no frame is copied. `format` is the record's
  // source format; every box is also given in the source's pixels.
  Record read_fitted_frame(std::unique_ptr<Plane>& frame, const FrameMapping& mapping, std::string format);

  // What the last read ran on and read, for drawing its overlay: the frame, where the picture went
  // in it, and every plate (the run's and the tiles', before max_distance leaves any out).
  const Plane& frame() const { return *frame_; }
  const FrameMapping& mapping() const { return mapping_; }
  const std::vector<RunPlate>& plates() const { return plates_; }
  // With ReadSettings::keep_source, the last picture read from a file or bytes at its full size
  // (decoded once, with the frame); empty otherwise.
  const DecodedPicture& source() const { return source_; }

 private:
  LoadOptions load_options() const;
  Record read_loaded(const std::string& name, LoadedPicture loaded);
  Record run(std::optional<std::string> format);
  // Reads the plates found in the frame and puts them in the record and plates_ in place of any
  // plate read on them; runs the engine over the sheet, so it comes after everything that reads
  // the frame's run.
  void add_found_plates(Record& record);

  ReadSettings settings_;
  RecognitionEngine engine_;
  std::unique_ptr<Plane> frame_;
  FrameMapping mapping_;
  DecodedPicture source_;
  std::vector<RunPlate> plates_;
  std::unique_ptr<SmallPlateReader> small_plates_;  // made on the first read that asks for it
  std::unique_ptr<Plane> sheet_;                    // the straightened plates, made on first use
};

}  // namespace plate::reader
