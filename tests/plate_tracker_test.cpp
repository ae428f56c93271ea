// The tracker alone: plates of consecutive frames become one event per passing plate, with the text
// their frames voted for, whatever misreads and gaps lie between.

#include "video/plate_tracker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace plate::video {
namespace {

// A plate frame 200 x 100 pixels with its left edge at `x`, read as `text`.
reader::PlateRecord plate_at(int x, const std::string& text, int worst_distance = 10, int y = 300) {
  reader::PlateRecord plate{};
  plate.text = text;
  plate.x_min = x;
  plate.x_max = x + 199;
  plate.y_min = y;
  plate.y_max = y + 99;
  plate.worst_distance = worst_distance;
  return plate;
}

FrameStamp frame(int number) {
  return {number, number / 25.0};
}

class Tracking : public ::testing::Test {
 protected:
  // Feeds frames 0..plates.size()-1 (25 a second) and then ends the video; every event in order.
  std::vector<PlateEvent> run(const std::vector<std::vector<reader::PlateRecord>>& frames,
                              TrackerSettings settings = {}) {
    PlateTracker tracker(settings);
    std::vector<PlateEvent> events;
    for (std::size_t i = 0; i < frames.size(); ++i)
      for (PlateEvent& event : tracker.add_frame(frame(int(i)), frames[i]))
        events.push_back(std::move(event));
    for (PlateEvent& event : tracker.finish()) events.push_back(std::move(event));
    return events;
  }
};

TEST_F(Tracking, APlateCrossingTheFrameGivesOneEventFromItsFirstToItsLastFrame) {
  std::vector<std::vector<reader::PlateRecord>> frames(5);
  for (int i = 0; i < 30; ++i) frames.push_back({plate_at(20 * i, "12-34", 10 + i % 3)});
  frames.resize(frames.size() + 5);
  const std::vector<PlateEvent> events = run(frames);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].text, "12-34");
  EXPECT_EQ(events[0].frames, 30);
  EXPECT_EQ(events[0].first, frame(5));
  EXPECT_EQ(events[0].last, frame(34));
  // The best frame is the first with the smallest worst distance, and its boxes come with it.
  EXPECT_EQ(events[0].best, frame(5));
  EXPECT_EQ(events[0].best_plate.x_min, 0);
}

TEST_F(Tracking, CloseReadingsOutvoteMoreFramesOfReadingsThatJustPassed) {
  // Four frames read "12-84" at distance 27 (weight 3 each), two read "12-34" at distance 5 (25 each).
  std::vector<std::vector<reader::PlateRecord>> frames;
  for (int i = 0; i < 6; ++i)
    frames.push_back({plate_at(10 * i, i % 3 == 1 ? "12-34" : "12-84", i % 3 == 1 ? 5 : 27)});
  const std::vector<PlateEvent> events = run(frames);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].text, "12-34");
  EXPECT_EQ(events[0].best, frame(1));
  EXPECT_EQ(events[0].frames, 6);
  ASSERT_EQ(events[0].votes.size(), 2u);
  EXPECT_EQ(events[0].votes[0].weight, 50);
  EXPECT_EQ(events[0].votes[1].text, "12-84");
  EXPECT_EQ(events[0].votes[1].frames, 4);
  EXPECT_EQ(events[0].votes[1].weight, 12);
  EXPECT_EQ(vote_weight(45), 1);  // a plate the run read otherwise still counts once
}

TEST_F(Tracking, EqualWeightsGoToMoreFramesThenToTheTextThatSortsFirstWhateverTheOrder) {
  const std::string misread = "･･34";
  for (const bool swap : {true, false}) {
    // Twice at weight 10 against once at weight 20: more frames win.
    std::vector<std::vector<reader::PlateRecord>> frames{
        {plate_at(0, misread, 20)}, {plate_at(0, misread, 20)}, {plate_at(0, "12-34", 10)}};
    if (swap) std::swap(frames[0], frames[2]);
    EXPECT_EQ(run(frames).at(0).text, misread) << swap;
    // Once each at the same weight: the text that sorts first.
    frames = {{plate_at(0, "56-78", 10)}, {plate_at(0, "12-34", 10)}};
    if (swap) std::swap(frames[0], frames[1]);
    EXPECT_EQ(run(frames).at(0).text, "12-34") << swap;
  }
}

TEST_F(Tracking, TwoPlatesSideBySideKeepTheirOwnTracksAndEndInTheOrderTheyStarted) {
  std::vector<std::vector<reader::PlateRecord>> frames;
  for (int i = 0; i < 10; ++i) {
    std::vector<reader::PlateRecord> plates{plate_at(600 - 10 * i, "56-78")};
    if (i >= 3) plates.insert(plates.begin(), plate_at(10 * i, "12-34"));
    frames.push_back(plates);
  }
  const std::vector<PlateEvent> events = run(frames);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].text, "56-78");
  EXPECT_EQ(events[0].frames, 10);
  EXPECT_EQ(events[1].text, "12-34");
  EXPECT_EQ(events[1].frames, 7);
  EXPECT_EQ(events[1].first, frame(3));
}

TEST_F(Tracking, AGapOfAFewFramesKeepsTheTrackAndALongerOneEndsIt) {
  // Missed in frames 6..13 (0.32 s): one track. Then missed from frame 20 to 36 (0.68 s): a new one.
  std::vector<std::vector<reader::PlateRecord>> frames(40);
  for (int i = 0; i < 40; ++i)
    if (i < 6 || (i >= 14 && i < 20) || i >= 37) frames[std::size_t(i)] = {plate_at(5 * i, "12-34")};
  PlateTracker tracker;
  std::vector<int> ended_at;
  for (int i = 0; i < 40; ++i)
    if (!tracker.add_frame(frame(i), frames[std::size_t(i)]).empty()) ended_at.push_back(i);
  EXPECT_EQ(ended_at, std::vector<int>{32});  // the first frame more than 0.5 s after frame 19
  const std::vector<PlateEvent> last = tracker.finish();
  ASSERT_EQ(last.size(), 1u);
  EXPECT_EQ(last[0].first, frame(37));
}

TEST_F(Tracking, WithFramesFarApartOneMissedReadDoesNotSplitATrack) {
  // One frame a second (as with --every 25): the plate is missed once, 2 s pass, the track holds.
  PlateTracker tracker;
  std::vector<PlateEvent> events;
  const auto add = [&](int second, std::vector<reader::PlateRecord> plates) {
    for (PlateEvent& e : tracker.add_frame({second * 25, double(second)}, plates)) events.push_back(e);
  };
  add(0, {plate_at(0, "12-34")});
  add(1, {});
  add(2, {plate_at(40, "12-34")});
  add(3, {});
  add(4, {});
  EXPECT_TRUE(events.empty());
  add(5, {});  // two frames read without it: it has gone
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].frames, 2);
}

TEST_F(Tracking, APlateJoinsByPlaceWhateverItReadsButFarAwayOnlyWithTheSameText) {
  // Events when 12-34, read twice still, is followed by `later` twice.
  const auto events_with = [&](const reader::PlateRecord& later) {
    return run({{plate_at(0, "12-34")}, {plate_at(0, "12-34")}, {later}, {later}}).size();
  };
  EXPECT_EQ(events_with(plate_at(100, "12-84")), 1u);         // next to it, another text: a misread
  EXPECT_EQ(events_with(plate_at(300, "12-34")), 1u);         // 1.5 widths away, the same text
  EXPECT_EQ(events_with(plate_at(300, "56-78")), 2u);         // there, another text: another plate
  EXPECT_EQ(events_with(plate_at(0, "12-34", 10, 600)), 2u);  // on another row
}

TEST_F(Tracking, AMovingPlateIsFollowedAtItsOwnSpeedAcrossMissedFrames) {
  // 150 pixels a frame, missed in frames 2 and 3: it reappears 450 pixels on, more than two widths
  // from where it was last seen, and with another text, but where its speed takes it.
  const std::vector<PlateEvent> events = run({{plate_at(0, "12-34")},
                                              {plate_at(150, "12-34")},
                                              {},
                                              {},
                                              {plate_at(600, "12-84")},
                                              {plate_at(750, "12-34")}});
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].frames, 4);
}

TEST_F(Tracking, ATrackGivesAnEventOnlyWhenReadInEnoughFramesAndInMostOfThem) {
  EXPECT_TRUE(run({{}, {plate_at(0, "12-34")}, {}, {}}).empty());
  EXPECT_EQ(run({{plate_at(0, "12-34")}, {}}, {.gap_seconds = 0.5, .min_frames = 1}).size(), 1u);

  // One track each (no gap reaches 0.5 s): read in frames 0, 4 and 8 of 9, as a misread in clutter
  // comes and goes with the noise; in 5 of 9; in exactly half of its frames (0 and 3 of 4).
  std::vector<std::vector<reader::PlateRecord>> sparse(9), most(9), half(4);
  for (int i = 0; i < 9; i += 4) sparse[std::size_t(i)] = {plate_at(0, "･･･8")};
  for (int i = 0; i < 9; i += 2) most[std::size_t(i)] = {plate_at(0, "･･･8")};
  half[0] = half[3] = {plate_at(0, "･･･8")};
  EXPECT_TRUE(run(sparse).empty());
  EXPECT_EQ(run(most).size(), 1u);
  EXPECT_TRUE(run(half).empty());
  EXPECT_EQ(run(sparse, {.gap_seconds = 0.5, .min_frames = 2, .min_read_share = 0.0}).size(), 1u);
}

}  // namespace
}  // namespace plate::video
