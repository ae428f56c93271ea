#pragma once
// The pictures and templates every run benchmark works on, loaded once before any benchmark runs.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/plane.h"
#include "engine/template_file.h"

namespace plate::bench {

struct BenchPicture {
  std::string name;  // the sample's file stem, or "crowded" for the drawn picture
  std::unique_ptr<Plane> plane;
};

struct BenchInputs {
  std::unique_ptr<TemplateTable> templates;
  std::vector<BenchPicture> pictures;  // the samples in name order, then the crowded picture
};

// Loads the pattern file and every *.bmp of `sample_folder` (read into the frame as the reader
// places it), and draws the crowded picture. Throws std::runtime_error when the pattern file or a
// sample cannot be read: a benchmark over empty templates would time a run that matches nothing.
BenchInputs load_bench_inputs(const std::filesystem::path& pattern_file,
                              const std::filesystem::path& sample_folder);

// 336 seven-segment digits, 22 x 42 pixels with 5-pixel strokes, in plates of four across the
// whole frame: more acceptable outlines than the candidate table holds, so a run fills all 300
// entries and matches every one of them.
void draw_crowded_digits(Plane& picture);

// Registration of the benchmarks that need the inputs (they must outlive the benchmark run).
void register_run_benchmarks(const BenchInputs& inputs);
void register_phase_benchmarks(const BenchInputs& inputs);

}  // namespace plate::bench
