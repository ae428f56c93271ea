#include "batch_runner.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "reader/names.h"

namespace plate::cli {

namespace {

reader::Record failed_report(const std::filesystem::path& path, const std::string& problem) {
  reader::Record failed;
  failed.name = reader::display_name(path);
  failed.error = problem;
  failed.messages = reader::message_line(failed.name, problem);
  return failed;
}

reader::Record process_guarded(const ProcessFile& process, std::size_t index,
                               const std::filesystem::path& path, reader::Reader& worker) {
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
               const reader::ReadSettings& settings, const ProcessFile& process, const EmitReport& emit) {
  const std::size_t count = inputs.size();
  const std::size_t worker_count = std::min(count, static_cast<std::size_t>(std::max(jobs, 1)));
  std::vector<std::unique_ptr<reader::Reader>> workers_state;
  for (std::size_t w = 0; w < worker_count; ++w) {
    workers_state.push_back(std::make_unique<reader::Reader>(settings));
    workers_state.back()->use_templates(templates);
  }

  // Only the records done before one that is still being read wait here, so memory does not grow
  // with the number of files.
  std::map<std::size_t, reader::Record> done;
  std::mutex done_mutex;
  std::condition_variable report_ready;
  std::atomic<std::size_t> next_input{0};
  {
    std::vector<std::jthread> workers;
    for (std::unique_ptr<reader::Reader>& state : workers_state) {
      workers.emplace_back([&, ws = state.get()] {
        for (std::size_t i; (i = next_input.fetch_add(1)) < count;) {
          reader::Record report = process_guarded(process, i, inputs[i], *ws);
          {
            const std::lock_guard lock(done_mutex);
            done.emplace(i, std::move(report));
          }
          report_ready.notify_all();
        }
      });
    }
    for (std::size_t i = 0; i < count; ++i) {
      std::unique_lock lock(done_mutex);
      report_ready.wait(lock, [&] { return done.contains(i); });
      const auto ready = done.find(i);
      reader::Record report = std::move(ready->second);
      done.erase(ready);
      lock.unlock();
      if (!emit(i, std::move(report))) {
        next_input.store(count);  // no worker takes another file; those under way finish theirs
        break;
      }
    }
  }
}

}  // namespace plate::cli
