// How long one recognition run takes over a full 1024 x 768 frame, against the floor that every
// run pays: the block fills of the trace mark plane (twice) and of the candidate table.

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

#include "engine/recognition.h"

namespace {

using plate::Workspace;

void fill_box(plate::Plane& plane, int x_min, int x_max, int y_min, int y_max, std::uint8_t level) {
  for (int y = y_min; y <= y_max; ++y) std::memset(plane.row(y) + 3 * x_min, level, std::size_t(3 * (x_max - x_min + 1)));
}

// Forty digit-sized dark bars and a few blobs of other shapes, on white.
void draw_few_dozen_shapes(plate::Plane& plane) {
  plane.fill(255);
  for (int i = 0; i < 40; ++i) {
    const int x = 20 + (i % 10) * 98, y = 40 + (i / 10) * 180;
    fill_box(plane, x, x + 14 + i % 6, y, y + 34 + 3 * (i % 9), static_cast<std::uint8_t>(8 * (i % 7)));
  }
  fill_box(plane, 300, 420, 600, 700, 30);
  fill_box(plane, 600, 605, 600, 720, 30);
}

void BM_BlockFillFloor(benchmark::State& state) {
  auto workspace = std::make_unique<Workspace>();
  for (auto _ : state) {
    workspace->trace_marks.fill(0);
    std::memset(&workspace->candidates, 0, sizeof workspace->candidates);
    workspace->trace_marks.fill(0);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() *
                          std::int64_t(2 * sizeof workspace->trace_marks + sizeof workspace->candidates));
}
BENCHMARK(BM_BlockFillFloor)->Unit(benchmark::kMicrosecond);

void BM_RunOverFewDozenShapes(benchmark::State& state) {
  auto workspace = std::make_unique<Workspace>();
  draw_few_dozen_shapes(workspace->display);
  for (auto _ : state) {
    plate::run_recognition(*workspace);
    benchmark::DoNotOptimize(workspace->result.characters.count);
  }
  state.counters["candidates"] = workspace->candidates.count;
}
BENCHMARK(BM_RunOverFewDozenShapes)->Unit(benchmark::kMicrosecond);

}  // namespace
