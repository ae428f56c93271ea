// The service's parts that need no connection: request options, the token, statuses, the metrics
// text and the reading pool's bound.

#include <gtest/gtest.h>

#include <fstream>
#include <latch>

#include "scratch_folder.h"
#include "serve/access_token.h"
#include "serve/read_answer.h"
#include "serve/read_options.h"
#include "serve/reading_pool.h"
#include "serve/service_metrics.h"

namespace {

using namespace plate::serve;
using plate::reader::FailureKind;

TEST(PlateServeUnitsTest, ReadOptionsTakePlateReadsNamesAndRefuseAnythingElse) {
  const auto settings = [](QueryParameters parameters) {
    return std::get<plate::reader::ReadSettings>(parse_read_options(parameters));
  };
  EXPECT_EQ(settings({{"max_distance", "12"}}).max_distance, 12);
  const plate::reader::ReadSettings flags = settings({{"small_plates", ""}, {"candidates", "true"}});
  EXPECT_TRUE(flags.small_plates && flags.review_candidates);
  EXPECT_FALSE(settings({{"small_plates", "1"}, {"small_plates", "0"}}).small_plates);  // the last one counts
  for (const QueryParameters& bad :
       {QueryParameters{{"max_distance", "1x"}}, QueryParameters{{"max_distance", ""}},
        QueryParameters{{"small_plates", "yes"}}, QueryParameters{{"smallplates", "1"}}})
    EXPECT_TRUE(std::holds_alternative<std::string>(parse_read_options(bad))) << bad.begin()->first;
}

TEST(PlateServeUnitsTest, TheTokenMatchesOnlyWholeAndTheAddressDecidesWhetherOneIsNeeded) {
  EXPECT_TRUE(bearer_matches("Bearer abc", "abc"));
  for (const char* header :
       {"Bearer ab", "Bearer abcd", "Bearer abd", "bearer abc", "abc", "Bearer  abc", ""})
    EXPECT_FALSE(bearer_matches(header, "abc")) << header;
  EXPECT_FALSE(bearer_matches("Bearer ", ""));
  for (const char* local : {"127.0.0.1", "127.8.9.10", "::1", "localhost"})
    EXPECT_TRUE(is_loopback_address(local));
  for (const char* open : {"0.0.0.0", "::", "192.168.1.2", "128.0.0.1", "::ffff:127.0.0.1x", "example.org"})
    EXPECT_FALSE(is_loopback_address(open)) << open;

  const plate::testing::ScratchFolder folder("plate-serve-token");
  const std::filesystem::path file = folder.path() / "token";
  std::ofstream(file) << "t0k\r\nignored\n";
  EXPECT_EQ(load_token(file, "from-environment").token, "t0k");  // a file named wins
  std::ofstream(file) << "\n";
  for (const LoadedToken& none : {load_token(std::nullopt, ""), load_token(file, nullptr),
                                  load_token(folder.path() / "missing", nullptr)})
    EXPECT_FALSE(none.token || none.problem.empty()) << none.problem;
}

TEST(PlateServeUnitsTest, AListTakesTheStatusOfItsFirstPictureNotRead) {
  const auto failed = [](FailureKind kind) {
    return plate::reader::failed_record("x", {kind, "why", {}, 0});
  };
  EXPECT_EQ(status_for(failed(FailureKind::unsupported)), 415);
  EXPECT_EQ(record_list_answer(
                {plate::reader::Record{}, failed(FailureKind::damaged), failed(FailureKind::unsupported)}, {})
                .status,
            422);
  EXPECT_EQ(error_answer(408, "slow \"client\"").body,
            "{\"error\":\"slow \\\"client\\\"\",\"status\":408}\n");
}

TEST(PlateServeUnitsTest, MetricsCountResponsesAndBucketReadingTimesCumulatively) {
  ServiceMetrics metrics;
  metrics.count_response(200);
  metrics.count_response(200);
  metrics.count_response(503);
  metrics.count_picture(std::chrono::microseconds(700));
  metrics.count_picture(std::chrono::milliseconds(30));
  metrics.count_picture(std::chrono::seconds(3));
  const std::string text = metrics.prometheus_text(5);
  for (const char* line :
       {"plate_serve_requests_total{status=\"200\"} 2\n", "plate_serve_requests_total{status=\"503\"} 1\n",
        "plate_serve_pictures_read_total 3\n", "plate_serve_reading_seconds_bucket{le=\"0.0005\"} 0\n",
        "plate_serve_reading_seconds_bucket{le=\"0.001\"} 1\n",
        "plate_serve_reading_seconds_bucket{le=\"1\"} 2\n",
        "plate_serve_reading_seconds_bucket{le=\"+Inf\"} 3\n", "plate_serve_reading_seconds_sum 3.0307\n",
        "plate_serve_queue_length 5\n"})
    EXPECT_NE(text.find(line), std::string::npos) << line << text;
}

TEST(PlateServeUnitsTest, ThePoolRefusesJobsBeyondItsQueueAndReadsTheRestInOrder) {
  std::latch worker_busy(1), go_on(1);
  std::atomic<int> pictures{0};
  ReadingPool pool(1, 1, {}, [&](std::chrono::nanoseconds) {
    if (pictures++ == 0) {
      worker_busy.count_down();
      go_on.wait();
    }
  });
  auto first = pool.submit({{"a.bmp", "BM"}, {"", ""}}, {});
  worker_busy.wait();  // the worker holds the first job
  auto second = pool.submit({{"b", "GIF8"}}, {});
  EXPECT_EQ(pool.queue_length(), 1u);
  EXPECT_FALSE(pool.submit({{"c", ""}}, {}));
  go_on.count_down();
  ASSERT_TRUE(first && second);
  const std::vector<plate::reader::Record> records = first->get();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].name, "a.bmp");
  EXPECT_EQ(records[1].failure->kind, FailureKind::empty_file);
  EXPECT_EQ(second->get().at(0).failure->kind, FailureKind::not_a_picture);
}

}  // namespace
