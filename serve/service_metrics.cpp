#include "serve/service_metrics.h"

#include <sstream>

namespace plate::serve {

void ServiceMetrics::count_response(int status) {
  const std::lock_guard lock(mutex_);
  ++responses_[status];
}

void ServiceMetrics::count_picture(std::chrono::nanoseconds reading_time) {
  const double seconds = std::chrono::duration<double>(reading_time).count();
  const std::lock_guard lock(mutex_);
  ++pictures_;
  reading_seconds_ += seconds;
  for (std::size_t i = 0; i < kBucketBounds.size(); ++i) {
    if (seconds <= kBucketBounds[i]) {
      ++bucket_counts_[i];
      break;
    }
  }
}

std::string ServiceMetrics::prometheus_text(std::size_t queue_length) const {
  const std::lock_guard lock(mutex_);
  std::ostringstream out;
  out << "# HELP plate_serve_requests_total HTTP responses sent, by status code.\n"
         "# TYPE plate_serve_requests_total counter\n";
  for (const auto& [status, count] : responses_)
    out << "plate_serve_requests_total{status=\"" << status << "\"} " << count << '\n';
  out << "# HELP plate_serve_pictures_read_total Pictures handed to a reader.\n"
         "# TYPE plate_serve_pictures_read_total counter\n"
         "plate_serve_pictures_read_total "
      << pictures_
      << "\n# HELP plate_serve_reading_seconds Time a worker took to read one picture.\n"
         "# TYPE plate_serve_reading_seconds histogram\n";
  std::uint64_t cumulative = 0;
  for (std::size_t i = 0; i < kBucketBounds.size(); ++i) {
    cumulative += bucket_counts_[i];
    out << "plate_serve_reading_seconds_bucket{le=\"" << kBucketBounds[i] << "\"} " << cumulative << '\n';
  }
  out << "plate_serve_reading_seconds_bucket{le=\"+Inf\"} " << pictures_ << '\n'
      << "plate_serve_reading_seconds_sum " << reading_seconds_ << '\n'
      << "plate_serve_reading_seconds_count " << pictures_ << '\n'
      << "# HELP plate_serve_queue_length Reading requests waiting for a worker.\n"
         "# TYPE plate_serve_queue_length gauge\n"
         "plate_serve_queue_length "
      << queue_length << '\n';
  return out.str();
}

}  // namespace plate::serve
