#include "engine/recognition_engine.h"

#include "recognition.h"
#include "workspace.h"

namespace plate {

// make_unique value-initialises: every byte of the workspace is zero, however the engine is made,
// but for the trace marks' rim, which their constructor sets.
RecognitionEngine::RecognitionEngine() : workspace_(std::make_unique<Workspace>()) {}
RecognitionEngine::~RecognitionEngine() = default;
RecognitionEngine::RecognitionEngine(RecognitionEngine&&) noexcept = default;
RecognitionEngine& RecognitionEngine::operator=(RecognitionEngine&&) noexcept = default;

TemplateLoadOutcome RecognitionEngine::load_templates(const std::filesystem::path& pattern_file) {
  return load_template_file(workspace_->templates, pattern_file);
}

void RecognitionEngine::use_templates(const TemplateTable& templates) {
  workspace_->templates = templates;
}

const TemplateTable& RecognitionEngine::templates() const {
  return workspace_->templates;
}

const RunResult& RecognitionEngine::run(const Plane& picture) {
  workspace_->lent_picture = &picture;
  run_recognition(*workspace_);
  workspace_->lent_picture = nullptr;
  return workspace_->result;
}

const RunResult& RecognitionEngine::result() const {
  return workspace_->result;
}

int RecognitionEngine::candidate_count() const {
  return workspace_->candidates.count;
}

const ShapeRecord& RecognitionEngine::candidate(int index) const {
  return workspace_->candidates.records[static_cast<std::size_t>(index)];
}

void RecognitionEngine::start_phased_run(const Plane& picture) {
  workspace_->lent_picture = &picture;
}

void RecognitionEngine::run_phase(RunPhase phase) {
  plate::run_phase(*workspace_, phase);
}

}  // namespace plate
