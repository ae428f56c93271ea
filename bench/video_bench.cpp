// video_bench: how well and how fast videos are read, on videos rendered here (seeded, so the same
// every time; they are written once to a folder and reused, under names that carry the templates' hash,
// since the renderer draws the digits as the templates have them).
//
//   1. Passing plates: a 1080p H.264 video of 12 plates crossing a cluttered scene, one or two at a
//      time, with stretches of no plate between them. Each plate should give exactly one event with
//      its text, and no event should come from frames without a plate.
//   2. The vote: plates held in view under heavy noise, with shaken (blurred) frames; per-frame
//      accuracy (frames that read the plate's text among the frames it is in) beside per-event
//      accuracy (events with the right text).
//   3. Events from no plate: plate-less clutter under the same noise, blur and shaking, where every
//      track is a misread, with the plates of 1 and 2; how many misreads and how many right events
//      a least number of frames read per event keeps (the tracker's min_frames).
//   4. Speed: frames a second from the file to the events (decoding, fitting, running, tracking),
//      at 720p, 1080p and 4K, with read_video's two threads; the CPU time a frame of each stage
//      (decoding, fitting, running and tracking); and decoding and fitting alone.
//
// The figures are for the project's notes; nothing here is a test with a pass mark.
//   usage: video_bench [FOLDER [--speed]]   (default: video_bench_videos in the working directory;
//   --speed: the speed table only)

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "cpu_time.h"
#include "present/plate_text.h"
#include "reader/reader.h"
#include "tools/plate_renderer/plate_drawing.h"
#include "tools/plate_renderer/video_scene.h"
#include "video/frame_fitter.h"
#include "video/video_decoder.h"
#include "video/video_reading.h"

namespace {

namespace fs = std::filesystem;
using plate::tools::PassingPlate;
using plate::tools::PlateKind;
using plate::tools::VideoScene;
using namespace plate::video;
using plate::bench::cpu_seconds;

struct PlateSpec {
  const char* serial;
  PlateKind kind;
  double width_px;
};

// Twelve plates of 3 and 4 digits (and two kei plates of 2), 250 to 420 px wide at 1080p (about 130
// to 220 px in the frame), each crossing in 40 frames; every other plate shares its time with the
// one before on another row; 20 frames of no plate at the start, the end and between pairs.
VideoScene passing_plates(int width, int height, int frame_rate) {
  const PlateSpec specs[] = {
      {"1234", PlateKind::private_car, 360}, {"5821", PlateKind::kei, 330},
      {"907", PlateKind::private_car, 300},  {"4689", PlateKind::private_car, 420},
      {"46", PlateKind::kei, 300},           {"3157", PlateKind::kei, 380},
      {"2460", PlateKind::private_car, 280}, {"813", PlateKind::kei, 320},
      {"7305", PlateKind::private_car, 400}, {"72", PlateKind::kei, 340},
      {"6248", PlateKind::private_car, 250}, {"1190", PlateKind::kei, 360},
  };
  VideoScene scene;
  scene.width = width;
  scene.height = height;
  scene.frames_per_second = frame_rate;
  scene.background = {plate::tools::BackgroundKind::clutter, {190, 190, 185}, {110, 105, 100}, 80};
  scene.blur_sigma_px = 1.0;
  scene.noise_sigma = 3;
  const double scale = height / 1080.0;
  int frame = 20;
  for (std::size_t i = 0; i < std::size(specs); ++i) {
    const bool second_of_pair = i % 2 == 1;
    const int first = second_of_pair ? frame - 20 : frame;
    const double plate_width = specs[i].width_px * scale;
    PassingPlate passing{.plate = {.serial = specs[i].serial, .kind = specs[i].kind, .width_px = plate_width},
                         .first_frame = first,
                         .last_frame = first + 39};
    const double top = (second_of_pair ? 620 : 180) * scale;
    passing.from_left = second_of_pair ? width - plate_width - 40 * scale : 40 * scale;
    passing.to_left = second_of_pair ? 40 * scale : width - plate_width - 40 * scale;
    passing.from_top = top;
    passing.to_top = top + 60 * scale;
    scene.plates.push_back(passing);
    if (second_of_pair) frame = first + 40 + 20 + 20;
  }
  scene.frame_count = frame;
  return scene;
}

// Six plates, each in view for 50 frames and still but for a slow drift, under noise of 18 levels
// and blur, with one frame in five shaken.
VideoScene noisy_plates() {
  VideoScene scene;
  scene.width = 1280;
  scene.height = 720;
  scene.background = {plate::tools::BackgroundKind::clutter, {200, 200, 195}, {110, 110, 105}, 50};
  scene.blur_sigma_px = 1.2;
  scene.noise_sigma = 18;
  scene.shaken_blur_sigma_px = 3.0;
  const char* serials[] = {"1234", "5821", "4689", "3157", "2460", "7305"};
  int frame = 0;
  for (std::size_t i = 0; i < std::size(serials); ++i) {
    scene.plates.push_back(PassingPlate{.plate = {.serial = serials[i],
                                                  .kind = i % 2 ? PlateKind::kei : PlateKind::private_car,
                                                  .width_px = 260},
                                        .first_frame = frame + 5,
                                        .last_frame = frame + 54,
                                        .from_left = 200,
                                        .from_top = 200,
                                        .to_left = 320,
                                        .to_top = 230});
    frame += 70;
  }
  for (int f = 0; f < frame; f += 5) scene.shaken_frames.push_back(f);
  scene.frame_count = frame;
  return scene;
}

// FNV-1a of the pattern file: a video rendered with other templates' digit shapes is another video.
std::string templates_tag(const fs::path& patterns) {
  std::ifstream file(patterns, std::ios::binary);
  std::uint64_t hash = 14695981039346656037ull;
  for (char byte; file.get(byte);) hash = (hash ^ std::uint8_t(byte)) * 1099511628211ull;
  char tag[17];
  std::snprintf(tag, sizeof tag, "%016llx", (unsigned long long)hash);
  return std::string(tag, 8);
}

fs::path rendered(const fs::path& folder, const std::string& name, const VideoScene& scene) {
  static const std::string tag = templates_tag(fs::path(PLATE_SOURCE_DIR) / "data" / "EBMPlog00.pat");
  const fs::path target = folder / (name + "-" + tag + ".mp4");
  if (!fs::exists(target)) {
    std::fprintf(stderr, "rendering %s (%d frames)...\n", target.filename().c_str(), scene.frame_count);
    plate::tools::write_video(scene, plate::tools::load_plate_fonts(), target, {.quality = 20});
  }
  return target;
}

struct Read {
  std::vector<PlateEvent> events;
  std::vector<std::pair<FrameStamp, std::vector<std::string>>> frames;
  VideoOutcome outcome;
  double wall_seconds = 0, cpu_seconds = 0;
  double reading_thread_cpu_seconds = 0;  // the calling thread's: running, tracking, the callbacks
};

Read read(const fs::path& video, const fs::path& patterns, const TrackerSettings& tracking = {}) {
  plate::reader::Reader reader;
  if (const auto failure = reader.load_patterns(patterns))
    std::fprintf(stderr, "%s\n", failure->line().c_str());
  Read result;
  VideoCallbacks callbacks;
  callbacks.frame = [&](const FrameRead& frame) {
    std::vector<std::string> texts;
    for (const auto& plate : frame.record.plates) texts.push_back(plate.text);
    result.frames.emplace_back(frame.at, std::move(texts));
    return true;
  };
  callbacks.event = [&](const PlateEvent& event) {
    result.events.push_back(event);
    return true;
  };
  const auto start = std::chrono::steady_clock::now();
  const double cpu_start = cpu_seconds(CLOCK_PROCESS_CPUTIME_ID), thread_cpu_start = cpu_seconds();
  result.outcome = read_video(video.string(), reader, {.decode = {}, .tracking = tracking}, callbacks);
  result.wall_seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  result.cpu_seconds = cpu_seconds(CLOCK_PROCESS_CPUTIME_ID) - cpu_start;
  result.reading_thread_cpu_seconds = cpu_seconds() - thread_cpu_start;
  return result;
}

// The text a record gives for a rendered plate: UTF-8, the middle dot as U+FF65.
std::string expected_text(const PassingPlate& plate) {
  return plate::plate_text_to_utf8(plate::tools::expected_plate_text(plate.plate.serial));
}

// The plate of `scene` whose frames hold the event's best frame and whose drawn box holds its box's
// centre, or -1.
int plate_of(const VideoScene& scene, const PlateEvent& event) {
  if (!event.best_plate.source_box) return -1;
  const auto& box = *event.best_plate.source_box;
  const double x = (box.x_min + box.x_max) / 2.0, y = (box.y_min + box.y_max) / 2.0;
  for (std::size_t i = 0; i < scene.plates.size(); ++i) {
    const PassingPlate& p = scene.plates[i];
    if (event.best.number < p.first_frame || event.best.number > p.last_frame) continue;
    const auto placed = plate::tools::plate_in_frame(scene, i, std::int32_t(event.best.number));
    if (x >= placed.left_px && x <= placed.left_px + placed.width_px && y >= placed.top_px &&
        y <= placed.top_px + placed.width_px / 2)
      return int(i);
  }
  return -1;
}

// The events of each of the scene's plates, and those of no plate, among those a tracker with
// `rule` would give of events read with every track kept.
struct SortedEvents {
  std::vector<std::vector<const PlateEvent*>> by_plate;
  std::vector<const PlateEvent*> stray;
  int exact = 0;  // plates with exactly one event, of their right text
};

SortedEvents sort_events(const VideoScene& scene, const std::vector<PlateEvent>& events,
                         const TrackerSettings& rule = {.min_frames = 1, .min_read_share = 0.0}) {
  SortedEvents sorted;
  sorted.by_plate.resize(scene.plates.size());
  for (const PlateEvent& event : events) {
    if (!gives_event(event.frames, event.frames_spanned, rule)) continue;
    const int plate = plate_of(scene, event);
    (plate < 0 ? sorted.stray : sorted.by_plate[std::size_t(plate)]).push_back(&event);
  }
  for (std::size_t i = 0; i < scene.plates.size(); ++i)
    sorted.exact +=
        sorted.by_plate[i].size() == 1 && sorted.by_plate[i][0]->text == expected_text(scene.plates[i]);
  return sorted;
}

void report_events(const char* title, const VideoScene& scene, const Read& read) {
  std::printf("\n%s: %zu plates, %d frames, %zu events\n", title, scene.plates.size(), scene.frame_count,
              read.events.size());
  std::printf(
      "| plate | kind | width px | frames in view | events | text | frames read it / read | first-last frame "
      "|\n");
  std::printf("| --- | --- | ---: | ---: | ---: | --- | ---: | --- |\n");
  const SortedEvents sorted = sort_events(scene, read.events);
  for (const PlateEvent* event : sorted.stray)
    std::printf("| (none) | | | | 1 | %s | %d / %d | %lld-%lld |\n", event->text.c_str(),
                event->votes[0].frames, event->frames, (long long)event->first.number,
                (long long)event->last.number);
  for (std::size_t i = 0; i < scene.plates.size(); ++i) {
    const PassingPlate& p = scene.plates[i];
    std::string texts, counts, spans;
    for (const PlateEvent* event : sorted.by_plate[i]) {
      texts += (texts.empty() ? "" : ", ") + event->text;
      counts += (counts.empty() ? "" : ", ") + std::to_string(event->votes[0].frames) + " / " +
                std::to_string(event->frames);
      spans += (spans.empty() ? "" : ", ") + std::to_string(event->first.number) + "-" +
               std::to_string(event->last.number);
    }
    std::printf("| %s | %s | %.0f | %d-%d | %zu | %s | %s | %s |\n", expected_text(p).c_str(),
                p.plate.kind == PlateKind::kei ? "kei" : "private", p.plate.width_px, p.first_frame,
                p.last_frame, sorted.by_plate[i].size(), texts.c_str(), counts.c_str(), spans.c_str());
  }
  std::printf("exactly one right event: %d of %zu plates; events from no plate: %zu\n", sorted.exact,
              scene.plates.size(), sorted.stray.size());
}

// The noisy video's clutter, noise, blur and shaking without its plates, on other seeds and
// blotch sizes: every track read there is a misread.
VideoScene plateless_clutter(std::uint64_t seed, int cell_px) {
  VideoScene scene = noisy_plates();
  scene.plates.clear();
  scene.frame_count = 300;
  scene.background.cell_px = cell_px;
  scene.seed = seed;
  return scene;
}

// Every track read, then the events that rules of how often a track must be read would keep. The
// rule was chosen on the first four clutter videos; the other four were read once it was chosen.
void report_event_rules(const fs::path& folder, const fs::path& patterns, const VideoScene& passing,
                        const VideoScene& noisy) {
  const TrackerSettings every_track{.min_frames = 1, .min_read_share = 0.0};
  struct Video {
    VideoScene scene;
    Read read;
  };
  std::vector<Video> with_plates, chosen_on, checked;
  with_plates.push_back({passing, read(rendered(folder, "passing_1080p", passing), patterns, every_track)});
  with_plates.push_back({noisy, read(rendered(folder, "noisy_720p", noisy), patterns, every_track)});
  int plates = 0;
  for (const Video& video : with_plates) plates += int(video.scene.plates.size());
  const int cells[] = {35, 50, 65, 80};
  for (const std::uint64_t first_seed : {11, 21})
    for (std::size_t i = 0; i < std::size(cells); ++i) {
      const VideoScene scene = plateless_clutter(first_seed + i, cells[i]);
      const std::string name = "clutter" + std::to_string(scene.seed) + "_720p";
      (first_seed == 11 ? chosen_on : checked)
          .push_back({scene, read(rendered(folder, name, scene), patterns, every_track)});
    }
  const auto strays = [](const std::vector<Video>& videos, const TrackerSettings& rule) {
    int count = 0;
    for (const Video& video : videos)
      count += int(sort_events(video.scene, video.read.events, rule).stray.size());
    return count;
  };
  std::printf(
      "\nHow often a track must be read for an event: the videos above (%d plates) and two sets of %zu "
      "plate-less clutter videos of %d frames\n",
      plates, chosen_on.size(), chosen_on[0].scene.frame_count);
  std::printf(
      "| least frames read | share of the frames from first to last read | plates with one right event | "
      "events from no plate: plate videos | clutter, chosen on | clutter, checked |\n"
      "| ---: | --- | ---: | ---: | ---: | ---: |\n");
  const TrackerSettings shipped;
  for (const double share : {0.0, 0.5})
    for (std::int32_t least = 1; least <= 4; ++least) {
      const TrackerSettings rule{.min_frames = least, .min_read_share = share};
      int exact = 0;
      for (const Video& video : with_plates) exact += sort_events(video.scene, video.read.events, rule).exact;
      const bool is_shipped = least == shipped.min_frames && share == shipped.min_read_share;
      std::printf("| %d | %s%s | %d | %d | %d | %d |\n", least, share > 0 ? "more than half" : "any",
                  is_shipped ? " (shipped)" : "", exact, strays(with_plates, rule), strays(chosen_on, rule),
                  strays(checked, rule));
    }
}

void report_vote(const VideoScene& scene, const Read& read) {
  int frames_in_view = 0, frames_right = 0;
  for (const auto& [at, texts] : read.frames) {
    for (std::size_t i = 0; i < scene.plates.size(); ++i) {
      const PassingPlate& p = scene.plates[i];
      if (at.number < p.first_frame || at.number > p.last_frame) continue;
      ++frames_in_view;
      const std::string expected = expected_text(p);
      for (const std::string& text : texts)
        if (text == expected) {
          ++frames_right;
          break;
        }
    }
  }
  int events_right = 0;
  for (const PlateEvent& event : read.events) {
    const int plate = plate_of(scene, event);
    events_right += plate >= 0 && event.text == plate::tools::expected_plate_text(
                                                    scene.plates[std::size_t(plate)].plate.serial);
  }
  std::printf("per frame: %d of %d frames in view read the plate's text (%.0f %%)\n", frames_right,
              frames_in_view, 100.0 * frames_right / frames_in_view);
  std::printf("per event: %d of %zu events right, for %zu plates\n", events_right, read.events.size(),
              scene.plates.size());
}

// Process CPU time (all threads) a frame of decoding alone, or of decoding and fitting on one
// thread, with libavcodec's own threads.
struct DecodeCost {
  double cpu_ms_a_frame = 0, frames_a_second = 0;
};

DecodeCost decode_cost(const fs::path& video, bool fit) {
  VideoDecoder decoder(video.string(), {});
  plate::video::FrameFitter fitter;
  plate::video::DecodedFrame frame;
  auto plane = std::make_unique<plate::Plane>();
  plate::FrameMapping mapping;
  const auto start = std::chrono::steady_clock::now();
  const double cpu_start = cpu_seconds(CLOCK_PROCESS_CPUTIME_ID);
  while (decoder.next(frame))
    if (fit) fitter.fit(frame, *plane, mapping, nullptr);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double frames = double(decoder.frames_decoded());
  return {1000.0 * (cpu_seconds(CLOCK_PROCESS_CPUTIME_ID) - cpu_start) / frames, frames / seconds};
}

void report_speed(const char* label, const fs::path& video, const fs::path& patterns) {
  const Read result = read(video, patterns);
  const double frames = double(result.outcome.progress.frames_read);
  const double all_ms = 1000.0 * result.cpu_seconds / frames;
  const double reading_ms = 1000.0 * result.reading_thread_cpu_seconds / frames;
  const DecodeCost decoding = decode_cost(video, false);
  const DecodeCost fitting = decode_cost(video, true);
  const double fitting_ms = fitting.cpu_ms_a_frame - decoding.cpu_ms_a_frame;
  std::printf("| %s | %.0f | %.0f | %.0f %% | %.2f | %.2f | %.2f | %.2f | %.0f |\n", label, frames,
              frames / result.wall_seconds, 100.0 * result.cpu_seconds / result.wall_seconds, all_ms,
              decoding.cpu_ms_a_frame, fitting_ms, reading_ms - fitting_ms, fitting.frames_a_second);
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path folder = argc > 1 ? fs::path(argv[1]) : fs::path("video_bench_videos");
  const fs::path patterns = fs::path(PLATE_SOURCE_DIR) / "data" / "EBMPlog00.pat";
  fs::create_directories(folder);

  const VideoScene passing = passing_plates(1920, 1080, 25);
  const bool speed_only = argc > 2 && std::string(argv[2]) == "--speed";
  if (!speed_only)
    report_events("Passing plates, 1080p H.264", passing,
                  read(rendered(folder, "passing_1080p", passing), patterns));

  if (!speed_only) {
    const VideoScene noisy = noisy_plates();
    const Read noisy_read = read(rendered(folder, "noisy_720p", noisy), patterns);
    report_events("Noisy plates, 720p H.264", noisy, noisy_read);
    report_vote(noisy, noisy_read);
    report_event_rules(folder, patterns, passing, noisy);
  }

  // CPU ms a frame by stage: decoding, that of a decoding alone; fitting, what fitting every frame
  // adds to it; running and tracking, what the reading thread, which also fits, spends beyond that.
  std::printf(
      "\n| video | frames | frames a second, file to events | CPU (of one core) | CPU ms a frame | of it "
      "decoding | fitting | running and tracking | decode and fit alone, frames a second |\n");
  std::printf("| --- | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: |\n");
  const VideoScene hd = passing_plates(1280, 720, 25);
  report_speed("720p", rendered(folder, "passing_720p", hd), patterns);
  report_speed("1080p", rendered(folder, "passing_1080p", passing), patterns);
  VideoScene uhd = passing_plates(3840, 2160, 25);
  uhd.frame_count = 200;
  report_speed("4K (first 200 frames)", rendered(folder, "passing_2160p", uhd), patterns);
}
