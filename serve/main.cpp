// plate-serve: reads number plates from pictures sent over HTTP, for cameras, parking systems and
// other programs, with the same reader as plate-read.

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "reader/names.h"
#include "reader/pattern_source.h"
#include "reader/reader.h"
#include "serve/access_token.h"
#include "serve/serve_options.h"
#include "serve/service.h"

namespace {

using namespace plate;
using namespace plate::serve;

constexpr int kStopped = 0;
constexpr int kFailed = 1;
constexpr int kUsageError = 2;
// How long SIGTERM waits for the requests under way; a reading takes milliseconds, a slow
// client's upload at most the read timeout.
constexpr std::chrono::seconds kDrainGrace{30};

int refuse_to_start(const std::string& message) {
  std::cerr << "plate-serve: " << message << '\n';
  return kUsageError;
}

std::string url_host(const std::string& address) {
  return address.find(':') != std::string::npos ? "[" + address + "]" : address;
}

int run(int argc, char** argv) {
  const std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  const int cores = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
  ServeCommandLine command_line = parse_serve_command_line(arguments, cores);
  if (command_line.show_help) {
    std::cout << serve_help_text();
    return kStopped;
  }
  if (!command_line.usage_error.empty())
    return refuse_to_start(command_line.usage_error + "\nTry 'plate-serve --help' for more information.");
  ServeOptions& options = command_line.options;

  LoadedToken token = load_token(options.token_file, std::getenv("PLATE_SERVE_TOKEN"));
  if (!token.problem.empty()) return refuse_to_start(token.problem);
  options.service.token = std::move(token.token);
  if (!options.service.token && !is_loopback_address(options.address))
    return refuse_to_start("listening on " + options.address +
                           " lets other machines in, so it needs a token (--token-file FILE or "
                           "PLATE_SERVE_TOKEN); not started");

  // A service without its templates would answer every picture with no plate.
  reader::Reader patterns;
  const std::filesystem::path pattern_file = reader::choose_pattern_file(
      options.patterns, reader::find_program_directory(argc > 0 ? argv[0] : nullptr));
  if (const std::optional<reader::Failure> failure = patterns.load_patterns(pattern_file)) {
    std::cerr << reader::message_line(reader::display_name(pattern_file), failure->line());
    return refuse_to_start("cannot read plates without the digit templates; not started");
  }

  // Every thread made from here on leaves SIGTERM and SIGINT to the one that waits for them.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGTERM);
  sigaddset(&stop_signals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);

  Service service(options.service, patterns.templates(), std::cerr);
  const std::optional<int> port = service.bind(options.address, options.port);
  if (!port) {
    std::cerr << "plate-serve: cannot listen on " << url_host(options.address) << ':' << options.port << '\n';
    return kFailed;
  }
  std::cerr << "plate-serve: listening on http://" << url_host(options.address) << ':' << *port << "/ with "
            << options.service.workers << " workers" << std::endl;

  std::atomic<bool> signalled{false};
  std::thread stopper([&] {
    int signal_number = 0;
    sigwait(&stop_signals, &signal_number);
    signalled = true;
    service.drain_and_stop(kDrainGrace);
  });
  const bool served = service.serve();
  if (!signalled) pthread_kill(stopper.native_handle(), SIGTERM);
  stopper.join();
  std::cerr << "plate-serve: stopped" << std::endl;
  return served || signalled ? kStopped : kFailed;
}

}  // namespace

int main(int argc, char** argv) {
  signal(SIGPIPE, SIG_IGN);  // a client that hangs up is its connection's failure, not the service's
  try {
    return run(argc, argv);
  } catch (const std::exception& e) {
    std::cerr << "plate-serve: " << e.what() << '\n';
  }
  return kFailed;
}
