#pragma once
// What the service has done, in Prometheus' text format: responses by status, pictures read, the
// reading time of each picture as a histogram, and the reading queue's length.

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>

namespace plate::serve {

class ServiceMetrics {
 public:
  void count_response(int status);
  // One picture read (or refused by the reader), and how long the worker took for it.
  void count_picture(std::chrono::nanoseconds reading_time);

  // The metrics as Prometheus scrapes them, with the queue's current length.
  std::string prometheus_text(std::size_t queue_length) const;

 private:
  // Upper bounds of the histogram buckets in seconds: a sample picture takes about 1 ms, a
  // 12-megapixel photo about 40 ms, small-plate tiles a few hundred.
  static constexpr std::array<double, 11> kBucketBounds{0.0005, 0.001, 0.002, 0.005, 0.01, 0.02,
                                                        0.05,   0.1,   0.25,  0.5,   1.0};

  mutable std::mutex mutex_;
  std::map<int, std::uint64_t> responses_;
  std::array<std::uint64_t, kBucketBounds.size()> bucket_counts_{};  // not cumulative
  std::uint64_t pictures_ = 0;
  double reading_seconds_ = 0;
};

}  // namespace plate::serve
