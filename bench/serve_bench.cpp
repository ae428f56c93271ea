// Pictures a second and latency of plate-serve on loopback, for 1, 4 and 16 clients at once,
// beside plate-read -j 2 reading the same pictures from files. Each client keeps its connection
// and sends the next picture as soon as the last one is answered; every level sends a fixed
// number of requests and stops at a time bound. The best of the rounds counts for each line.
//
//   build/release/bench/serve_bench [PICTURES [ROUNDS]]

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "serve_process.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kLevelBound = 60s;  // no level runs longer, whatever the count

struct Level {
  double pictures_per_second = 0;
  double p50_ms = 0, p99_ms = 0;
  int failed = 0;
};

std::vector<fs::path> sample_files() {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(fs::path(PLATE_SOURCE_DIR) / "data" / "samples"))
    if (entry.path().extension() == ".bmp") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

double plate_read_pictures_per_second(const std::vector<fs::path>& files, int pictures) {
  const fs::path list = fs::temp_directory_path() / ("serve-bench-list-" + std::to_string(getpid()));
  {
    std::FILE* out = std::fopen(list.c_str(), "w");
    for (int i = 0; i < pictures; ++i)
      std::fprintf(out, "%s\n", files[std::size_t(i) % files.size()].c_str());
    std::fclose(out);
  }
  const std::string command = "'" PLATE_READ_PROGRAM "' --json -j 2 - < '" + list.string() + "' > /dev/null";
  const auto start = Clock::now();
  const int status = std::system(command.c_str());
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  fs::remove(list);
  return status == 0 ? pictures / seconds : 0;
}

Level serve_level(int port, const std::vector<std::string>& pictures, int clients, int requests) {
  std::atomic<int> next{0}, failed{0};
  std::vector<std::vector<double>> latencies(static_cast<std::size_t>(clients));
  const auto start = Clock::now();
  {
    std::vector<std::jthread> threads;
    for (int c = 0; c < clients; ++c)
      threads.emplace_back([&, c] {
        httplib::Client client("127.0.0.1", port);
        client.set_read_timeout(30s);
        for (int i; (i = next++) < requests && Clock::now() - start < kLevelBound;) {
          const auto sent = Clock::now();
          const httplib::Result result =
              client.Post("/v1/read", pictures[std::size_t(i) % pictures.size()], "image/bmp");
          if (!result || result->status != 200) ++failed;
          latencies[std::size_t(c)].push_back(
              std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
        }
      });
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::vector<double> all;
  for (const auto& l : latencies) all.insert(all.end(), l.begin(), l.end());
  std::sort(all.begin(), all.end());
  if (all.empty()) return {};
  const auto at = [&](double q) {
    return all[std::min(all.size() - 1, std::size_t(q * double(all.size())))];
  };
  return {double(all.size()) / seconds, at(0.50), at(0.99), failed};
}

}  // namespace

int main(int argc, char** argv) {
  const int pictures = argc > 1 ? std::atoi(argv[1]) : 1000;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  const std::vector<fs::path> files = sample_files();
  std::vector<std::string> bodies;
  for (const fs::path& file : files) bodies.push_back(plate::testing::file_text(file));

  plate::testing::ServeProcess server(PLATE_SERVE_PROGRAM, {"--workers", "2", "--queue", "64"});
  if (server.port() == 0) {
    std::cerr << "serve_bench: plate-serve did not start\n" << server.log();
    return 1;
  }
  serve_level(server.port(), bodies, 2, 100);  // warm-up: page faults of the workers' first reads

  double plate_read_best = 0;
  const int levels[] = {1, 4, 16};
  Level best[3];
  for (int round = 0; round < rounds; ++round) {
    plate_read_best = std::max(plate_read_best, plate_read_pictures_per_second(files, pictures));
    for (int l = 0; l < 3; ++l) {
      const Level level = serve_level(server.port(), bodies, levels[l], pictures);
      if (level.pictures_per_second > best[l].pictures_per_second) best[l] = level;
    }
  }
  std::printf("%d sample pictures a line, best of %d rounds\n", pictures, rounds);
  std::printf("plate-read -j 2          %7.0f pictures/s\n", plate_read_best);
  for (int l = 0; l < 3; ++l)
    std::printf(
        "plate-serve, %2d clients  %7.0f pictures/s (%3.0f %%)  p50 %5.2f ms  p99 %5.2f ms  failed %d\n",
        levels[l], best[l].pictures_per_second, 100 * best[l].pictures_per_second / plate_read_best,
        best[l].p50_ms, best[l].p99_ms, best[l].failed);
  server.send_signal(SIGTERM);
  server.exit_status(30s);
  return 0;
}
