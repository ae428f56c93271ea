// finder_bench: what finding plates first (plate-read --find-plates) reads on photos, beside the
// run over the whole frame and the enlarged tiles of --small-plates.
//
// Seeded 2048 x 1536 photos (photo_scenes.h): plates turned up to 45 degrees and tilted up to 20,
// 40 to 400 px wide once fitted into the frame, grille bars, gratings and badges near them, uneven
// light and shadow. A reported plate is exact when its text is a plate's and its centre, in the
// photo's pixels, lies on that plate's serial row, the first time that plate is reported; every
// other reported plate is wrong (a text not there, or a plate reported twice).
//
// The finder's plates are merged with the frame run's three ways, to choose by measurement:
//   finder alone           only the plates read on the straightened plates;
//   + frame off found      and the frame run's plates whose centre lies on no plate the finder
//                          laid out (where the finder found a plate, its reading stands);
//   + frame off read       and the frame run's plates whose centre lies on no plate the finder's
//                          run read.
// Times are this thread's CPU time a photo.
//
//   usage: finder_bench [--photos N] [--set development|checking] [--plate-width W] [--levels 80,110,...]
//                       [--from-frame] [--list] [--pictures DIR] [PATTERN_FILE]
// --from-frame straightens the plates from the fitted picture instead of the photo's own pixels.
// --pictures writes each photo as fitted into the frame and the sheet of its straightened plates.

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/recognition_engine.h"
#include "finder/plate_finder.h"
#include "finder/plate_sheet.h"
#include "image/frame_fit.h"
#include "image/png_encoder.h"
#include "photo_scenes.h"
#include "present/plate_text.h"
#include "tiling/small_plate_reader.h"
#include "tools/plate_renderer/photo_scene.h"

namespace {

using plate::PlateReading;
using plate::SourcePoint;

double cpu_seconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) + 1e-9 * double(now.tv_nsec);
}

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

enum Mode { kDefault, kSmall, kFinderAlone, kOffFound, kOffRead, kModes };
constexpr const char* kModeNames[kModes] = {"default (whole frame)", "--small-plates", "finder alone",
                                            "finder + frame off found", "finder + frame off read"};

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
  plate::SheetLayout layout;
  plate::FinderSettings finder_settings;
  bool list = false;
  bool from_frame = false;
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
      layout.plate_width = std::stoi(argv[++i]);
    } else if (arg == "--background" && i + 1 < argc) {
      layout.background = std::stoi(argv[++i]);
    } else if (arg == "--levels" && i + 1 < argc) {
      finder_settings.light_levels = parse_list(argv[++i]);
    } else if (arg == "--pictures" && i + 1 < argc) {
      picture_dir = argv[++i];
    } else if (arg == "--from-frame") {
      from_frame = true;
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
  double frame_s = 0, tiles_s = 0, find_s = 0, sheet_s = 0, sheet_run_s = 0;
  int plates = 0, found_total = 0, located = 0;
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
    const std::vector<plate::FoundPlate> found = plate::find_plates(*frame, mapping, finder_settings);
    double t3 = cpu_seconds();
    const plate::PlateSheet sheet(from_frame ? plate::fitted_picture(*frame, mapping) : picture, found,
                                  *sheet_frame, layout);
    double t4 = cpu_seconds();
    const std::vector<PlateReading> sheet_plates =
        plate::plates_of_run(sheet_engine.run(*sheet_frame), plate::Tile{});
    double t5 = cpu_seconds();
    if (!picture_dir.empty()) {
      const std::string stem = (picture_dir / std::to_string(index)).string();
      write_png(stem + "-frame.png", *frame, mapping.fitted.width, mapping.fitted.height);
      write_png(stem + "-sheet.png", *sheet_frame, plate::kFrameWidth, plate::kFrameHeight);
    }
    frame_s += t1 - t0;
    tiles_s += t2 - t1;
    find_s += t3 - t2;
    sheet_s += t4 - t3;
    sheet_run_s += t5 - t4;
    found_total += int(found.size());
    for (const plate::tools::TurnedPlate& p : scene.plates) located += sheet.covers({p.centre_x, p.centre_y});

    std::vector<Reported> reports[kModes];
    reports[kDefault] = frame_reports(frame_plates, mapping);
    reports[kSmall] = frame_reports(with_tiles, mapping);
    std::vector<plate::SourceQuad> read_quads;
    for (const PlateReading& r : sheet_plates)
      if (const auto quad = sheet.to_source(
              {r.plate.frame.x_min, r.plate.frame.x_max, r.plate.frame.y_min, r.plate.frame.y_max})) {
        reports[kFinderAlone].push_back({r.plate.text, centre_of(*quad)});
        read_quads.push_back(*quad);
      }
    reports[kOffFound] = reports[kOffRead] = reports[kFinderAlone];
    for (const Reported& r : reports[kDefault]) {
      if (!sheet.covers(r.centre)) reports[kOffFound].push_back(r);
      const bool on_read = std::any_of(read_quads.begin(), read_quads.end(), [&](const plate::SourceQuad& q) {
        const plate::PixelBox box = plate::bounding_box(q, picture.source_width, picture.source_height);
        return r.centre.x >= box.x_min && r.centre.x <= box.x_max + 1 && r.centre.y >= box.y_min &&
               r.centre.y <= box.y_max + 1;
      });
      if (!on_read) reports[kOffRead].push_back(r);
    }
    if (list)
      for (const plate::tools::TurnedPlate& p : scene.plates) {
        const std::string text = plate::tools::expected_plate_text(p.lettering.serial);
        const bool read = std::any_of(reports[kFinderAlone].begin(), reports[kFinderAlone].end(),
                                      [&](const Reported& r) { return r.text == text; });
        if (!read)
          std::printf(
              "  photo %d: finder did not read %s (%.0f px in the frame, turned %.0f, tilted %.0f, %s)\n",
              index, plate::plate_text_to_utf8(text).c_str(), p.width_px * mapping.scale(), p.yaw_deg,
              p.pitch_deg, sheet.covers({p.centre_x, p.centre_y}) ? "located" : "not located");
      }
    for (int m = 0; m < kModes; ++m) {
      const Score s = score(reports[m], scene, kModeNames[m], index, list && m != kSmall);
      totals[m].plates += s.plates;
      totals[m].exact += s.exact;
      totals[m].wrong += s.wrong;
    }
  }
  std::printf(
      "%s set: %d photos, %d plates (%d located by the finder); %.1f plate shapes found a photo; "
      "sheet plates %d px wide\n",
      set == plate::bench::PhotoSet::checking ? "checking" : "development", count, plates, located,
      double(found_total) / count, layout.plate_width);
  const double ms = 1e3 / count;
  const double mode_ms[kModes] = {
      frame_s * ms, (frame_s + tiles_s) * ms, (frame_s + find_s + sheet_s + sheet_run_s) * ms,
      (frame_s + find_s + sheet_s + sheet_run_s) * ms, (frame_s + find_s + sheet_s + sheet_run_s) * ms};
  for (int m = 0; m < kModes; ++m)
    std::printf("  %-26s exact %4d  wrong %4d  missed %4d  %7.1f ms a photo\n", kModeNames[m],
                totals[m].exact, totals[m].wrong, totals[m].plates - totals[m].exact, mode_ms[m]);
  std::printf("  finder's own share: find %.1f ms, straighten %.1f ms, run over the sheet %.1f ms a photo\n",
              find_s * ms, sheet_s * ms, sheet_run_s * ms);
  return 0;
}
