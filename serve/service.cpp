#include "serve/service.h"

#include <sys/socket.h>

#include <cstdint>
#include <exception>
#include <string_view>
#include <variant>

#include "reader/names.h"
#include "serve/access_token.h"
#include "serve/connection_queue.h"
#include "serve/read_answer.h"
#include "serve/read_options.h"

namespace plate::serve {

namespace {

constexpr std::string_view kReadPath = "/v1/read";
constexpr std::string_view kHealthPath = "/healthz";
constexpr std::string_view kMetricsPath = "/metrics";
constexpr const char* kJson = "application/json";
constexpr const char* kRetryAfterSeconds = "1";

// What the log line of the request being served on this connection thread says besides the
// request itself (a thread serves one request at a time).
struct RequestTrace {
  std::chrono::steady_clock::time_point start;
  std::size_t pictures = 0;
};
thread_local RequestTrace current_trace;

Answer body_too_large(std::size_t limit) {
  return error_answer(413, "the body is larger than " + std::to_string(limit) + " bytes");
}

void send(httplib::Response& response, const Answer& answer) {
  response.status = answer.status;
  response.set_content(answer.body, kJson);
}

// Ends the connection once `answer` is written: what is left of the request on it (a body not
// read, or read only in part) is no next request. The body goes through a content provider that
// reports failure after writing it whole, the one way this HTTP layer is told to drop a connection.
void send_and_close(httplib::Response& response, const Answer& answer) {
  response.status = answer.status;
  response.set_header("Connection", "close");
  response.set_content_provider(answer.body.size(), kJson,
                                [body = answer.body](std::size_t, std::size_t, httplib::DataSink& sink) {
                                  sink.write(body.data(), body.size());
                                  return false;
                                });
}

bool has_body(const httplib::Request& request) {
  return request.get_header_value<std::uint64_t>("Content-Length") > 0 ||
         request.get_header_value("Transfer-Encoding") == "chunked";
}

// Reads and drops the body of a request that is refused, so that the connection can serve the next
// one; false when it is larger than `limit`, ends early or is malformed.
bool discard_body(const httplib::Request& request, const httplib::ContentReader& content_reader,
                  std::size_t limit) {
  std::size_t received = 0;
  const auto drop = [&](const char*, std::size_t length) { return (received += length) <= limit; };
  if (request.is_multipart_form_data())
    return content_reader([](const httplib::MultipartFormData&) { return true; }, drop);
  return content_reader(drop);
}

// The one method each path takes (GET also answers HEAD); empty for a path the service does not have.
std::string_view allowed_method(std::string_view path) {
  if (path == kReadPath) return "POST";
  if (path == kHealthPath || path == kMetricsPath) return "GET";
  return {};
}

std::string http_layer_refusal(int status) {
  switch (status) {
    case 413:
      return "the body is too large";
    case 414:
      return "the URI is too long";
    default:
      return "the request is not well-formed HTTP";
  }
}

struct BodyOutcome {
  std::vector<Picture> pictures;
  std::optional<Answer> refusal;
  bool read_whole = false;  // the body was read to its end: the connection can carry another request
};

// The pictures of the body: the body itself, or each part of a multipart/form-data upload (named
// by its file name). A body over the size limit, an upload of too many parts, a client that stops
// sending and a malformed upload are refused.
BodyOutcome receive_pictures(const httplib::Request& request, const httplib::ContentReader& content_reader,
                             const ServiceSettings& settings) {
  BodyOutcome outcome;
  std::size_t received = 0;
  std::optional<Answer> too_much;
  // Once refused, the rest is read and dropped up to another limit's worth: a client that sends its
  // whole body before it reads the answer would otherwise find its connection reset, not the answer.
  const auto take = [&](const char* data, std::size_t length) {
    received += length;
    if (received > settings.max_body_bytes && !too_much) too_much = body_too_large(settings.max_body_bytes);
    if (too_much) return received <= 2 * settings.max_body_bytes;
    outcome.pictures.back().bytes.append(data, length);
    return true;
  };
  const auto start = std::chrono::steady_clock::now();
  if (request.is_multipart_form_data()) {
    outcome.read_whole = content_reader(
        [&](const httplib::MultipartFormData& part) {
          if (outcome.pictures.size() == settings.max_pictures && !too_much)
            too_much = error_answer(
                413, "an upload holds at most " + std::to_string(settings.max_pictures) + " pictures");
          if (!too_much) outcome.pictures.push_back({part.filename, {}});
          return true;
        },
        take);
  } else {
    outcome.pictures.push_back({});
    // The body comes in pieces of a few kilobytes; one allocation takes them all (the pre-routing
    // check has bounded the length).
    outcome.pictures.back().bytes.reserve(request.get_header_value<std::uint64_t>("Content-Length"));
    outcome.read_whole = content_reader(take);
  }
  if (too_much) {
    outcome.refusal = too_much;
  } else if (outcome.read_whole) {
    if (outcome.pictures.empty()) outcome.refusal = error_answer(400, "the upload holds no picture");
  } else if (std::chrono::steady_clock::now() - start >=
             settings.read_timeout - std::chrono::milliseconds(100)) {
    outcome.refusal = error_answer(
        408, "the client sent nothing for " + std::to_string(settings.read_timeout.count()) + " s");
  } else {
    outcome.refusal = error_answer(400, "the body is malformed or ended early");
  }
  return outcome;
}

}  // namespace

Service::Service(const ServiceSettings& settings, const TemplateTable& templates, std::ostream& log)
    : settings_(settings),
      log_(log),
      pool_(settings.workers, settings.queue_capacity, templates,
            [this](std::chrono::nanoseconds took) { metrics_.count_picture(took); }) {
  server_.new_task_queue = [threads = settings_.connection_threads] {
    return new ConnectionQueue(threads, threads);
  };
  server_.set_tcp_nodelay(true);
  server_.set_socket_options([this](int socket) {
    const int on = 1;
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);  // what the default options set
    listening_socket_ = socket;
  });
  server_.set_read_timeout(settings_.read_timeout);
  server_.set_write_timeout(settings_.read_timeout);
  server_.set_keep_alive_max_count(1000);
  server_.set_pre_routing_handler([this](const auto& request, auto& response) {
    current_trace = {std::chrono::steady_clock::now(), 0};
    // Refused before a byte of it is read.
    if (request.template get_header_value<std::uint64_t>("Content-Length") <= settings_.max_body_bytes)
      return httplib::Server::HandlerResponse::Unhandled;
    send_and_close(response, body_too_large(settings_.max_body_bytes));
    return httplib::Server::HandlerResponse::Handled;
  });
  // A client that waits for "100 Continue" before sending a body too large hears 413 instead.
  server_.set_expect_100_continue_handler([this](const auto& request, auto& response) {
    if (request.template get_header_value<std::uint64_t>("Content-Length") <= settings_.max_body_bytes)
      return 100;
    send_and_close(response, body_too_large(settings_.max_body_bytes));
    return 413;
  });
  // Every method and path comes to route(), so that each refusal has its status and JSON body.
  const auto with_body = [this](const httplib::Request& request, httplib::Response& response,
                                const httplib::ContentReader& content_reader) {
    route(request, response, &content_reader);
  };
  const auto without_body = [this](const httplib::Request& request, httplib::Response& response) {
    route(request, response, nullptr);
  };
  server_.Get(".*", without_body);
  server_.Options(".*", without_body);
  server_.Post(".*", with_body);
  server_.Post(".*", without_body);  // a POST with neither a length nor chunks
  server_.Put(".*", with_body);
  server_.Put(".*", without_body);
  server_.Patch(".*", with_body);
  server_.Patch(".*", without_body);
  server_.Delete(".*", with_body);
  server_.Delete(".*", without_body);
  // Refusals made by the HTTP layer itself (a malformed request line, a URI too long) get a JSON body too.
  server_.set_error_handler([](const httplib::Request&, httplib::Response& response) {
    if (response.body.empty() && !response.content_provider_)
      send(response, error_answer(response.status, http_layer_refusal(response.status)));
  });
  server_.set_exception_handler([](const httplib::Request&, httplib::Response& response, std::exception_ptr) {
    send_and_close(response, error_answer(500, "the request could not be served"));
  });
  server_.set_logger([this](const auto& request, const auto& response) { log_response(request, response); });
}

Service::~Service() {
  drain_and_stop(std::chrono::milliseconds(0));
}

std::optional<int> Service::bind(const std::string& address, int port) {
  std::optional<int> bound;
  if (port == 0) {
    if (const int chosen = server_.bind_to_any_port(address); chosen > 0) bound = chosen;
  } else if (server_.bind_to_port(address, port)) {
    bound = port;
  }
  // The HTTP layer listens with a backlog of 5: a burst of clients beyond it would have its
  // connections dropped and retried by the system a second later. Listening again sets the backlog.
  if (bound && ::listen(listening_socket_, SOMAXCONN) != 0) return std::nullopt;
  return bound;
}

bool Service::serve() {
  return server_.listen_after_bind();
}

void Service::drain_and_stop(std::chrono::milliseconds grace) {
  {
    std::unique_lock lock(admission_mutex_);
    draining_ = true;
    all_released_.wait_for(lock, grace, [&] { return admitted_ == 0; });
  }
  server_.stop();
}

bool Service::admit_request() {
  const std::lock_guard lock(admission_mutex_);
  if (draining_) return false;
  ++admitted_;
  return true;
}

void Service::release_request() {
  const std::lock_guard lock(admission_mutex_);
  if (--admitted_ == 0) all_released_.notify_all();
}

void Service::route(const httplib::Request& request, httplib::Response& response,
                    const httplib::ContentReader* content_reader) {
  const std::string_view allowed = allowed_method(request.path);
  if (allowed.empty()) {
    refuse(request, response, content_reader,
           error_answer(404, "no such path; the service has POST /v1/read, GET /healthz and GET /metrics"));
  } else if (request.method != allowed && !(allowed == "GET" && request.method == "HEAD")) {
    response.set_header("Allow", std::string(allowed));
    refuse(request, response, content_reader,
           error_answer(405, std::string(request.path) + " takes " + std::string(allowed)));
  } else if (settings_.token && request.path != kHealthPath &&
             !bearer_matches(request.get_header_value("Authorization"), *settings_.token)) {
    response.set_header("WWW-Authenticate", "Bearer");
    refuse(request, response, content_reader,
           error_answer(401, "this service needs its token as 'Authorization: Bearer TOKEN'"));
  } else if (request.path == kReadPath) {
    read_pictures(request, response, content_reader);
  } else if (request.path == kHealthPath) {
    const std::lock_guard lock(admission_mutex_);
    send(response, draining_ ? error_answer(503, "stopping") : Answer{200, "{\"status\":\"ok\"}\n"});
  } else {
    response.set_content(metrics_.prometheus_text(pool_.queue_length()), "text/plain; version=0.0.4");
  }
}

void Service::refuse(const httplib::Request& request, httplib::Response& response,
                     const httplib::ContentReader* content_reader, const Answer& answer) {
  const bool body_left =
      content_reader ? !discard_body(request, *content_reader, settings_.max_body_bytes) : has_body(request);
  if (body_left) {
    send_and_close(response, answer);
  } else {
    send(response, answer);
  }
}

void Service::read_pictures(const httplib::Request& request, httplib::Response& response,
                            const httplib::ContentReader* content_reader) {
  if (!admit_request()) {
    refuse(request, response, content_reader, error_answer(503, "the service is stopping"));
    return;
  }
  struct Release {
    Service& service;
    ~Release() { service.release_request(); }
  } release{*this};

  const std::variant<reader::ReadSettings, std::string> options = parse_read_options(request.params);
  if (const auto* problem = std::get_if<std::string>(&options)) {
    refuse(request, response, content_reader, error_answer(400, *problem));
    return;
  }
  const reader::ReadSettings& read_settings = std::get<reader::ReadSettings>(options);
  // A full queue is told at once, before a large body is taken in only to be refused.
  if (pool_.queue_length() >= settings_.queue_capacity) {
    response.set_header("Retry-After", kRetryAfterSeconds);
    refuse(request, response, content_reader,
           error_answer(503, "every worker is busy and the queue is full"));
    return;
  }
  BodyOutcome body;
  if (content_reader) {
    body = receive_pictures(request, *content_reader, settings_);
  } else {
    body.pictures.push_back({});
  }
  if (body.refusal) {
    if (body.read_whole) {
      send(response, *body.refusal);
    } else {
      send_and_close(response, *body.refusal);
    }
    return;
  }
  const bool as_list = request.is_multipart_form_data();
  current_trace.pictures = body.pictures.size();
  std::optional<std::future<std::vector<reader::Record>>> reading =
      pool_.submit(std::move(body.pictures), read_settings);
  if (!reading) {
    send(response, error_answer(503, "every worker is busy and the queue is full"));
    response.set_header("Retry-After", kRetryAfterSeconds);
    return;
  }
  const std::vector<reader::Record> records = reading->get();
  const reader::RecordJsonDetail detail{read_settings.review_candidates};
  send(response,
       as_list ? record_list_answer(records, detail) : single_record_answer(records.front(), detail));
}

void Service::log_response(const httplib::Request& request, const httplib::Response& response) {
  metrics_.count_response(response.status);
  const auto took = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                                          current_trace.start);
  std::string line = "plate-serve: " + request.remote_addr + " " + reader::escaped_name(request.method) +
                     " " + reader::escaped_name(request.path) + " " + std::to_string(response.status) + " " +
                     std::to_string(response.body.empty() ? response.content_length_ : response.body.size()) +
                     " bytes";
  if (current_trace.start != std::chrono::steady_clock::time_point{})
    line +=
        ", " + std::to_string(current_trace.pictures) + " pictures, " + std::to_string(took.count()) + " us";
  current_trace = {};
  const std::lock_guard lock(log_mutex_);
  log_ << line << '\n' << std::flush;
}

}  // namespace plate::serve
