#include "batch_runner.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "file_job.h"
#include "input_list.h"

namespace plate::cli {

namespace {

FileReport failed_report(const std::filesystem::path& path, const std::string& problem) {
  FileReport failed;
  failed.name = display_name(path);
  failed.error = problem;
  failed.stderr_lines = file_message_line(failed.name, problem);
  return failed;
}

FileReport process_guarded(const ProcessFile& process, std::size_t index, const std::filesystem::path& path,
                           WorkerState& worker) {
  try {
    return process(index, worker);
  } catch (const std::exception& e) {
    return failed_report(path, e.what());
  } catch (...) {
    // Anything thrown that is no std::exception would otherwise end the whole program.
    return failed_report(path, "unexpected failure");
  }
}

}  // namespace

void run_batch(const std::vector<std::filesystem::path>& inputs, int jobs, const TemplateTable& templates,
               const ProcessFile& process, const EmitReport& emit) {
  const std::size_t count = inputs.size();
  const std::size_t worker_count = std::min(count, static_cast<std::size_t>(std::max(jobs, 1)));
  std::vector<std::unique_ptr<WorkerState>> workers_state;
  for (std::size_t w = 0; w < worker_count; ++w) {
    workers_state.push_back(std::make_unique<WorkerState>());
    workers_state.back()->engine.use_templates(templates);
  }

  std::vector<std::optional<FileReport>> done(count);
  std::mutex done_mutex;
  std::condition_variable report_ready;
  std::atomic<std::size_t> next_input{0};
  {
    std::vector<std::jthread> workers;
    for (std::unique_ptr<WorkerState>& state : workers_state) {
      workers.emplace_back([&, ws = state.get()] {
        for (std::size_t i; (i = next_input.fetch_add(1)) < count;) {
          FileReport report = process_guarded(process, i, inputs[i], *ws);
          {
            const std::lock_guard lock(done_mutex);
            done[i] = std::move(report);
          }
          report_ready.notify_all();
        }
      });
    }
    for (std::size_t i = 0; i < count; ++i) {
      std::unique_lock lock(done_mutex);
      report_ready.wait(lock, [&] { return done[i].has_value(); });
      FileReport report = std::move(*done[i]);
      done[i].reset();
      lock.unlock();
      if (!emit(i, std::move(report))) {
        next_input.store(count);  // no worker takes another file; those under way finish theirs
        break;
      }
    }
  }
}

}  // namespace plate::cli
