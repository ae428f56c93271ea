// Where a run's time goes: the run's phases called one by one, in the run's order, each timed on
// its own. The counters give microseconds per run for each phase; their sum is the benchmark's
// time less the clock readings. The reset phase holds both fills of the trace mark plane and the
// fill of the candidate table, the same bytes as BM_BlockFillFloor; it takes longer within a run,
// where the other phases have pushed those bytes out of the nearer caches, than back to back.
//
// The phases and their order are the engine's own (kRunPhases); the result is still checked
// against a whole run after timing, so that a phase that leaves state behind cannot go unnoticed.

#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <cstring>
#include <memory>

#include "bench_inputs.h"
#include "engine/recognition_engine.h"

namespace plate::bench {

namespace {

enum Phase { kReset, kSeedScan, kMatching, kGrouping, kInterpretation, kPhaseCount };
constexpr std::array<const char*, kPhaseCount> kPhaseNames{"reset_us", "seed_scan_us", "matching_us",
                                                           "grouping_us", "interpretation_us"};

// Both fills of the trace marks count as the reset.
constexpr Phase counted_as(RunPhase phase) {
  switch (phase) {
    case RunPhase::reset:
    case RunPhase::clear_trace_marks:
      return kReset;
    case RunPhase::seed_scan:
      return kSeedScan;
    case RunPhase::matching:
      return kMatching;
    case RunPhase::grouping:
      return kGrouping;
    case RunPhase::interpretation:
      return kInterpretation;
  }
  return kReset;
}

bool same_result(const RunResult& a, const RunResult& b) {
  return std::memcmp(&a.characters, &b.characters, sizeof a.characters) == 0 &&
         std::memcmp(&a.groups, &b.groups, sizeof a.groups) == 0 && a.next_group_id == b.next_group_id &&
         std::memcmp(&a.matches, &b.matches, sizeof a.matches) == 0 && a.log.view() == b.log.view();
}

void run_by_phase(benchmark::State& state, const TemplateTable* templates, const Plane* picture) {
  RecognitionEngine engine;
  engine.use_templates(*templates);
  std::array<std::chrono::steady_clock::duration, kPhaseCount> spent{};
  for (auto _ : state) {
    engine.start_phased_run(*picture);
    for (const RunPhase phase : kRunPhases) {
      const auto start = std::chrono::steady_clock::now();
      engine.run_phase(phase);
      spent[counted_as(phase)] += std::chrono::steady_clock::now() - start;
    }
  }
  for (int phase = 0; phase < kPhaseCount; ++phase) {
    state.counters[kPhaseNames[std::size_t(phase)]] =
        benchmark::Counter(std::chrono::duration<double, std::micro>(spent[std::size_t(phase)]).count(),
                           benchmark::Counter::kAvgIterations);
  }

  RecognitionEngine whole;
  whole.use_templates(*templates);
  whole.run(*picture);
  if (!same_result(whole.result(), engine.result())) {
    state.SkipWithError("the phases called one by one no longer give a whole run's result");
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
