#include "serve/reading_pool.h"

#include <cstddef>
#include <exception>
#include <span>

#include "reader/failure.h"

namespace plate::serve {

ReadingPool::ReadingPool(int workers, std::size_t queue_capacity, const TemplateTable& templates,
                         PictureDone picture_done)
    : capacity_(queue_capacity), picture_done_(std::move(picture_done)) {
  for (int w = 0; w < workers; ++w) {
    readers_.push_back(std::make_unique<reader::Reader>());
    readers_.back()->use_templates(templates);
  }
  for (const std::unique_ptr<reader::Reader>& reader : readers_)
    workers_.emplace_back([this, worker = reader.get()] { work(*worker); });
}

ReadingPool::~ReadingPool() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  job_ready_.notify_all();
  workers_.clear();  // joins, once the queue is empty
}

std::optional<std::future<std::vector<reader::Record>>> ReadingPool::submit(std::vector<Picture> pictures,
                                                                            reader::ReadSettings settings) {
  std::future<std::vector<reader::Record>> records;
  {
    const std::lock_guard lock(mutex_);
    if (queue_.size() >= capacity_ || stopping_) return std::nullopt;
    queue_.push_back(Job{std::move(pictures), settings, {}});
    records = queue_.back().records.get_future();
  }
  job_ready_.notify_one();
  return records;
}

std::size_t ReadingPool::queue_length() const {
  const std::lock_guard lock(mutex_);
  return queue_.size();
}

void ReadingPool::work(reader::Reader& reader) {
  for (;;) {
    std::unique_lock lock(mutex_);
    job_ready_.wait(lock, [&] { return !queue_.empty() || stopping_; });
    if (queue_.empty()) return;
    Job job = std::move(queue_.front());
    queue_.pop_front();
    lock.unlock();
    try {
      job.records.set_value(read_job(reader, job));
    } catch (...) {
      // Out of memory, say: the one request fails, the worker and the service go on.
      job.records.set_exception(std::current_exception());
    }
  }
}

std::vector<reader::Record> ReadingPool::read_job(reader::Reader& reader, Job& job) {
  reader.settings() = job.settings;
  std::vector<reader::Record> records;
  records.reserve(job.pictures.size());
  for (Picture& picture : job.pictures) {
    const auto start = std::chrono::steady_clock::now();
    const std::span<const std::byte> bytes(reinterpret_cast<const std::byte*>(picture.bytes.data()),
                                           picture.bytes.size());
    records.push_back(reader.read_bytes(bytes, picture.name));
    picture_done_(std::chrono::steady_clock::now() - start);
    std::string().swap(picture.bytes);  // a large upload need not wait for the rest of the job
  }
  return records;
}

}  // namespace plate::serve
