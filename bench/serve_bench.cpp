// Pictures a second and latency of plate-serve on loopback, for 1, 4 and 16 clients at once,
// beside plate-read -j 2 reading the same pictures from files. Each client keeps its connection
// and sends the next picture as soon as the last one is answered; every level sends a fixed
// number of requests and stops at a time bound. The best of the rounds counts for each line.
//
// The clients run on the same cores as the service, so they are made as cheap as a real client
// can be: each request's bytes are made once, the answer is read into a buffer kept from one
// request to the next, and nothing is parsed beyond the status, the length and the record, which
// is compared with plate-read's record of the same picture (timings and name aside).
//
// Wall-clock figures depend on what else the machine runs; the CPU time a picture costs (user +
// system, of plate-read, and of the service and its clients) does much less, so it is printed too,
// the least of the rounds (other programs only ever add to it, through caches and switches).
//
//   build/release/bench/serve_bench [PICTURES [ROUNDS]]

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "child_process.h"
#include "json_record_text.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kLevelBound = 60s;  // no level runs longer, whatever the count

struct Level {
  double pictures_per_second = 0;
  double p50_ms = 0, p99_ms = 0;
  double cpu_ms_per_picture = 0;  // the service's and its clients'
  int failed = 0;
};

double cpu_seconds(const rusage& usage) {
  const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double cpu_seconds(int who) {
  rusage usage{};
  getrusage(who, &usage);
  return cpu_seconds(usage);
}

// User + system time of every thread of process `pid` so far.
double process_cpu_seconds(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  std::size_t at = text.rfind(')');  // the program's name may hold spaces
  for (int field = 2; field < 14 && at != std::string::npos; ++field) at = text.find(' ', at + 1);
  if (at == std::string::npos) return 0;
  char* end = nullptr;
  const double user = std::strtod(text.c_str() + at + 1, &end);
  const double system = std::strtod(end, nullptr);
  return (user + system) / double(sysconf(_SC_CLK_TCK));
}

std::vector<fs::path> sample_files() {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(fs::path(PLATE_SOURCE_DIR) / "data" / "samples"))
    if (entry.path().extension() == ".bmp") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

// plate-read's records of `files`, without their names and timings, each a line: what the service
// must answer.
std::vector<std::string> expected_records(const std::vector<fs::path>& files) {
  std::vector<std::string> records;
  for (const std::string& line : plate::testing::plate_read_json(PLATE_READ_PROGRAM, files))
    records.push_back(plate::testing::without_file(plate::testing::without_timings(line)) + '\n');
  return records;
}

struct PlateReadRun {
  double pictures_per_second = 0;
  double cpu_ms_per_picture = 0;
};

PlateReadRun plate_read_run(const std::vector<fs::path>& files, int pictures) {
  const fs::path list = fs::temp_directory_path() / ("serve-bench-list-" + std::to_string(getpid()));
  {
    std::FILE* out = std::fopen(list.c_str(), "w");
    for (int i = 0; i < pictures; ++i)
      std::fprintf(out, "%s\n", files[std::size_t(i) % files.size()].c_str());
    std::fclose(out);
  }
  const std::string command = "'" PLATE_READ_PROGRAM "' --json -j 2 - < '" + list.string() + "' > /dev/null";
  const double cpu_before = cpu_seconds(RUSAGE_CHILDREN);
  const auto start = Clock::now();
  const int status = std::system(command.c_str());
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  const double cpu = cpu_seconds(RUSAGE_CHILDREN) - cpu_before;
  fs::remove(list);
  if (status != 0) return {};
  return {pictures / seconds, 1000 * cpu / pictures};
}

// One connection kept for every request (opened again when the service ends it).
class LoopbackClient {
 public:
  explicit LoopbackClient(int port) : port_(port) { answer_.reserve(1 << 16); }
  ~LoopbackClient() { disconnect(); }
  LoopbackClient(const LoopbackClient&) = delete;
  LoopbackClient& operator=(const LoopbackClient&) = delete;

  // Sends `request` whole and reads its answer; the answer's body when its status is 200.
  std::optional<std::string_view> exchange(std::string_view request) {
    if (socket_ < 0 && !connect_to_service()) return std::nullopt;
    for (std::size_t sent = 0; sent < request.size();) {
      const ssize_t n = ::send(socket_, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) return fail();
      sent += std::size_t(n);
    }
    answer_.clear();
    std::size_t header_end = std::string::npos;
    while ((header_end = answer_.find("\r\n\r\n")) == std::string::npos)
      if (!receive_more()) return fail();
    const std::string_view header(answer_.data(), header_end);
    const std::size_t length_at = header.find("\r\nContent-Length: ");
    if (!header.starts_with("HTTP/1.1 200 ") || length_at == std::string::npos) return fail();
    const std::size_t body_size = std::strtoul(header.data() + length_at + 18, nullptr, 10);
    while (answer_.size() < header_end + 4 + body_size)
      if (!receive_more()) return fail();
    if (header.find("\r\nConnection: close") != std::string::npos) disconnect();
    return std::string_view(answer_).substr(header_end + 4, body_size);
  }

 private:
  bool connect_to_service() {
    socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(std::uint16_t(port_));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const int on = 1;
    setsockopt(socket_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    if (::connect(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return true;
    disconnect();
    return false;
  }
  bool receive_more() {
    char buffer[1 << 14];
    const ssize_t n = ::recv(socket_, buffer, sizeof buffer, 0);
    if (n <= 0) return false;
    answer_.append(buffer, std::size_t(n));
    return true;
  }
  std::nullopt_t fail() {
    disconnect();
    return std::nullopt;
  }
  void disconnect() {
    if (socket_ >= 0) ::close(socket_);
    socket_ = -1;
  }

  const int port_;
  int socket_ = -1;
  std::string answer_;
};

Level serve_level(const plate::testing::ServeProcess& server, const std::vector<std::string>& requests,
                  const std::vector<std::string>& expected, int clients, int count) {
  std::atomic<int> next{0}, failed{0};
  std::vector<std::vector<double>> latencies(static_cast<std::size_t>(clients));
  const double client_cpu_before = cpu_seconds(RUSAGE_SELF);
  const double server_cpu_before = process_cpu_seconds(server.pid());
  const auto start = Clock::now();
  {
    std::vector<std::jthread> threads;
    for (int c = 0; c < clients; ++c)
      threads.emplace_back([&, c] {
        LoopbackClient client(server.port());
        latencies[std::size_t(c)].reserve(std::size_t(count));
        for (int i; (i = next++) < count && Clock::now() - start < kLevelBound;) {
          const std::size_t picture = std::size_t(i) % requests.size();
          const auto sent = Clock::now();
          const std::optional<std::string_view> record = client.exchange(requests[picture]);
          latencies[std::size_t(c)].push_back(
              std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
          if (!record || plate::testing::without_file(
                             plate::testing::without_timings(std::string(*record))) != expected[picture])
            ++failed;
        }
      });
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  const double cpu =
      process_cpu_seconds(server.pid()) - server_cpu_before + cpu_seconds(RUSAGE_SELF) - client_cpu_before;
  std::vector<double> all;
  for (const auto& l : latencies) all.insert(all.end(), l.begin(), l.end());
  std::sort(all.begin(), all.end());
  if (all.empty()) return {};
  const auto at = [&](double q) {
    return all[std::min(all.size() - 1, std::size_t(q * double(all.size())))];
  };
  return {double(all.size()) / seconds, at(0.50), at(0.99), 1000 * cpu / double(all.size()), failed};
}

double least_cpu(double so_far, double round) {
  return so_far == 0 ? round : std::min(so_far, round);
}

}  // namespace

int main(int argc, char** argv) {
  const int pictures = argc > 1 ? std::atoi(argv[1]) : 1000;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  const std::vector<fs::path> files = sample_files();
  const std::vector<std::string> expected = expected_records(files);
  std::vector<std::string> requests;
  for (const fs::path& file : files) {
    const std::string body = plate::testing::file_text(file);
    requests.push_back(
        "POST /v1/read HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: image/bmp\r\nContent-Length: " +
        std::to_string(body.size()) + "\r\n\r\n" + body);
  }

  plate::testing::ServeProcess server(PLATE_SERVE_PROGRAM, {"--workers", "2", "--queue", "64"});
  if (server.port() == 0 || expected.size() != files.size()) {
    std::cerr << "serve_bench: plate-serve or plate-read did not start\n" << server.log();
    return 1;
  }
  serve_level(server, requests, expected, 2, 100);  // warm-up: page faults of the workers' first reads

  PlateReadRun plate_read;
  const int levels[] = {1, 4, 16};
  Level best[3];
  for (int round = 0; round < rounds; ++round) {
    const PlateReadRun run = plate_read_run(files, pictures);
    plate_read.pictures_per_second = std::max(plate_read.pictures_per_second, run.pictures_per_second);
    plate_read.cpu_ms_per_picture = least_cpu(plate_read.cpu_ms_per_picture, run.cpu_ms_per_picture);
    for (int l = 0; l < 3; ++l) {
      const Level level = serve_level(server, requests, expected, levels[l], pictures);
      const double cpu = least_cpu(best[l].cpu_ms_per_picture, level.cpu_ms_per_picture);
      if (level.pictures_per_second > best[l].pictures_per_second) best[l] = level;
      best[l].cpu_ms_per_picture = cpu;
    }
  }
  std::printf(
      "%d sample pictures a line, best of %d rounds; CPU: user + system per picture, least of the rounds\n",
      pictures, rounds);
  std::printf("plate-read -j 2          %7.0f pictures/s                                 CPU %.2f ms\n",
              plate_read.pictures_per_second, plate_read.cpu_ms_per_picture);
  for (int l = 0; l < 3; ++l)
    std::printf(
        "plate-serve, %2d clients  %7.0f pictures/s (%3.0f %%)  p50 %5.2f ms  p99 %5.2f ms  CPU %.2f ms "
        "(%3.0f "
        "%%)  failed %d\n",
        levels[l], best[l].pictures_per_second,
        100 * best[l].pictures_per_second / plate_read.pictures_per_second, best[l].p50_ms, best[l].p99_ms,
        best[l].cpu_ms_per_picture, 100 * plate_read.cpu_ms_per_picture / best[l].cpu_ms_per_picture,
        best[l].failed);
  server.send_signal(SIGTERM);
  server.exit_status(30s);
  return 0;
}
