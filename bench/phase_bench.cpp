// Where a run's time goes: the run's phases called one by one, in the run's order, each timed on
// its own. The counters give microseconds per run for each phase; their sum is the benchmark's
// time less the clock readings. The reset phase holds both fills of the trace mark plane and the
// fill of the candidate table, the same bytes as BM_BlockFillFloor; it takes longer within a run,
// where the other phases have pushed those bytes out of the nearer caches, than back to back.
//
// The sequence is checked against run_recognition itself after timing: if the engine's run ever
// gains or reorders a step, the benchmark reports an error instead of timing something else.

#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <cstring>
#include <memory>

#include "bench_inputs.h"
#include "engine/grouping.h"
#include "engine/matching.h"
#include "engine/plate_interpretation.h"
#include "engine/recognition.h"
#include "engine/seed_scan.h"
#include "previous_run.h"

namespace plate::bench {

namespace {

enum Phase { kReset, kSeedScan, kMatching, kGrouping, kInterpretation, kPhaseCount };
constexpr std::array<const char*, kPhaseCount> kPhaseNames{"reset_us", "seed_scan_us", "matching_us",
                                                           "grouping_us", "interpretation_us"};

void run_by_phase(benchmark::State& state, const TemplateTable* templates, const Plane* picture) {
  auto workspace = std::make_unique<Workspace>();
  workspace->templates = *templates;
  workspace->display = *picture;
  std::array<std::chrono::steady_clock::duration, kPhaseCount> spent{};
  for (auto _ : state) {
    auto mark = std::chrono::steady_clock::now();
    const auto phase_ends = [&](Phase phase) {
      const auto now = std::chrono::steady_clock::now();
      spent[phase] += now - mark;
      mark = now;
    };
    workspace->trace_marks.clear_all();
    workspace->result.log.clear();
    workspace->candidates.count = 0;
    phase_ends(kReset);
    scan_seeds(*workspace);
    phase_ends(kSeedScan);
    workspace->trace_marks.clear_all();
    phase_ends(kReset);
    decide_characters(*workspace);
    phase_ends(kMatching);
    build_character_list(workspace->candidates, workspace->result.characters);
    group_characters(workspace->result);
    sort_characters(workspace->result.characters);
    phase_ends(kGrouping);
    interpret_plates(*workspace);
    phase_ends(kInterpretation);
  }
  for (int phase = 0; phase < kPhaseCount; ++phase) {
    state.counters[kPhaseNames[std::size_t(phase)]] =
        benchmark::Counter(std::chrono::duration<double, std::micro>(spent[std::size_t(phase)]).count(),
                           benchmark::Counter::kAvgIterations);
  }

  auto whole = std::make_unique<Workspace>();
  whole->templates = *templates;
  whole->display = *picture;
  run_recognition(*whole);
  if (!same_result(whole->result, workspace->result)) {
    state.SkipWithError("the phases called one by one no longer give run_recognition's result");
  }
}

}  // namespace

void register_phase_benchmarks(const BenchInputs& inputs) {
  for (const BenchPicture& picture : inputs.pictures) {
    benchmark::RegisterBenchmark(("BM_Phases/" + picture.name).c_str(), run_by_phase, inputs.templates.get(),
                                 picture.plane.get())
        ->Unit(benchmark::kMicrosecond);
  }
}

}  // namespace plate::bench
