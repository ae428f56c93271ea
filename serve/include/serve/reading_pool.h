#pragma once
// A fixed number of workers, each with its own Reader (engine workspace), and a bounded queue of
// reading jobs in front of them. A job that finds the queue full is refused at once, so a burst
// of clients costs a quick refusal each instead of a backlog that grows with them.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/template_file.h"
#include "reader/reader.h"
#include "reader/record.h"

namespace plate::serve {

// One picture of a request: its bytes as they came, and the name its record carries.
struct Picture {
  std::string name;
  std::string bytes;
};

class ReadingPool {
 public:
  // Told of every picture a worker read, with the time it took (on the worker's thread).
  using PictureDone = std::function<void(std::chrono::nanoseconds)>;

  // Makes every worker's Reader before returning, so running out of memory shows at start.
  ReadingPool(int workers, std::size_t queue_capacity, const TemplateTable& templates,
              PictureDone picture_done);
  // Reads every job still queued, then stops the workers.
  ~ReadingPool();
  ReadingPool(const ReadingPool&) = delete;
  ReadingPool& operator=(const ReadingPool&) = delete;

  // The records of `pictures` in their order, read with `settings` by the next free worker; nothing
  // when the queue already holds its capacity of jobs waiting for a worker.
  std::optional<std::future<std::vector<reader::Record>>> submit(std::vector<Picture> pictures,
                                                                 reader::ReadSettings settings);

  std::size_t queue_length() const;

 private:
  struct Job {
    std::vector<Picture> pictures;
    reader::ReadSettings settings;
    std::promise<std::vector<reader::Record>> records;
  };

  void work(reader::Reader& reader);
  std::vector<reader::Record> read_job(reader::Reader& reader, Job& job);

  const std::size_t capacity_;
  const PictureDone picture_done_;
  mutable std::mutex mutex_;
  std::condition_variable job_ready_;
  std::deque<Job> queue_;
  bool stopping_ = false;
  std::vector<std::unique_ptr<reader::Reader>> readers_;
  std::vector<std::jthread> workers_;
};

}  // namespace plate::serve
