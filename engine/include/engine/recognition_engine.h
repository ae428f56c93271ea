#pragma once
// RecognitionEngine: the one way into the recognition engine.
//
// It owns the workspace (about 10 MB, every plane and table a run works in, created once, all zero
// at start but for the marks of the frame's rim), the ten digit templates, and the result of the
// last run. A caller loads the templates once, then runs pictures: each run reads the caller's
// picture in place (it never writes it), works on the fixed tables without allocating, and hands
// back the result read-only. Nothing outside the engine can write into the workspace, so a result
// always is what the run left.
//
//   RecognitionEngine engine;
//   const TemplateLoadOutcome loaded = engine.load_templates("EBMPlog00.pat");
//   const RunResult& result = engine.run(picture);
//
// One engine serves one thread at a time; run several engines for parallel work.

#include <filesystem>
#include <memory>

#include "plane.h"
#include "run_phase.h"
#include "run_result.h"
#include "shape_record.h"
#include "template_file.h"
#include "template_load.h"

namespace plate {

struct Workspace;

class RecognitionEngine {
 public:
  RecognitionEngine();  // an all-zero workspace: empty templates, black picture, no run yet
  ~RecognitionEngine();
  RecognitionEngine(RecognitionEngine&&) noexcept;
  RecognitionEngine& operator=(RecognitionEngine&&) noexcept;
  RecognitionEngine(const RecognitionEngine&) = delete;
  RecognitionEngine& operator=(const RecognitionEngine&) = delete;

  // Reads the pattern file into the template table and says what happened. On any outcome but
  // `loaded` the engine still runs: with an all-zero table when the file could not be read, or
  // with the sound records of a file of the wrong size or with a bad record.
  TemplateLoadOutcome load_templates(const std::filesystem::path& pattern_file);
  // Takes a table loaded elsewhere (several engines sharing one file's templates).
  void use_templates(const TemplateTable& templates);
  const TemplateTable& templates() const;

  // One recognition run over `picture`, read in place. The result stays until the next run.
  const RunResult& run(const Plane& picture);
  const RunResult& result() const;

  // The traced shapes the last run's seed scan stored, in the order it stored them; a character
  // entry's candidate_index and the match table refer to them.
  int candidate_count() const;
  const ShapeRecord& candidate(int index) const;  // 0 <= index < candidate_count()

  // The run taken apart, for benchmarks that time its phases: start_phased_run lends the picture,
  // which must then stay alive and unchanged until the last phase; run_phase for each of kRunPhases
  // in order gives the same result as run(), except the processing time, which only run() measures.
  void start_phased_run(const Plane& picture);
  void run_phase(RunPhase phase);

 private:
  std::unique_ptr<Workspace> workspace_;
};

}  // namespace plate
