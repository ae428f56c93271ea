#pragma once
// Reads a batch of files on parallel workers and hands the reports back in input order.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <vector>

#include "engine/template_file.h"
#include "file_job.h"
#include "file_report.h"

namespace plate::cli {

using ProcessFile = std::function<FileReport(std::size_t index, WorkerState& worker)>;
// Returns false to end the batch: no file after it is started.
using EmitReport = std::function<bool(std::size_t index, FileReport&& report)>;

// Runs `process` for every index of `inputs` on min(jobs, inputs.size()) worker threads. Each worker owns one
// engine and picture, created once before the workers start (so running out of memory is reported before
// any file is read, as std::bad_alloc), with `templates` copied in. Files are handed out in input
// order as workers become free. `emit` runs on the calling thread, in input order, as soon as a
// report and all reports before it are done, so output starts before the batch ends and memory
// holds only the reports that wait for a slower one before them.
//
// Anything thrown out of `process` becomes that file's error; the batch goes on.
void run_batch(const std::vector<std::filesystem::path>& inputs, int jobs, const TemplateTable& templates,
               const ProcessFile& process, const EmitReport& emit);

}  // namespace plate::cli
