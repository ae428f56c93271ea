#pragma once
// Joins the plates read in consecutive frames of a video into tracks, one per passing plate, and
// turns each track into one event with the text its frames voted for. Plain data in, plain data
// out: it knows nothing of decoding, so it is tested and reused on its own.
//
// Joining. A plate joins the track whose next place it is nearest: the track's last frame box
// moved on at the track's own speed, the distance counted in the track's box widths and heights.
// Place and speed follow the readings of the track's leading text only, as a partial read (one
// digit of four) has a box of another size and place.
// A plate within three quarters of a box of that place joins it whatever it reads; one that reads
// the track's leading text may be two boxes away (a plate missed in a blurred frame has moved on).
// Each track takes at most one plate a frame, nearest pairs first.
//
// Ending. A track ends when no plate has joined it for more than `gap_seconds` and for at least
// two frames read, so a plate lost in one or two frames of blur or noise keeps its track, while
// the next vehicle in the lane, a second or more behind, starts its own. With --every N, frames
// read lie N frames apart; the two-frame rule keeps one missed read from splitting a track.
//
// Events. A track gives an event when it was read in at least `min_frames` frames and in more than
// `min_read_share` of the frames read from its first plate to its last: a misread in clutter under
// noise can repeat at one place now and then over many frames, while a plate in view is read in
// most of its frames (video_bench measures both).
//
// Voting. Each frame's reading votes for its text with the weight 30 - worst distance (at least 1):
// the run accepts a digit only below 30, so a reading whose least sure digit is close to its
// template counts up to 30 times as much as one that just passed. The text with the largest summed
// weight wins; equal weights go to more frames, then to the smaller best distance, then to the
// text that sorts first, so the result never depends on the order of the frames.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "reader/record.h"

namespace plate::video {

struct FrameStamp {
  std::int64_t number = 0;  // counted from 0 in the order the stream shows its frames
  double seconds = 0.0;     // presentation time from the stream's start
  friend bool operator==(const FrameStamp&, const FrameStamp&) = default;
};

struct TextVote {
  std::string text;
  std::int32_t frames = 0;  // frames whose reading gave this text
  std::int64_t weight = 0;  // their summed vote weights
};

struct PlateEvent {
  std::string text;                 // the voted text
  std::vector<TextVote> votes;      // every text read, the voted one first, then by weight
  std::int32_t frames = 0;          // frames that read this plate, whatever text
  std::int64_t frames_spanned = 0;  // frames read from the first to the last that read it
  FrameStamp first, last;
  FrameStamp best;                 // the frame with the voted text's smallest worst distance (the first such)
  reader::PlateRecord best_plate;  // that frame's plate, boxes in source pixels included
};

struct TrackerSettings {
  double gap_seconds = 0.5;
  std::int32_t min_frames = 2;  // a track read in fewer frames gives no event: one frame's misread in clutter
  // A track gives an event only when plates joined it in more than this share of the frames read
  // from its first plate to its last: a plate in view is read in most of them, a misread in clutter
  // comes and goes with the noise.
  double min_read_share = 0.5;
};

// The weight of one reading's vote (see above).
std::int64_t vote_weight(std::int32_t worst_distance);

// Whether a track read in `frames` of the `frames_spanned` frames read from its first plate to its
// last gives an event (see above).
bool gives_event(std::int32_t frames, std::int64_t frames_spanned, const TrackerSettings& settings);

class PlateTracker {
 public:
  explicit PlateTracker(TrackerSettings settings = {});

  // The plates of the next frame read (frames in increasing time). Returns the events of the tracks
  // that ended before it, in the order they started.
  std::vector<PlateEvent> add_frame(FrameStamp at, const std::vector<reader::PlateRecord>& plates);

  // Ends every track: the events still open, in the order they started.
  std::vector<PlateEvent> finish();

 private:
  struct Track {
    FrameStamp first, last;
    FrameStamp moved;                    // when the place below was last seen
    std::int64_t frames_since_last = 0;  // frames read since a plate last joined
    std::int64_t frames_spanned = 0;     // frames read from its first plate to its last
    double centre_x = 0, centre_y = 0, width = 1, height = 1;
    double speed_x = 0, speed_y = 0;  // frame pixels a second
    std::map<std::string, TextVote> votes;
    std::map<std::string, std::pair<FrameStamp, reader::PlateRecord>> best_by_text;
    std::int32_t frames = 0;
  };

  void join(Track& track, FrameStamp at, const reader::PlateRecord& plate);
  static std::string leading_text(const Track& track);
  bool has_ended(const Track& track, FrameStamp at) const;
  std::vector<PlateEvent> end_tracks(const std::function<bool(const Track&)>& ended);
  std::optional<PlateEvent> event_of(const Track& track) const;

  TrackerSettings settings_;
  std::vector<Track> tracks_;
};

}  // namespace plate::video
