// plate-serve as clients meet it: the built program started on a free loopback port, every route,
// every limit, hostile and concurrent clients, and SIGTERM with requests under way.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <thread>

#include "encoded_pictures.h"
#include "json_record_text.h"
#include "serve_process.h"

namespace {

namespace fs = std::filesystem;
using plate::testing::ServeProcess;
using plate::testing::without_file;
using plate::testing::without_timings;
using namespace std::chrono_literals;

const fs::path kSamples = fs::path(PLATE_SOURCE_DIR) / "data" / "samples";

// A bottom-up 24-bit sample bitmap's pixels, top row first.
plate::testing::BgrPicture sample_pixels(const fs::path& bmp) {
  const std::string data = plate::testing::file_text(bmp);
  const auto field = [&](std::size_t at) {
    std::int32_t v = 0;
    std::memcpy(&v, data.data() + at, 4);
    return v;
  };
  const int width = field(18), height = field(22), offset = field(10), stride = (3 * width + 3) / 4 * 4;
  plate::testing::BgrPicture picture(width, height);
  for (int y = 0; y < height; ++y)
    std::memcpy(picture.bgr.data() + std::size_t(y) * width * 3,
                data.data() + offset + std::size_t(height - 1 - y) * stride, std::size_t(width) * 3);
  return picture;
}

plate::testing::Bytes encode_png(const plate::testing::BgrPicture& picture) {
  plate::testing::PngImage image;
  image.header.width = std::uint32_t(picture.width);
  image.header.height = std::uint32_t(picture.height);
  image.header.bit_depth = 8;
  image.header.color_type = SPNG_COLOR_TYPE_TRUECOLOR;
  for (std::size_t i = 0; i < picture.bgr.size(); i += 3)
    image.data.insert(image.data.end(), {picture.bgr[i + 2], picture.bgr[i + 1], picture.bgr[i]});
  return plate::testing::encode_png(image);
}

std::unique_ptr<httplib::Client> client(const ServeProcess& server) {
  // The service ends the connection of a body it refuses, maybe while the client is still sending.
  std::signal(SIGPIPE, SIG_IGN);
  auto c = std::make_unique<httplib::Client>("127.0.0.1", server.port());
  c->set_connection_timeout(10s);
  c->set_read_timeout(60s);
  c->set_write_timeout(60s);
  return c;
}

// Sends `request` on a new connection, then waits up to `bound` for everything the service
// answers before it closes the connection.
std::string raw_exchange(int port, const std::string& request, std::chrono::seconds bound = 20s) {
  const int sock = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(std::uint16_t(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  timeval timeout{bound.count(), 0};
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

std::string multipart_request(const std::string& boundary, const std::string& body) {
  return "POST /v1/read HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: multipart/form-data; boundary=" +
         boundary + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

TEST(PlateServeTest, AnswersArePlateReadJsonRecordsForBmpJpegAndPng) {
  const fs::path dir = fs::temp_directory_path() / ("plate-serve-formats-" + std::to_string(getpid()));
  fs::create_directories(dir);
  std::vector<fs::path> files;
  for (const char* name : {"two_plates", "private_4_digits", "kei_2_digits"}) {
    const fs::path bmp = kSamples / (std::string(name) + ".bmp");
    const plate::testing::BgrPicture pixels = sample_pixels(bmp);
    files.push_back(bmp);
    files.push_back(dir / (std::string(name) + ".jpg"));
    plate::testing::write_file(files.back(), plate::testing::encode_jpeg(pixels));
    files.push_back(dir / (std::string(name) + ".png"));
    plate::testing::write_file(files.back(), encode_png(pixels));
  }
  const std::vector<std::string> expected = plate::testing::plate_read_json(PLATE_READ_PROGRAM, files);
  ASSERT_EQ(expected.size(), files.size());

  ServeProcess server(PLATE_SERVE_PROGRAM, {});
  ASSERT_NE(server.port(), 0) << server.log();
  const auto c = client(server);
  httplib::MultipartFormDataItems upload;
  for (std::size_t i = 0; i < files.size(); ++i) {
    SCOPED_TRACE(files[i]);
    const std::string bytes = plate::testing::file_text(files[i]);
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
  EXPECT_EQ(listed->get_header_value("Content-Type"), "application/json");
  fs::remove_all(dir);
}

TEST(PlateServeTest, RoutesAnswerAndWrongMethodsOrPathsAreRefusedOneLogLineEach) {
  ServeProcess server(PLATE_SERVE_PROGRAM, {"--workers", "1"});
  ASSERT_NE(server.port(), 0) << server.log();
  const auto c = client(server);
  const std::string picture = plate::testing::file_text(kSamples / "private_4_digits.bmp");

  const httplib::Result health = c->Get("/healthz");
  ASSERT_TRUE(health);
  EXPECT_EQ(health->status, 200);
  EXPECT_EQ(health->body, "{\"status\":\"ok\"}\n");

  // Options are plate-read's: max_distance leaves out plates, candidates adds the review.
  const httplib::Result strict = c->Post("/v1/read?max_distance=0", picture, "image/bmp");
  ASSERT_TRUE(strict);
  EXPECT_EQ(strict->status, 200);
  EXPECT_NE(strict->body.find("\"plates\":[]"), std::string::npos) << strict->body;
  const httplib::Result reviewed = c->Post("/v1/read?candidates=1&small_plates=0", picture, "image/bmp");
  ASSERT_TRUE(reviewed);
  EXPECT_NE(reviewed->body.find("\"text\":\"58-21\""), std::string::npos);
  EXPECT_NE(reviewed->body.find("\"candidates\":["), std::string::npos);

  struct Refused {
    const char* method;
    const char* path;
    int status;
    const char* error;
  };
  for (const Refused& r : {Refused{"GET", "/v1/read", 405, "/v1/read takes POST"},
                           Refused{"POST", "/healthz", 405, "/healthz takes GET"},
                           Refused{"DELETE", "/metrics", 405, "/metrics takes GET"},
                           Refused{"GET", "/v2/read", 404, "no such path"},
                           Refused{"POST", "/v1/read?max_distance=-1", 400, "option 'max_distance' needs"},
                           Refused{"POST", "/v1/read?small_plates=maybe", 400, "option 'small_plates' needs"},
                           Refused{"POST", "/v1/read?find=1", 400, "unknown option 'find'"}}) {
    SCOPED_TRACE(std::string(r.method) + " " + r.path);
    const std::string answer = raw_exchange(
        server.port(), std::string(r.method) + " " + r.path +
                           " HTTP/1.1\r\nHost: x\r\nConnection: close\r\nContent-Length: 2\r\n\r\nBM");
    EXPECT_TRUE(answer.starts_with("HTTP/1.1 " + std::to_string(r.status))) << answer;
    EXPECT_NE(answer.find("\r\n\r\n{\"error\":\"" + std::string(r.error)), std::string::npos) << answer;
    EXPECT_NE(answer.find("\"status\":" + std::to_string(r.status) + "}"), std::string::npos);
    if (r.status == 405) {
      EXPECT_NE(answer.find("Allow: "), std::string::npos);
    }
  }

  const httplib::Result metrics = c->Get("/metrics");
  ASSERT_TRUE(metrics);
  for (const char* line :
       {"plate_serve_requests_total{status=\"200\"} 3\n", "plate_serve_requests_total{status=\"405\"} 3\n",
        "plate_serve_requests_total{status=\"404\"} 1\n", "plate_serve_requests_total{status=\"400\"} 3\n",
        "plate_serve_pictures_read_total 2\n", "plate_serve_reading_seconds_bucket{le=\"+Inf\"} 2\n",
        "plate_serve_reading_seconds_count 2\n", "plate_serve_queue_length 0\n"})
    EXPECT_NE(metrics->body.find(line), std::string::npos) << line << metrics->body;

  server.send_signal(SIGTERM);
  EXPECT_EQ(server.exit_status(20s), 0);
  // The start line, one line for each of the 10 responses before /metrics and one for it, the stop line;
  // no picture byte.
  const std::string log = server.log();
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1 + 11 + 1) << log;
  EXPECT_NE(log.find("plate-serve: 127.0.0.1 POST /v1/read 200 "), std::string::npos) << log;
  EXPECT_EQ(log.find("BM"), std::string::npos);
}

TEST(PlateServeTest, EveryLimitHasItsOwnStatusAndJsonBody) {
  ServeProcess server(PLATE_SERVE_PROGRAM,
                      {"--max-body-bytes", "400000", "--max-pictures", "2", "--read-timeout", "1"});
  ASSERT_NE(server.port(), 0) << server.log();
  const auto c = client(server);
  const std::string sample = plate::testing::file_text(kSamples / "kei_2_digits.bmp");
  std::string huge = plate::testing::file_text(kSamples / "kei_2_digits.bmp").substr(0, 54);
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

  // Malformed uploads: a part that never ends, a body that is no multipart at all.
  const std::string unfinished =
      "--b\r\nContent-Disposition: form-data; name=\"a\"; filename=\"a.bmp\"\r\n\r\n" + sample.substr(0, 100);
  for (const std::string& body :
       {unfinished, std::string("no boundary anywhere\r\n"), std::string("--b\r\n\r\n")}) {
    const std::string answer = raw_exchange(server.port(), multipart_request("b", body));
    EXPECT_TRUE(answer.starts_with("HTTP/1.1 400")) << answer;
    EXPECT_NE(answer.find("{\"error\":"), std::string::npos) << answer;
  }
  // A client that stops sending halfway through its body gets 408 once the read timeout passes.
  const auto start = std::chrono::steady_clock::now();
  const std::string stalled =
      raw_exchange(server.port(), "POST /v1/read HTTP/1.1\r\nHost: x\r\nContent-Length: 5000\r\n\r\n" +
                                      sample.substr(0, 100));
  EXPECT_TRUE(stalled.starts_with("HTTP/1.1 408")) << stalled;
  EXPECT_NE(stalled.find("{\"error\":\"the client sent nothing for 1 s\""), std::string::npos) << stalled;
  EXPECT_LT(std::chrono::steady_clock::now() - start, 15s);
  // One that stops inside its headers is let go within the same bound.
  EXPECT_EQ(raw_exchange(server.port(), "POST /v1/read HTTP/1.1\r\nHost:").find("200"), std::string::npos);

  // The service is still well after all of it.
  const httplib::Result after = c->Post("/v1/read", sample, "image/bmp");
  ASSERT_TRUE(after);
  EXPECT_EQ(after->status, 200);
  server.send_signal(SIGTERM);
  EXPECT_EQ(server.exit_status(30s), 0);  // under the sanitizers: no error, nothing leaked
}

struct Reply {
  bool answered = false;
  int status = 0;
  std::string body, retry_after;
};

// Clients that send `requests` pictures each, all at once, and what each request was answered.
std::vector<Reply> concurrent_reads(const ServeProcess& server, int clients, int requests,
                                    const std::string& picture, const std::string& path) {
  std::vector<Reply> replies(std::size_t(clients * requests));
  std::vector<std::jthread> threads;
  for (int t = 0; t < clients; ++t)
    threads.emplace_back([&, t] {
      const auto c = client(server);
      for (int r = 0; r < requests; ++r) {
        if (const httplib::Result result = c->Post(path, picture, "image/bmp"))
          replies[std::size_t(t * requests + r)] = {true, result->status, result->body,
                                                    result->get_header_value("Retry-After")};
      }
    });
  threads.clear();
  return replies;
}

TEST(PlateServeTest, FiftyConcurrentClientsAreEachAnsweredWithTheirPlates) {
  ServeProcess server(PLATE_SERVE_PROGRAM, {"--workers", "2", "--queue", "50"});
  ASSERT_NE(server.port(), 0) << server.log();
  const std::string picture = plate::testing::file_text(kSamples / "two_plates.bmp");
  for (const Reply& reply : concurrent_reads(server, 50, 4, picture, "/v1/read")) {
    ASSERT_TRUE(reply.answered);
    EXPECT_EQ(reply.status, 200);
    EXPECT_NE(reply.body.find("\"text\":\"12-04\""), std::string::npos);
  }
  const httplib::Result metrics = client(server)->Get("/metrics");
  ASSERT_TRUE(metrics);
  EXPECT_NE(metrics->body.find("plate_serve_pictures_read_total 200\n"), std::string::npos) << metrics->body;
  server.send_signal(SIGTERM);
  EXPECT_EQ(server.exit_status(30s), 0);
}

TEST(PlateServeTest, AFullQueueIsRefusedAtOnceWithRetryAfter) {
  ServeProcess server(PLATE_SERVE_PROGRAM, {"--workers", "1", "--queue", "1"});
  ASSERT_NE(server.port(), 0) << server.log();
  // Small-plate tiles make each reading slow enough for the clients to meet a busy worker.
  const std::string picture = plate::testing::file_text(kSamples / "two_plates.bmp");
  int read = 0, refused = 0;
  for (int round = 0; round < 5 && refused == 0; ++round) {
    for (const Reply& reply : concurrent_reads(server, 8, 1, picture, "/v1/read?small_plates=1")) {
      ASSERT_TRUE(reply.answered);
      if (reply.status == 200) ++read;
      if (reply.status != 503) continue;
      ++refused;
      EXPECT_EQ(reply.retry_after, "1");
      EXPECT_NE(reply.body.find("the queue is full"), std::string::npos);
    }
  }
  EXPECT_GT(read, 0);
  EXPECT_GT(refused, 0);
}

TEST(PlateServeTest, SigtermAnswersEveryRequestUnderWayThenStops) {
  ServeProcess server(PLATE_SERVE_PROGRAM, {"--workers", "1", "--queue", "32"});
  ASSERT_NE(server.port(), 0) << server.log();
  const std::string picture = plate::testing::file_text(kSamples / "two_plates.bmp");
  std::vector<Reply> replies;
  std::jthread clients(
      [&] { replies = concurrent_reads(server, 12, 1, picture, "/v1/read?small_plates=1"); });
  // Signalled once (nearly) every request is in: 11 read or waiting, the last one likely with the worker.
  const auto c = client(server);
  const auto metric = [](const std::string& text, const std::string& name) {
    const std::size_t at = text.find("\n" + name + " ");
    return at == std::string::npos ? 0 : std::atoi(text.c_str() + at + name.size() + 2);
  };
  for (int i = 0; i < 1000; ++i) {
    const httplib::Result metrics = c->Get("/metrics");
    if (metrics && metric(metrics->body, "plate_serve_pictures_read_total") +
                           metric(metrics->body, "plate_serve_queue_length") >=
                       11)
      break;
    std::this_thread::sleep_for(5ms);
  }
  server.send_signal(SIGTERM);
  clients.join();
  int read = 0;
  for (const Reply& reply : replies) {
    ASSERT_TRUE(reply.answered) << "a request got no answer\n" << server.log();
    EXPECT_TRUE(reply.status == 200 || reply.status == 503) << reply.status;
    read += reply.status == 200;
  }
  EXPECT_GE(read, 11);  // every request admitted before the signal is read
  EXPECT_EQ(server.exit_status(30s), 0);
  EXPECT_NE(server.log().find("plate-serve: stopped\n"), std::string::npos);
}

TEST(PlateServeTest, TheTokenIsRequiredWhereGivenAndOffLoopback) {
  ServeProcess server(PLATE_SERVE_PROGRAM, {}, {"PLATE_SERVE_TOKEN=s3cret-token"});
  ASSERT_NE(server.port(), 0) << server.log();
  const auto c = client(server);
  const std::string picture = plate::testing::file_text(kSamples / "kei_2_digits.bmp");
  const httplib::Result none = c->Post("/v1/read", picture, "image/bmp");
  ASSERT_TRUE(none);
  EXPECT_EQ(none->status, 401);
  EXPECT_EQ(none->get_header_value("WWW-Authenticate"), "Bearer");
  for (const char* wrong : {"s3cret-toke", "s3cret-tokeN", "s3cret-token2", ""}) {
    const httplib::Result result =
        c->Post("/v1/read", {{"Authorization", std::string("Bearer ") + wrong}}, picture, "image/bmp");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 401) << wrong;
  }
  EXPECT_EQ(c->Get("/metrics")->status, 401);
  EXPECT_EQ(c->Get("/healthz")->status, 200);  // for probes, and it tells nothing
  c->set_bearer_token_auth("s3cret-token");
  EXPECT_EQ(c->Post("/v1/read", picture, "image/bmp")->status, 200);
  EXPECT_EQ(c->Get("/metrics")->status, 200);

  // Nothing starts that would serve other machines without a token, or read no plate.
  struct Refusal {
    std::vector<std::string> arguments;
    const char* message;
  };
  const fs::path empty_token =
      fs::temp_directory_path() / ("plate-serve-empty-token-" + std::to_string(getpid()));
  plate::testing::write_file(empty_token, {});
  for (const Refusal& r : {Refusal{{"--listen", "0.0.0.0", "--port", "0"}, "needs a token"},
                           Refusal{{"--patterns", "/nonexistent/x.pat"}, "without the digit templates"},
                           Refusal{{"--token-file", "/nonexistent/token"}, "cannot read the token file"},
                           Refusal{{"--token-file", empty_token.string()}, "holds no token"},
                           Refusal{{"--workers", "0"}, "needs a number from 1"}}) {
    ServeProcess refused(PLATE_SERVE_PROGRAM, r.arguments);
    EXPECT_EQ(refused.port(), 0);
    EXPECT_EQ(refused.exit_status(20s), 2);
    EXPECT_NE(refused.log().find(r.message), std::string::npos) << refused.log();
  }
  fs::remove(empty_token);
}

}  // namespace
