#pragma once
// Reads a batch of files on parallel workers and hands the reports back in input order.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <vector>

#include "engine/template_file.h"
#include "reader/reader.h"
#include "reader/record.h"

namespace plate::cli {

using ProcessFile = std::function<reader::Record(std::size_t index, reader::Reader& worker)>;
// Returns false to end the batch: no file after it is started.
using EmitReport = std::function<bool(std::size_t index, reader::Record&& report)>;

// Runs `process` for every index of `inputs` on min(jobs, inputs.size()) worker threads. Each worker owns one
// Reader (an engine and its frame), created once before the workers start (so running out of memory is
// reported before any file is read, as std::bad_alloc), with `templates` copied in and `settings` set. Files
// are handed out in input order as workers become free. `emit` runs on the calling thread, in input order, as
// soon as a report and all reports before it are done, so output starts before the batch ends and memory
// holds only the reports that wait for a slower one before them.
//
// Anything thrown out of `process` becomes that file's error; the batch goes on.
void run_batch(const std::vector<std::filesystem::path>& inputs, int jobs, const TemplateTable& templates,
               const reader::ReadSettings& settings, const ProcessFile& process, const EmitReport& emit);

}  // namespace plate::cli
