#include "batch_runner.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

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

reader::Record process_guarded(const ProcessFile& process, const BatchInput& input, reader::Reader& worker) {
  try {
    return process(input, worker);
  } catch (const std::exception& e) {
    return failed_report(input.path, e.what());
  } catch (...) {
    // Anything thrown that is no std::exception would otherwise end the whole program.
    return failed_report(input.path, "unexpected failure");
  }
}

// The inputs in order, numbered, for the workers to take one at a time.
class InputQueue {
 public:
  InputQueue(const NextInput& next, std::size_t ahead) : next_(next) {
    while (taken_.size() < ahead) {
      std::optional<BatchInput> input = next_();
      if (!input) {
        ended_ = true;
        break;
      }
      taken_.push_back(std::move(*input));
    }
  }

  std::size_t taken_ahead() const { return taken_.size(); }

  std::optional<std::pair<std::size_t, BatchInput>> take() {
    const std::lock_guard lock(mutex_);
    if (stopped_) return std::nullopt;
    std::optional<BatchInput> input;
    if (!taken_.empty()) {
      input = std::move(taken_.front());
      taken_.pop_front();
    } else if (!ended_) {
      input = next_();
      ended_ = !input;
    }
    if (!input) return std::nullopt;
    return std::pair{next_index_++, std::move(*input)};
  }

  // No worker takes another input; those under way finish theirs.
  void stop() {
    const std::lock_guard lock(mutex_);
    stopped_ = true;
  }

 private:
  const NextInput& next_;
  std::mutex mutex_;
  std::deque<BatchInput> taken_;
  bool ended_ = false;
  bool stopped_ = false;
  std::size_t next_index_ = 0;
};

}  // namespace

void run_batch(const NextInput& next, int jobs, const TemplateTable& templates,
               const reader::ReadSettings& settings, const ProcessFile& process, const EmitReport& emit) {
  InputQueue inputs(next, static_cast<std::size_t>(std::max(jobs, 1)));
  std::vector<std::unique_ptr<reader::Reader>> workers_state;
  for (std::size_t w = 0; w < inputs.taken_ahead(); ++w) {
    workers_state.push_back(std::make_unique<reader::Reader>(settings));
    workers_state.back()->use_templates(templates);
  }

  // Only the records done before one that is still being read wait here, so memory does not grow
  // with the number of files.
  std::map<std::size_t, std::pair<BatchInput, reader::Record>> done;
  std::size_t workers_left = workers_state.size();
  std::mutex done_mutex;
  std::condition_variable report_ready;
  {
    std::vector<std::jthread> workers;
    for (std::unique_ptr<reader::Reader>& state : workers_state) {
      workers.emplace_back([&, ws = state.get()] {
        while (std::optional<std::pair<std::size_t, BatchInput>> input = inputs.take()) {
          reader::Record report = process_guarded(process, input->second, *ws);
          {
            const std::lock_guard lock(done_mutex);
            done.emplace(input->first, std::pair{std::move(input->second), std::move(report)});
          }
          report_ready.notify_all();
        }
        {
          const std::lock_guard lock(done_mutex);
          --workers_left;
        }
        report_ready.notify_all();
      });
    }
    for (std::size_t i = 0;; ++i) {
      std::unique_lock lock(done_mutex);
      report_ready.wait(lock, [&] { return done.contains(i) || workers_left == 0; });
      const auto ready = done.find(i);
      if (ready == done.end()) break;  // every worker has ended, and every report before is out
      auto [input, report] = std::move(ready->second);
      done.erase(ready);
      lock.unlock();
      if (!emit(i, input, std::move(report))) {
        inputs.stop();
        break;
      }
    }
  }
}

}  // namespace plate::cli
