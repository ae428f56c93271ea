// How long a 12-megapixel photo takes from its JPEG bytes to a run result: decoding (straight at
// a quarter of its size), fitting into the frame, and the recognition run, each phase's share
// shown. The photo (4272 x 2848, quality 90, 4:2:0 like a phone's) is encoded once at start: a
// noisy daylight gradient with dark plates of bar digits.
//
//   usage: picture_bench [--patterns=FILE.pat] [benchmark options]
// The default pattern file is the shipped data/EBMPlog00.pat. The goal is decode + fit + run in
// under 40 ms on one core, and at most 15 ms more for finding the plates first.

#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <random>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "cpu_time.h"
#include "engine/recognition_engine.h"
#include "image/frame_fit.h"
#include "image/jpeg_decoder.h"
#ifdef PLATE_BENCH_FINDER
#include "finder/found_plate_reading.h"
#endif

namespace plate::bench {

namespace {

constexpr int kPhotoWidth = 4272, kPhotoHeight = 2848;

std::vector<std::byte> encode_photo() {
  std::vector<std::uint8_t> bgr(std::size_t(kPhotoWidth) * kPhotoHeight * 3);
  std::mt19937 random(13);
  std::uniform_int_distribution<int> noise(-12, 12);
  for (int y = 0; y < kPhotoHeight; ++y)
    for (int x = 0; x < kPhotoWidth; ++x)
      for (int c = 0; c < 3; ++c) {
        const int level = 90 + 100 * x / kPhotoWidth + 40 * y / kPhotoHeight + 10 * c + noise(random);
        bgr[(std::size_t(y) * kPhotoWidth + x) * 3 + c] =
            static_cast<std::uint8_t>(std::clamp(level, 0, 255));
      }
  // Plates: a light panel with four dark bars of digit proportions, 4x the frame's digit size.
  const auto fill = [&](int x0, int y0, int w, int h, std::uint8_t level) {
    for (int y = y0; y < y0 + h; ++y)
      std::memset(&bgr[(std::size_t(y) * kPhotoWidth + x0) * 3], level, std::size_t(w) * 3);
  };
  for (int plate_y = 300; plate_y + 400 < kPhotoHeight; plate_y += 700)
    for (int plate_x = 200; plate_x + 900 < kPhotoWidth; plate_x += 1300) {
      fill(plate_x, plate_y, 880, 360, 235);
      for (int digit = 0; digit < 4; ++digit) fill(plate_x + 60 + digit * 200, plate_y + 90, 88, 176, 25);
    }
  tjhandle handle = tjInitCompress();
  unsigned char* jpeg = nullptr;
  unsigned long size = 0;
  if (tjCompress2(handle, bgr.data(), kPhotoWidth, 0, kPhotoHeight, TJPF_BGR, &jpeg, &size, TJSAMP_420, 90,
                  0) != 0) {
    throw std::runtime_error(tjGetErrorStr2(handle));
  }
  std::vector<std::byte> bytes(reinterpret_cast<std::byte*>(jpeg), reinterpret_cast<std::byte*>(jpeg) + size);
  tjFree(jpeg);
  tjDestroy(handle);
  return bytes;
}

struct Inputs {
  std::vector<std::byte> photo = encode_photo();
  RecognitionEngine engine;
  std::unique_ptr<Plane> frame = std::make_unique<Plane>();
};
Inputs* g_inputs = nullptr;

using plate::bench::cpu_seconds;

void BM_PhotoDecodeFitRun(benchmark::State& state) {
  RecognitionEngine& engine = g_inputs->engine;
  Plane& frame = *g_inputs->frame;
  double decode = 0, fit = 0, run = 0;
  for (auto _ : state) {
    const double start = cpu_seconds();
    const DecodeResult decoded = decode_jpeg(g_inputs->photo);
    const double decoded_at = cpu_seconds();
    fit_into_frame(decoded.picture, frame);
    const double fitted_at = cpu_seconds();
    benchmark::DoNotOptimize(engine.run(frame).characters.count);
    const double end = cpu_seconds();
    decode += decoded_at - start;
    fit += fitted_at - decoded_at;
    run += end - fitted_at;
  }
  const double total = decode + fit + run, n = double(state.iterations());
  // Milliseconds of CPU time per photo.
  state.counters["decode_ms"] = 1e3 * decode / n;
  state.counters["fit_ms"] = 1e3 * fit / n;
  state.counters["run_ms"] = 1e3 * run / n;
  state.counters["decode_share"] = decode / total;
  state.counters["digits"] = engine.result().characters.count;
  state.SetLabel(std::to_string(g_inputs->photo.size() / 1024) + " KiB JPEG");
}
BENCHMARK(BM_PhotoDecodeFitRun)->Unit(benchmark::kMillisecond);

#ifdef PLATE_BENCH_FINDER
// What plate-read --find-plates adds to the photo's decode, fit and run: finding the plate shapes
// in the fitted picture, straightening them onto a sheet and the run over the sheet.
void BM_PhotoFindPlates(benchmark::State& state) {
  Plane& frame = *g_inputs->frame;
  const FrameMapping mapping = fit_into_frame(decode_jpeg(g_inputs->photo).picture, frame);
  RecognitionEngine engine;
  engine.use_templates(g_inputs->engine.templates());
  const auto sheet = std::make_unique<Plane>();
  double added = 0;
  std::size_t plates = 0;
  for (auto _ : state) {
    const double start = cpu_seconds();
    plates = read_found_plates(engine, frame, mapping, *sheet).size();
    added += cpu_seconds() - start;
  }
  state.counters["added_ms"] = 1e3 * added / double(state.iterations());
  state.counters["plates_read"] = double(plates);
}
BENCHMARK(BM_PhotoFindPlates)->Unit(benchmark::kMillisecond);
#endif

// For comparison: the same photo decoded whole, as it would be without scaling in the decoder.
void BM_PhotoDecodeWhole(benchmark::State& state) {
  tjhandle handle = tjInitDecompress();
  std::vector<std::uint8_t> bgr(std::size_t(kPhotoWidth) * kPhotoHeight * 3);
  for (auto _ : state) {
    tjDecompress2(handle, reinterpret_cast<const unsigned char*>(g_inputs->photo.data()),
                  g_inputs->photo.size(), bgr.data(), kPhotoWidth, 0, kPhotoHeight, TJPF_BGR, 0);
    benchmark::ClobberMemory();
  }
  tjDestroy(handle);
}
BENCHMARK(BM_PhotoDecodeWhole)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace plate::bench

int main(int argc, char** argv) {
  std::filesystem::path patterns = std::filesystem::path(PLATE_SOURCE_DIR) / "data/EBMPlog00.pat";
  std::vector<char*> rest;
  for (int i = 0; i < argc; ++i) {
    constexpr std::string_view kPatterns = "--patterns=";
    if (std::string_view(argv[i]).starts_with(kPatterns)) {
      patterns = argv[i] + kPatterns.size();
    } else {
      rest.push_back(argv[i]);
    }
  }
  int rest_count = static_cast<int>(rest.size());
  benchmark::Initialize(&rest_count, rest.data());
  plate::bench::Inputs inputs;
  if (!inputs.engine.load_templates(patterns).loaded()) {
    std::fprintf(stderr, "picture_bench: cannot load the templates from %s\n", patterns.string().c_str());
    return 1;
  }
  plate::bench::g_inputs = &inputs;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
