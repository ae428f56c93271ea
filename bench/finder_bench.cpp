// finder_bench: what finding plates first (plate-read --find-plates) reads on photos, beside the
// run over the whole frame and the enlarged tiles of --small-plates.
//
// Seeded 2048 x 1536 photos (photo_scenes.h): plates turned up to 45 degrees and tilted up to 20,
// 40 to 400 px wide once fitted into the frame, grille bars, gratings and badges near them, uneven
// light and shadow. A reported plate is exact when its text is a plate's and its centre, in the
// photo's pixels, lies on that plate's serial row, the first time that plate is reported; every
// other reported plate is wrong (a text not there, or a plate reported twice).
//
// The finder's plates (plate-read --find-plates) are shown alone and merged with the frame run's
// as the reader merges them (keeps_frame_plate): the frame run's plates give way where a plate was
// read straightened, and elsewhere are kept up to a worst distance. The merge is also shown for
// other such limits, for the choice. The plates are straightened from the fitted picture, as
// plate-read does, or with --from-photo from the photo's own pixels (twice as fine).
// Times are this thread's CPU time a photo.
//
//   usage: finder_bench [--photos N] [--set development|checking] [--plate-width W] [--levels 80,110,...]
//                       [--frame-worst-distance N] [--from-photo] [--list] [--pictures DIR] [PATTERN_FILE]
// --pictures writes each photo as fitted into the frame and the sheet of its straightened plates.

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "cpu_time.h"
#include "engine/recognition_engine.h"
#include "finder/found_plate_reading.h"
#include "image/frame_fit.h"
#include "image/png_encoder.h"
#include "photo_scenes.h"
#include "present/plate_text.h"
#include "tiling/small_plate_reader.h"
#include "tools/plate_renderer/photo_scene.h"

namespace {

using plate::PlateReading;
using plate::SourcePoint;

using plate::bench::cpu_seconds;

struct Reported {
  std::string text;
  SourcePoint centre;
};

struct Score {
  int plates = 0, exact = 0, wrong = 0;
};

Score score(const std::vector<Reported>& reported, const plate::tools::PhotoScene& scene, const char* mode,
            int index, bool list) {
  Score s;
  s.plates = int(scene.plates.size());
  std::vector<bool> found(scene.plates.size(), false);
  for (const Reported& r : reported) {
    bool exact = false;
    for (std::size_t p = 0; p < scene.plates.size() && !exact; ++p) {
      if (found[p] || r.text != plate::tools::expected_plate_text(scene.plates[p].lettering.serial)) continue;
      exact = found[p] =
          plate::bench::on_serial_row(scene.plates[p], scene.width, scene.height, r.centre.x, r.centre.y);
    }
    s.exact += exact;
    s.wrong += !exact;
    if (!exact && list)
      std::printf("  %s: wrong on photo %d: %s at %.0f,%.0f\n", mode, index,
                  plate::plate_text_to_utf8(r.text).c_str(), r.centre.x, r.centre.y);
  }
  return s;
}

SourcePoint centre_of(const plate::SourceQuad& quad) {
  SourcePoint c;
  for (const SourcePoint& p : quad) {
    c.x += p.x / 4;
    c.y += p.y / 4;
  }
  return c;
}

std::vector<Reported> frame_reports(const std::vector<PlateReading>& plates,
                                    const plate::FrameMapping& mapping) {
  std::vector<Reported> out;
  for (const PlateReading& r : plates) {
    const auto box = plate::frame_box_to_source(
        mapping, {r.plate.frame.x_min, r.plate.frame.x_max, r.plate.frame.y_min, r.plate.frame.y_max});
    if (!box) continue;
    out.push_back({r.plate.text, {(box->x_min + box->x_max + 1) / 2.0, (box->y_min + box->y_max + 1) / 2.0}});
  }
  return out;
}

// The top-left width x height of the frame, as a PNG file.
void write_png(const std::string& path, const plate::Plane& frame, int width, int height) {
  plate::DecodedPicture picture;
  picture.source_width = picture.width = width;
  picture.source_height = picture.height = height;
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = frame.row(plate::kFrameHeight - 1 - y);
    picture.bgr.insert(picture.bgr.end(), row, row + 3 * width);
  }
  const std::vector<std::uint8_t> png = plate::encode_png(picture);
  if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
    std::fwrite(png.data(), 1, png.size(), file);
    std::fclose(file);
  }
}

enum Mode { kDefault, kSmall, kFinderAlone, kFinder, kModes };
constexpr const char* kModeNames[kModes] = {"default (whole frame)", "--small-plates", "straightened alone",
                                            "--find-plates"};

std::vector<int> parse_list(const std::string& text) {
  std::vector<int> values;
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    values.push_back(std::stoi(text.substr(start, comma - start)));
    start = comma + 1;
  }
  return values;
}

}  // namespace

int main(int argc, char** argv) {
  int count = 100;
  plate::bench::PhotoSet set = plate::bench::PhotoSet::development;
  plate::FoundPlateSettings settings;
  bool list = false;
  bool from_photo = false;
  std::filesystem::path picture_dir;
  std::filesystem::path pattern_file = std::filesystem::path(PLATE_SOURCE_DIR) / "data" / "EBMPlog00.pat";
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--photos" && i + 1 < argc) {
      count = std::stoi(argv[++i]);
    } else if (arg == "--set" && i + 1 < argc) {
      const std::string name = argv[++i];
      set = name == "checking" ? plate::bench::PhotoSet::checking : plate::bench::PhotoSet::development;
    } else if (arg == "--plate-width" && i + 1 < argc) {
      settings.layout.plate_width = std::stoi(argv[++i]);
    } else if (arg == "--background" && i + 1 < argc) {
      settings.layout.background = std::stoi(argv[++i]);
    } else if (arg == "--serial-row-top" && i + 1 < argc) {
      settings.serial_row_top = std::stod(argv[++i]);
    } else if (arg == "--frame-worst-distance" && i + 1 < argc) {
      settings.frame_worst_distance = std::stoi(argv[++i]);
    } else if (arg == "--levels" && i + 1 < argc) {
      settings.finder.light_levels = parse_list(argv[++i]);
    } else if (arg == "--pictures" && i + 1 < argc) {
      picture_dir = argv[++i];
    } else if (arg == "--from-photo") {
      from_photo = true;
    } else if (arg == "--list") {
      list = true;
    } else {
      pattern_file = arg;
    }
  }
  plate::RecognitionEngine engine, sheet_engine;
  if (!engine.load_templates(pattern_file).loaded() || !sheet_engine.load_templates(pattern_file).loaded()) {
    std::fprintf(stderr, "finder_bench: cannot load the templates from %s\n", pattern_file.string().c_str());
    return 1;
  }
  plate::SmallPlateReader small(engine.templates());
  const plate::tools::PlateFonts fonts = plate::tools::load_plate_fonts();
  auto frame = std::make_unique<plate::Plane>();
  auto sheet_frame = std::make_unique<plate::Plane>();

  Score totals[kModes];
  const std::vector<std::int32_t> kOtherLimits{8, 11, 14, 17, 20, std::numeric_limits<std::int32_t>::max()};
  std::vector<Score> other_limits(kOtherLimits.size());
  double frame_s = 0, tiles_s = 0, finder_s = 0;
  int plates = 0;
  for (int index = 0; index < count; ++index) {
    const plate::tools::PhotoScene scene = plate::bench::make_photo_scene(set, index);
    const plate::DecodedPicture picture = plate::bench::as_decoded(plate::tools::render_photo(scene, fonts));
    plates += int(scene.plates.size());

    double t0 = cpu_seconds();
    const plate::FrameMapping mapping = plate::fit_into_frame(picture, *frame);
    const plate::RunResult& result = engine.run(*frame);
    const std::vector<PlateReading> frame_plates = plate::plates_of_run(result, plate::Tile{});
    double t1 = cpu_seconds();
    std::vector<PlateReading> with_tiles = frame_plates;
    for (PlateReading& r : small.read(*frame, mapping.fitted.width, mapping.fitted.height, result))
      with_tiles.push_back(std::move(r));
    double t2 = cpu_seconds();
    const std::vector<plate::FoundPlateReading> found = plate::read_found_plates(
        sheet_engine, *frame, mapping, *sheet_frame, from_photo ? &picture : nullptr, settings);
    double t3 = cpu_seconds();
    if (!picture_dir.empty()) {
      const std::string stem = (picture_dir / std::to_string(index)).string();
      write_png(stem + "-frame.png", *frame, mapping.fitted.width, mapping.fitted.height);
      write_png(stem + "-sheet.png", *sheet_frame, plate::kFrameWidth, plate::kFrameHeight);
    }
    frame_s += t1 - t0;
    tiles_s += t2 - t1;
    finder_s += t3 - t2;

    std::vector<Reported> reports[kModes];
    reports[kDefault] = frame_reports(frame_plates, mapping);
    reports[kSmall] = frame_reports(with_tiles, mapping);
    for (const plate::FoundPlateReading& r : found)
      reports[kFinderAlone].push_back({r.plate.text, centre_of(r.quad)});
    const auto merged = [&](std::int32_t frame_worst_distance) {
      plate::FoundPlateSettings merge = settings;
      merge.frame_worst_distance = frame_worst_distance;
      std::vector<Reported> all = reports[kFinderAlone];
      for (const PlateReading& r : frame_plates)
        if (plate::keeps_frame_plate(found, r.plate.frame, r.plate.worst_distance, r.plate.text, merge))
          all.push_back(frame_reports({r}, mapping).front());
      return all;
    };
    reports[kFinder] = merged(settings.frame_worst_distance);
    for (std::size_t l = 0; l < kOtherLimits.size(); ++l) {
      const Score s = score(merged(kOtherLimits[l]), scene, "", index, false);
      other_limits[l].exact += s.exact;
      other_limits[l].wrong += s.wrong;
    }
    if (list)
      for (const plate::tools::TurnedPlate& p : scene.plates) {
        const std::string text = plate::tools::expected_plate_text(p.lettering.serial);
        const bool read = std::any_of(reports[kFinderAlone].begin(), reports[kFinderAlone].end(),
                                      [&](const Reported& r) { return r.text == text; });
        if (!read)
          std::printf("  photo %d: finder did not read %s (%.0f px in the frame, turned %.0f, tilted %.0f)\n",
                      index, plate::plate_text_to_utf8(text).c_str(), p.width_px * mapping.scale(), p.yaw_deg,
                      p.pitch_deg);
      }
    for (int m = 0; m < kModes; ++m) {
      const Score s = score(reports[m], scene, kModeNames[m], index, list && m != kSmall);
      totals[m].plates += s.plates;
      totals[m].exact += s.exact;
      totals[m].wrong += s.wrong;
    }
  }
  std::printf("%s set: %d photos, %d plates; sheet plates %d px wide, straightened from the %s\n",
              set == plate::bench::PhotoSet::checking ? "checking" : "development", count, plates,
              settings.layout.plate_width, from_photo ? "photo" : "fitted picture");
  const double ms = 1e3 / count;
  const double mode_ms[kModes] = {frame_s * ms, (frame_s + tiles_s) * ms, (frame_s + finder_s) * ms,
                                  (frame_s + finder_s) * ms};
  for (int m = 0; m < kModes; ++m)
    std::printf("  %-22s exact %4d  wrong %4d  missed %4d  %7.1f ms a photo\n", kModeNames[m],
                totals[m].exact, totals[m].wrong, totals[m].plates - totals[m].exact, mode_ms[m]);
  for (std::size_t l = 0; l < kOtherLimits.size(); ++l)
    std::printf("  merged, frame plates kept up to worst %s: exact %4d  wrong %4d\n",
                kOtherLimits[l] == std::numeric_limits<std::int32_t>::max()
                    ? "any"
                    : std::to_string(kOtherLimits[l]).c_str(),
                other_limits[l].exact, other_limits[l].wrong);
  return 0;
}
