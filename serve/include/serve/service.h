#pragma once
// The reading service over HTTP: POST /v1/read answers the records of the pictures sent, GET
// /healthz says whether it takes requests, GET /metrics gives its counters to Prometheus. Every
// refusal has its own status and a JSON body; one log line is written for each response.

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>

#include "engine/template_file.h"
#include "serve/http_server.h"
#include "serve/read_answer.h"
#include "serve/reading_pool.h"
#include "serve/service_metrics.h"

namespace plate::serve {

struct ServiceSettings {
  int workers = 2;                        // readers, each with its own engine
  std::size_t queue_capacity = 8;         // reading requests waiting for a worker; beyond, 503
  std::size_t connection_threads = 64;    // connections served at once
  std::size_t max_body_bytes = 32 << 20;  // a larger body: 413
  std::size_t max_pictures = 64;          // parts of one upload; more: 413
  std::chrono::seconds read_timeout{10};  // a client silent this long mid-request: 408
  std::optional<std::string> token;       // when set, every route but /healthz asks for it
};

class Service {
 public:
  // `log` receives the start and stop lines and one line a response; it must outlive the service.
  Service(const ServiceSettings& settings, const TemplateTable& templates, std::ostream& log);
  ~Service();
  Service(const Service&) = delete;
  Service& operator=(const Service&) = delete;

  // Binds to `address`; the port bound (chosen by the system when `port` is 0), or nothing.
  std::optional<int> bind(const std::string& address, int port);
  // Serves until stop() has been called and every connection already accepted is served.
  bool serve();

  // Refuses new reading requests (503) while the ones admitted are read and answered, waiting at
  // most `grace` for them; then stops. Safe to call from any thread, and more than once.
  void drain_and_stop(std::chrono::milliseconds grace);

 private:
  // Answers any method on any path: the service's routes, or a refusal with its status.
  void route(const httplib::Request& request, httplib::Response& response,
             const httplib::ContentReader* content_reader);
  // Answers `answer`; the request's body is read and dropped first so the connection can go on,
  // or, when that cannot be done, the connection ends with the answer.
  void refuse(const httplib::Request& request, httplib::Response& response,
              const httplib::ContentReader* content_reader, const Answer& answer);
  void read_pictures(const httplib::Request& request, httplib::Response& response,
                     const httplib::ContentReader* content_reader);
  void log_response(const httplib::Request& request, const httplib::Response& response);
  // Admits a reading request unless the service is draining; release_request() must follow.
  bool admit_request();
  void release_request();

  const ServiceSettings settings_;
  std::ostream& log_;
  std::mutex log_mutex_;
  ServiceMetrics metrics_;
  ReadingPool pool_;
  HttpServer server_;
  int listening_socket_ = -1;  // a POSIX descriptor: the service is built for POSIX systems only

  std::mutex admission_mutex_;
  std::condition_variable all_released_;
  std::size_t admitted_ = 0;
  bool draining_ = false;
};

}  // namespace plate::serve
