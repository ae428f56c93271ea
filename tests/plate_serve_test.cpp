// plate-serve as clients meet it: the built program started on a free loopback port, every route,
// every limit, hostile and concurrent clients, and SIGTERM with requests under way.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <csignal>
#include <cstring>
#include <thread>

#include "child_process.h"
#include "encoded_pictures.h"
#include "image/bitmap_reader.h"
#include "json_record_text.h"
#include "scratch_folder.h"

namespace {

namespace fs = std::filesystem;
using plate::testing::file_text;
using plate::testing::ServeProcess;
using plate::testing::without_file;
using plate::testing::without_timings;
using namespace std::chrono_literals;

const fs::path kSamples = fs::path(PLATE_SOURCE_DIR) / "data" / "samples";
const std::string kToken = "s3cret-token";

std::unique_ptr<httplib::Client> client(const ServeProcess& server) {
  // The service ends the connection of a body it refuses, maybe while the client is still sending.
  std::signal(SIGPIPE, SIG_IGN);
  auto c = std::make_unique<httplib::Client>("127.0.0.1", server.port());
  c->set_connection_timeout(10s);
  c->set_read_timeout(60s);
  c->set_write_timeout(60s);
  return c;
}

// Sends `request` on a new connection, then waits up to 20 s for everything the service answers
// before it closes the connection.
std::string raw_exchange(int port, const std::string& request) {
  const int sock = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(std::uint16_t(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  timeval timeout{20, 0};
  setsockopt(sock, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  std::string answer;
  if (connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      send(sock, request.data(), request.size(), MSG_NOSIGNAL) == ssize_t(request.size())) {
    for (char buffer[4096]; const ssize_t n = recv(sock, buffer, sizeof buffer, 0);) {
      if (n < 0) break;
      answer.append(buffer, std::size_t(n));
    }
  }
  close(sock);
  return answer;
}

// Clients that send `requests` pictures each, all at once, and the answer to each request (none
// when it got none).
std::vector<std::optional<httplib::Response>> concurrent_reads(const ServeProcess& server, int clients,
                                                               int requests, const std::string& picture,
                                                               const std::string& path) {
  std::vector<std::optional<httplib::Response>> replies(std::size_t(clients * requests));
  std::vector<std::jthread> threads;
  for (int t = 0; t < clients; ++t)
    threads.emplace_back([&, t] {
      const auto c = client(server);
      for (int r = 0; r < requests; ++r)
        if (const httplib::Result result = c->Post(path, picture, "image/bmp"))
          replies[std::size_t(t * requests + r)] = *result;
    });
  threads.clear();
  return replies;
}

int metric(const std::string& text, const std::string& name) {
  const std::size_t at = text.find("\n" + name + " ");
  return at == std::string::npos ? 0 : std::atoi(text.c_str() + at + name.size() + 2);
}

TEST(PlateServeTest, AnswersArePlateReadJsonRecordsForBmpJpegAndPng) {
  const plate::testing::ScratchFolder folder("plate-serve-formats");
  const fs::path& dir = folder.path();
  std::vector<fs::path> files;
  for (const char* name : {"two_plates", "private_4_digits", "kei_2_digits"}) {
    const fs::path bmp = kSamples / (std::string(name) + ".bmp");
    auto frame = std::make_unique<plate::Plane>();
    ASSERT_EQ(plate::read_bitmap(bmp, *frame), plate::ReadOutcome::read);
    const plate::testing::BgrPicture pixels = plate::testing::enlarged_frame(*frame, 1);
    files.push_back(bmp);
    files.push_back(dir / (std::string(name) + ".jpg"));
    plate::testing::write_file(files.back(), plate::testing::encode_jpeg(pixels));
    files.push_back(dir / (std::string(name) + ".png"));
    plate::testing::write_file(files.back(), plate::testing::encode_png(pixels));
  }
  const std::vector<std::string> expected = plate::testing::plate_read_json(PLATE_READ_PROGRAM, files);
  ASSERT_EQ(expected.size(), files.size());

  ServeProcess server(PLATE_SERVE_PROGRAM, {});
  ASSERT_NE(server.port(), 0) << server.log();
  const auto c = client(server);
  httplib::MultipartFormDataItems upload;
  for (std::size_t i = 0; i < files.size(); ++i) {
    SCOPED_TRACE(files[i]);
    const std::string bytes = file_text(files[i]);
    // A body is read by its bytes and has no name.
    const httplib::Result raw = c->Post("/v1/read", bytes, "application/octet-stream");
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->status, 200);
    EXPECT_EQ(without_file(without_timings(raw->body)), without_file(without_timings(expected[i])) + "\n");
    EXPECT_NE(raw->body.find("\"file\":\"\""), std::string::npos);
    upload.push_back({"picture", bytes, files[i].string(), "application/octet-stream"});
  }
  // A multipart upload's records carry each part's file name, in the parts' order.
  const httplib::Result listed = c->Post("/v1/read?max_distance=1000", upload);
  ASSERT_TRUE(listed);
  EXPECT_EQ(listed->status, 200);
  std::string expected_list = "[";
  for (const std::string& line : expected) expected_list += (expected_list.size() > 1 ? "," : "") + line;
  EXPECT_EQ(without_timings(listed->body), without_timings(expected_list) + "]\n");
}

TEST(PlateServeTest, RoutesOptionsAndTheTokenEachHaveTheirAnswerAndOneLogLine) {
  ServeProcess server(PLATE_SERVE_PROGRAM, {"--workers", "1"}, {"PLATE_SERVE_TOKEN=" + kToken});
  ASSERT_NE(server.port(), 0) << server.log();
  const auto c = client(server);
  const std::string picture = file_text(kSamples / "private_4_digits.bmp");

  // Without the token (or with a wrong one) only /healthz answers: it is for probes and tells nothing.
  const httplib::Result none = c->Post("/v1/read", picture, "image/bmp");
  ASSERT_TRUE(none);
  EXPECT_EQ(none->status, 401);
  EXPECT_EQ(none->get_header_value("WWW-Authenticate"), "Bearer");
  EXPECT_EQ(c->Post("/v1/read", {{"Authorization", "Bearer " + kToken + "x"}}, picture, "image/bmp")->status,
            401);
  EXPECT_EQ(c->Get("/metrics")->status, 401);
  EXPECT_EQ(c->Get("/healthz")->body, "{\"status\":\"ok\"}\n");

  // Options are plate-read's: max_distance leaves out plates, candidates adds the review.
  c->set_bearer_token_auth(kToken);
  const std::string strict = c->Post("/v1/read?max_distance=0", picture, "image/bmp")->body;
  EXPECT_NE(strict.find("\"plates\":[]"), std::string::npos) << strict;
  const std::string reviewed = c->Post("/v1/read?candidates=1&small_plates=0", picture, "image/bmp")->body;
  EXPECT_NE(reviewed.find("\"text\":\"58-21\""), std::string::npos);
  EXPECT_NE(reviewed.find("\"candidates\":["), std::string::npos);

  struct Refused {
    const char* method;
    const char* path;
    int status;
    const char* error;
  };
  for (const Refused& r : {Refused{"GET", "/v1/read", 405, "/v1/read takes POST"},
                           Refused{"DELETE", "/metrics", 405, "/metrics takes GET"},
                           Refused{"GET", "/v2/read", 404, "no such path"},
                           Refused{"POST", "/v1/read?max_distance=-1", 400, "option 'max_distance' needs"},
                           Refused{"POST", "/v1/read?find=1", 400, "unknown option 'find'"}}) {
    SCOPED_TRACE(std::string(r.method) + " " + r.path);
    const std::string answer = raw_exchange(
        server.port(), std::string(r.method) + " " + r.path +
                           " HTTP/1.1\r\nHost: x\r\nConnection: close\r\nAuthorization: Bearer " + kToken +
                           "\r\nContent-Length: 2\r\n\r\nBM");
    EXPECT_TRUE(answer.starts_with("HTTP/1.1 " + std::to_string(r.status))) << answer;
    EXPECT_NE(answer.find("\r\n\r\n{\"error\":\"" + std::string(r.error)), std::string::npos) << answer;
    EXPECT_EQ(answer.find("Allow: ") != std::string::npos, r.status == 405) << answer;
  }

  const httplib::Result metrics = c->Get("/metrics");
  ASSERT_TRUE(metrics);
  for (const char* line :
       {"plate_serve_requests_total{status=\"200\"} 3\n", "plate_serve_requests_total{status=\"401\"} 3\n",
        "plate_serve_requests_total{status=\"405\"} 2\n", "plate_serve_requests_total{status=\"400\"} 2\n",
        "plate_serve_pictures_read_total 2\n", "plate_serve_reading_seconds_count 2\n"})
    EXPECT_NE(metrics->body.find(line), std::string::npos) << line << metrics->body;

  server.send_signal(SIGTERM);
  EXPECT_EQ(server.exit_status(20s), 0);
  // The start line, one line for each of the 12 responses and the stop line; no picture byte.
  const std::string log = server.log();
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1 + 12 + 1) << log;
  EXPECT_NE(log.find("plate-serve: 127.0.0.1 POST /v1/read 200 "), std::string::npos) << log;
  EXPECT_EQ(log.find("BM"), std::string::npos);

  // Nothing starts that would serve other machines without a token, or read no plate.
  for (const auto& [arguments, message] :
       {std::pair<std::vector<std::string>, const char*>{{"--listen", "0.0.0.0", "--port", "0"},
                                                         "needs a token"},
        {{"--patterns", "/nonexistent/x.pat"}, "without the digit templates"}}) {
    ServeProcess refused(PLATE_SERVE_PROGRAM, arguments);
    EXPECT_EQ(refused.port(), 0);
    EXPECT_EQ(refused.exit_status(20s), 2);
    EXPECT_NE(refused.log().find(message), std::string::npos) << refused.log();
  }
}

TEST(PlateServeTest, EveryLimitAndAFullQueueHaveTheirOwnStatusAndJsonBody) {
  ServeProcess server(PLATE_SERVE_PROGRAM, {"--max-body-bytes", "400000", "--max-pictures", "2",
                                            "--read-timeout", "1", "--workers", "1", "--queue", "1"});
  ASSERT_NE(server.port(), 0) << server.log();
  const auto c = client(server);
  const std::string sample = file_text(kSamples / "kei_2_digits.bmp");
  std::string huge = sample.substr(0, 54);
  for (const std::size_t at : {18, 22})
    huge[at] = 0x20, huge[at + 1] = 0x4E, huge[at + 2] = 0, huge[at + 3] = 0;

  struct Refused {
    const char* what;
    httplib::Result result;
    int status;
    const char* body;
  };
  const std::string too_long(400001, 'x');
  Refused refused[] = {
      {"a body over the limit", c->Post("/v1/read", too_long, "image/bmp"), 413,
       "the body is larger than 400000"},
      {"a chunked body over the limit",
       c->Post(
           "/v1/read",
           [&](std::size_t offset, httplib::DataSink& sink) {
             if (offset < too_long.size()) return sink.write(too_long.data(), 100000);
             sink.done();
             return true;
           },
           "image/bmp"),
       413, "the body is larger than 400000"},
      {"too many parts",
       c->Post("/v1/read",
               httplib::MultipartFormDataItems{
                   {"a", "BM", "a.bmp", ""}, {"b", "BM", "b.bmp", ""}, {"c", "BM", "c.bmp", ""}}),
       413, "an upload holds at most 2 pictures"},
      {"over 100 megapixels", c->Post("/v1/read", huge, "image/bmp"), 422, "more than 100 million pixels"},
      {"a picture cut short", c->Post("/v1/read", sample.substr(0, 5000), "image/bmp"), 422, "cut short"},
      {"an empty body", c->Post("/v1/read", "", "image/bmp"), 422, "the file is empty"},
      {"no picture", c->Post("/v1/read", "GIF89a......", "image/gif"), 415, "not a picture"},
      {"a name that says another format",
       c->Post("/v1/read", httplib::MultipartFormDataItems{{"a", sample, "photo.png", ""}}), 415,
       "extension"},
  };
  for (const Refused& r : refused) {
    SCOPED_TRACE(r.what);
    ASSERT_TRUE(r.result);
    EXPECT_EQ(r.result->status, r.status);
    EXPECT_TRUE(r.result->body.starts_with("{\"") || r.result->body.starts_with("[{\"")) << r.result->body;
    EXPECT_NE(r.result->body.find(r.body), std::string::npos) << r.result->body;
  }

  // Malformed uploads: a part that never ends, a body that is no multipart at all, a part without headers.
  for (const std::string& body :
       {"--b\r\nContent-Disposition: form-data; name=\"a\"; filename=\"a.bmp\"\r\n\r\n" +
            sample.substr(0, 100),
        std::string("no boundary anywhere\r\n"), std::string("--b\r\n\r\n")}) {
    const std::string answer =
        raw_exchange(server.port(),
                     "POST /v1/read HTTP/1.1\r\nHost: x\r\nContent-Type: multipart/form-data; boundary=b\r\n"
                     "Content-Length: " +
                         std::to_string(body.size()) + "\r\n\r\n" + body);
    EXPECT_TRUE(answer.starts_with("HTTP/1.1 400")) << answer;
    EXPECT_NE(answer.find("{\"error\":"), std::string::npos) << answer;
  }
  // A client that stops sending halfway through its body gets 408 once the read timeout passes;
  // one that stops inside its headers is let go within the same bound.
  const std::string stalled =
      raw_exchange(server.port(), "POST /v1/read HTTP/1.1\r\nHost: x\r\nContent-Length: 5000\r\n\r\n" +
                                      sample.substr(0, 100));
  EXPECT_TRUE(stalled.starts_with("HTTP/1.1 408")) << stalled;
  EXPECT_NE(stalled.find("{\"error\":\"the client sent nothing for 1 s\""), std::string::npos) << stalled;
  EXPECT_EQ(raw_exchange(server.port(), "POST /v1/read HTTP/1.1\r\nHost:").find("200"), std::string::npos);

  // With one worker and one place in the queue, slow readings (small-plate tiles) meet a full queue.
  int read = 0, busy = 0;
  for (int round = 0; round < 5 && busy == 0; ++round) {
    for (const auto& reply : concurrent_reads(server, 8, 1, sample, "/v1/read?small_plates=1")) {
      ASSERT_TRUE(reply);
      read += reply->status == 200;
      if (reply->status != 503) continue;
      ++busy;
      EXPECT_EQ(reply->get_header_value("Retry-After"), "1");
      EXPECT_NE(reply->body.find("the queue is full"), std::string::npos);
    }
  }
  EXPECT_GT(read, 0);
  EXPECT_GT(busy, 0);
  server.send_signal(SIGTERM);
  EXPECT_EQ(server.exit_status(30s), 0);  // under the sanitizers: no error, nothing leaked
}

TEST(PlateServeTest, FiftyConcurrentClientsGetTheirPlatesAndSigtermAnswersEveryRequestUnderWay) {
  ServeProcess server(PLATE_SERVE_PROGRAM, {"--workers", "1", "--queue", "50"});
  ASSERT_NE(server.port(), 0) << server.log();
  const std::string picture = file_text(kSamples / "two_plates.bmp");
  for (const auto& reply : concurrent_reads(server, 50, 4, picture, "/v1/read")) {
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, 200);
    EXPECT_NE(reply->body.find("\"text\":\"12-04\""), std::string::npos);
  }
  const auto c = client(server);
  ASSERT_EQ(metric(c->Get("/metrics")->body, "plate_serve_pictures_read_total"), 200);

  // Slow readings, signalled once (nearly) every one is in: 11 read or waiting, the last one likely
  // with the worker. Every request admitted before the signal is read; the rest are told 503.
  std::vector<std::optional<httplib::Response>> replies;
  std::jthread clients(
      [&] { replies = concurrent_reads(server, 12, 1, picture, "/v1/read?small_plates=1"); });
  for (const auto deadline = std::chrono::steady_clock::now() + 60s;
       std::chrono::steady_clock::now() < deadline; std::this_thread::sleep_for(5ms)) {
    const httplib::Result metrics = c->Get("/metrics");
    if (metrics && metric(metrics->body, "plate_serve_pictures_read_total") - 200 +
                           metric(metrics->body, "plate_serve_queue_length") >=
                       11)
      break;
  }
  server.send_signal(SIGTERM);
  clients.join();
  int read = 0;
  for (const auto& reply : replies) {
    ASSERT_TRUE(reply) << "a request got no answer\n" << server.log();
    EXPECT_TRUE(reply->status == 200 || reply->status == 503) << reply->status;
    read += reply->status == 200;
  }
  EXPECT_GE(read, 11);
  EXPECT_EQ(server.exit_status(30s), 0);
  EXPECT_NE(server.log().find("plate-serve: stopped\n"), std::string::npos);
}

}  // namespace
