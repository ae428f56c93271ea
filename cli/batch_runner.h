#pragma once
// Reads a batch of files on parallel workers and hands the reports back in input order.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "engine/template_file.h"
#include "reader/reader.h"
#include "reader/record.h"

namespace plate::cli {

struct BatchInput {
  std::filesystem::path path;
  std::optional<std::filesystem::path> overlay;  // where its overlay picture goes, if anywhere
  std::string problems;                          // lines for standard error before its record
};

// The next input, or nothing at the end of the batch. Called by one thread at a time.
using NextInput = std::function<std::optional<BatchInput>()>;
using ProcessFile = std::function<reader::Record(const BatchInput& input, reader::Reader& worker)>;
// Returns false to end the batch: no file after it is started.
using EmitReport = std::function<bool(std::size_t index, const BatchInput& input, reader::Record&& report)>;

// Runs `process` for every input `next` gives on up to `jobs` worker threads. The first `jobs` inputs
// are taken before the workers start, to start no more workers than there are inputs; each worker owns
// one Reader (an engine and its frame), created before any file is read (so running out of memory is
// reported first, as std::bad_alloc), with `templates` copied in and `settings` set. The rest are taken
// in order as workers become free, so a list is read no faster than its files. `emit` runs on the calling
// thread, in input order, as soon as a report and all reports before it are done, so output starts before
// the batch ends and memory holds only the inputs under way and the reports that wait for a slower one
// before them, however long the batch.
//
// Anything thrown out of `process` becomes that file's error; the batch goes on.
void run_batch(const NextInput& next, int jobs, const TemplateTable& templates,
               const reader::ReadSettings& settings, const ProcessFile& process, const EmitReport& emit);

}  // namespace plate::cli
