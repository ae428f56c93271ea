// How long one recognition run takes over a full 1024 x 768 frame, today's way (BM_Run) beside the
// way before its resets touched only what is read and its trace marks became pass stamps
// (BM_RunBefore, "the old way") and the way after that but before the picture was read in place and
// the store, smoothing and matching were sped up (BM_RunStamped), against a yardstick: the block fills that
// every run used to pay, of a Plane-sized trace mark map (twice) and of the candidate table, about 9.6 MB.
// Each run benchmark also reports its time as a multiple of that fill ("floors"), measured in the same
// process, so that one run of this program gives figures comparable across machines.
//
//   usage: run_bench [--patterns=FILE.pat] [--samples=FOLDER] [benchmark options]
// The defaults are the shipped data/EBMPlog00.pat and data/samples.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <string_view>
#include <vector>

#include "bench_inputs.h"
#include "engine/recognition_engine.h"
#include "previous_run.h"
#ifdef PLATE_BENCH_RENDERED_PICTURES
#include "rendered_pictures.h"
#endif
#include "same_result.h"

namespace plate::bench {

namespace {

double g_floor_seconds = 0.0;

// The bytes a run's resets fill: a plane (the trace marks, twice) and a table of 300 shapes (the
// candidates), filled as plain blocks.
struct FloorBlocks {
  Plane plane;
  std::array<ShapeRecord, kMaxMatchRecords> shapes;
};

void fill_like_every_run(FloorBlocks& blocks) {
  blocks.plane.fill(0);
  std::memset(blocks.shapes.data(), 0, sizeof blocks.shapes);
  blocks.plane.fill(0);
}

constexpr std::int64_t floor_bytes() {
  return std::int64_t(2 * sizeof(Plane) + sizeof(std::array<ShapeRecord, kMaxMatchRecords>));
}

// The median of many fills, taken before any benchmark runs, as the unit of the "floors" counters.
double measure_floor_seconds() {
  auto blocks = std::make_unique<FloorBlocks>();
  std::array<double, 201> seconds{};
  for (double& s : seconds) {
    const auto start = std::chrono::steady_clock::now();
    fill_like_every_run(*blocks);
    benchmark::ClobberMemory();
    s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  std::nth_element(seconds.begin(), seconds.begin() + seconds.size() / 2, seconds.end());
  return seconds[seconds.size() / 2];
}

void BM_BlockFillFloor(benchmark::State& state) {
  auto blocks = std::make_unique<FloorBlocks>();
  for (auto _ : state) {
    fill_like_every_run(*blocks);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * floor_bytes());
}
BENCHMARK(BM_BlockFillFloor)->Unit(benchmark::kMicrosecond);

enum class Way { today, old, stamped };

template <Way kWay>
void run_whole(benchmark::State& state, const TemplateTable* templates, const Plane* picture) {
  RecognitionEngine engine;
  engine.use_templates(*templates);
  // The earlier ways work on a workspace of their own: they need the engine's internals.
  auto before = std::make_unique<Workspace>();
  before->templates = *templates;
  before->display = *picture;
  auto marks_before = std::make_unique<Plane>();
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    if constexpr (kWay == Way::old) {
      previous_run(*before, *marks_before);
      benchmark::DoNotOptimize(before->result.characters.count);
    } else if constexpr (kWay == Way::stamped) {
      stamped_run(*before, *picture);
      benchmark::DoNotOptimize(before->result.characters.count);
    } else {
      benchmark::DoNotOptimize(engine.run(*picture).characters.count);
    }
  }
  const double per_run = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() /
                         double(state.iterations());
  if (kWay != Way::today) {
    if (!same_result(engine.run(*picture), before->result))
      state.SkipWithError("the earlier way gives another result");
  }
  state.counters["floors"] = per_run / g_floor_seconds;
  state.counters["candidates"] = engine.candidate_count();
  state.counters["digits"] = engine.result().characters.count;
}

}  // namespace

void register_run_benchmarks(const BenchInputs& inputs) {
  for (const BenchPicture& picture : inputs.pictures) {
    benchmark::RegisterBenchmark(("BM_RunBefore/" + picture.name).c_str(), run_whole<Way::old>,
                                 inputs.templates.get(), picture.plane.get())
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("BM_RunStamped/" + picture.name).c_str(), run_whole<Way::stamped>,
                                 inputs.templates.get(), picture.plane.get())
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("BM_Run/" + picture.name).c_str(), run_whole<Way::today>,
                                 inputs.templates.get(), picture.plane.get())
        ->Unit(benchmark::kMicrosecond);
  }
}

}  // namespace plate::bench

int main(int argc, char** argv) {
  std::filesystem::path patterns = PLATE_SOURCE_DIR "/data/EBMPlog00.pat";
  std::filesystem::path samples = PLATE_SOURCE_DIR "/data/samples";
  std::vector<char*> rest;
  for (int i = 0; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg.starts_with("--patterns=")) {
      patterns = arg.substr(arg.find('=') + 1);
    } else if (arg.starts_with("--samples=")) {
      samples = arg.substr(arg.find('=') + 1);
    } else {
      rest.push_back(argv[i]);
    }
  }
  int rest_count = static_cast<int>(rest.size());
  benchmark::Initialize(&rest_count, rest.data());
  if (benchmark::ReportUnrecognizedArguments(rest_count, rest.data())) return 1;

  plate::bench::BenchInputs inputs;
  try {
    inputs = plate::bench::load_bench_inputs(patterns, samples);
#ifdef PLATE_BENCH_RENDERED_PICTURES
    plate::bench::add_rendered_pictures(inputs);
#endif
  } catch (const std::exception& e) {
    std::fprintf(stderr, "run_bench: %s\n", e.what());
    return 1;
  }
  plate::bench::g_floor_seconds = plate::bench::measure_floor_seconds();
  std::fprintf(stderr, "floor (median of 201 fills of %.1f MB): %.1f us\n",
               double(plate::bench::floor_bytes()) / 1e6, plate::bench::g_floor_seconds * 1e6);
  plate::bench::register_run_benchmarks(inputs);
  plate::bench::register_phase_benchmarks(inputs);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
