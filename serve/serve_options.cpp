#include "serve/serve_options.h"

#include <charconv>
#include <limits>

namespace plate::serve {

namespace {

std::optional<long long> parse_count(std::string_view text, long long lowest, long long highest) {
  long long value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc{} || stop != end || value < lowest || value > highest) return std::nullopt;
  return value;
}

struct NumberOption {
  std::string_view name;
  long long lowest, highest;
  void (*store)(ServeOptions&, long long);
};

constexpr long long kMaxBody = 1LL << 32;

constexpr NumberOption kNumberOptions[] = {
    {"--port", 0, 65535, [](ServeOptions& o, long long v) { o.port = static_cast<int>(v); }},
    {"--workers", 1, 256, [](ServeOptions& o, long long v) { o.service.workers = static_cast<int>(v); }},
    {"--queue", 1, 100000,
     [](ServeOptions& o, long long v) { o.service.queue_capacity = static_cast<std::size_t>(v); }},
    {"--connections", 1, 4096,
     [](ServeOptions& o, long long v) { o.service.connection_threads = static_cast<std::size_t>(v); }},
    {"--max-body-bytes", 1, kMaxBody,
     [](ServeOptions& o, long long v) { o.service.max_body_bytes = static_cast<std::size_t>(v); }},
    {"--max-pictures", 1, 10000,
     [](ServeOptions& o, long long v) { o.service.max_pictures = static_cast<std::size_t>(v); }},
    {"--read-timeout", 1, 3600,
     [](ServeOptions& o, long long v) { o.service.read_timeout = std::chrono::seconds(v); }},
};

}  // namespace

ServeCommandLine parse_serve_command_line(std::span<const std::string_view> arguments, int default_workers) {
  ServeCommandLine result;
  result.options.service.workers = default_workers;
  result.options.service.queue_capacity = static_cast<std::size_t>(default_workers) * 4;
  for (std::size_t i = 0; i < arguments.size() && result.usage_error.empty(); ++i) {
    const std::string_view argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      result.show_help = true;
      return result;
    }
    if (i + 1 == arguments.size()) {
      result.usage_error = argument.starts_with('-') ? "option '" + std::string(argument) + "' needs a value"
                                                     : "unexpected argument '" + std::string(argument) + "'";
      break;
    }
    const std::string_view value = arguments[++i];
    if (argument == "--listen") {
      result.options.address = value;
    } else if (argument == "--patterns") {
      result.options.patterns = std::filesystem::path(value);
    } else if (argument == "--token-file") {
      result.options.token_file = std::filesystem::path(value);
    } else {
      const NumberOption* option = nullptr;
      for (const NumberOption& known : kNumberOptions)
        if (known.name == argument) option = &known;
      if (option == nullptr) {
        result.usage_error = "unknown option '" + std::string(argument) + "'";
      } else if (const std::optional<long long> number =
                     parse_count(value, option->lowest, option->highest)) {
        option->store(result.options, *number);
      } else {
        result.usage_error = "option '" + std::string(argument) + "' needs a number from " +
                             std::to_string(option->lowest) + " to " + std::to_string(option->highest) +
                             ", not '" + std::string(value) + "'";
      }
    }
  }
  return result;
}

std::string serve_help_text() {
  return R"(Usage: plate-serve [options]
Reads number plates from pictures sent over HTTP: POST /v1/read (a JPEG, PNG or BMP as the body, or a
multipart/form-data upload of several), GET /healthz, GET /metrics.

  --listen ADDRESS      address to listen on (default 127.0.0.1); any address other than a
                        loopback one needs a token
  --port N              port (default 8080; 0: any free port, named on the start line)
  --token-file FILE     clients must send 'Authorization: Bearer TOKEN' with the token on the
                        file's first line (default: the PLATE_SERVE_TOKEN environment variable)
  --patterns FILE       the digit templates (default: EBMPlog00.pat in the working directory,
                        else the one beside the program)
  --workers N           readers working at once (default: the machine's cores)
  --queue N             reading requests that may wait for a worker (default: 4 per worker);
                        beyond, 503 with Retry-After
  --connections N       connections served at once (default 64)
  --max-body-bytes N    largest request body (default 33554432); beyond, 413
  --max-pictures N      most pictures in one upload (default 64); beyond, 413
  --read-timeout S      seconds a client may stay silent in the middle of a request (default 10);
                        beyond, 408
  -h, --help            this text
SIGTERM or SIGINT stops taking requests, answers those under way and ends the program.
)";
}

}  // namespace plate::serve
