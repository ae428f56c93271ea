#include "video/plate_tracker.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace plate::video {

namespace {

// The run accepts a digit whose distance to its template is below this.
constexpr std::int32_t kAcceptedDistanceBound = 30;

// How far from a track's next place a plate may be, in the track's box widths and heights.
constexpr double kReachAnyText = 0.75;
constexpr double kReachSameText = 2.0;

struct Centre {
  double x, y, width, height;
};

Centre centre_of(const reader::PlateRecord& plate) {
  return {(plate.x_min + plate.x_max) / 2.0, (plate.y_min + plate.y_max) / 2.0,
          double(plate.x_max - plate.x_min + 1), double(plate.y_max - plate.y_min + 1)};
}

// Which vote wins: the larger weight, then more frames, then the smaller best distance, then the
// text that sorts first.
bool wins_over(const TextVote& a, std::int32_t a_best, const TextVote& b, std::int32_t b_best) {
  return std::tuple(-a.weight, -a.frames, a_best, a.text) < std::tuple(-b.weight, -b.frames, b_best, b.text);
}

}  // namespace

std::int64_t vote_weight(std::int32_t worst_distance) {
  return std::max<std::int64_t>(1, kAcceptedDistanceBound - worst_distance);
}

bool gives_event(std::int32_t frames, std::int64_t frames_spanned, const TrackerSettings& settings) {
  return frames >= settings.min_frames && double(frames) > settings.min_read_share * double(frames_spanned);
}

PlateTracker::PlateTracker(TrackerSettings settings) : settings_(settings) {}

std::vector<PlateEvent> PlateTracker::add_frame(FrameStamp at,
                                                const std::vector<reader::PlateRecord>& plates) {
  std::vector<PlateEvent> events = end_tracks([&](const Track& track) { return has_ended(track, at); });

  // Every plate-track pair within reach, nearest first; each takes the nearest free partner.
  struct Pair {
    double cost;
    std::size_t plate, track;
  };
  std::vector<Pair> pairs;
  for (std::size_t p = 0; p < plates.size(); ++p) {
    const Centre seen = centre_of(plates[p]);
    for (std::size_t t = 0; t < tracks_.size(); ++t) {
      const Track& track = tracks_[t];
      const double elapsed = at.seconds - track.moved.seconds;
      const double dx = std::abs(seen.x - (track.centre_x + track.speed_x * elapsed)) / track.width;
      const double dy = std::abs(seen.y - (track.centre_y + track.speed_y * elapsed)) / track.height;
      const double distance = std::max(dx, dy);
      const bool same_text = plates[p].text == leading_text(track);
      if (distance > (same_text ? kReachSameText : kReachAnyText)) continue;
      pairs.push_back({distance, p, t});
    }
  }
  std::sort(pairs.begin(), pairs.end(), [](const Pair& a, const Pair& b) {
    return std::tie(a.cost, a.plate, a.track) < std::tie(b.cost, b.plate, b.track);
  });
  std::vector<bool> plate_taken(plates.size()), track_taken(tracks_.size());
  for (const Pair& pair : pairs) {
    if (plate_taken[pair.plate] || track_taken[pair.track]) continue;
    plate_taken[pair.plate] = track_taken[pair.track] = true;
    join(tracks_[pair.track], at, plates[pair.plate]);
  }
  for (std::size_t t = 0; t < track_taken.size(); ++t)
    if (!track_taken[t]) ++tracks_[t].frames_since_last;
  for (std::size_t p = 0; p < plates.size(); ++p) {
    if (plate_taken[p]) continue;
    const Centre seen = centre_of(plates[p]);
    Track track;
    track.first = track.last = at;
    track.centre_x = seen.x;
    track.centre_y = seen.y;
    track.width = seen.width;
    track.height = seen.height;
    join(track, at, plates[p]);
    tracks_.push_back(std::move(track));
  }
  return events;
}

std::vector<PlateEvent> PlateTracker::finish() {
  return end_tracks([](const Track&) { return true; });
}

void PlateTracker::join(Track& track, FrameStamp at, const reader::PlateRecord& plate) {
  // Only readings of the leading text move the track: a partial read (one digit of four, a dot
  // read in clutter beside the plate) has a box of its own size and place, which would throw the
  // track's next place off.
  if (track.frames == 0 || plate.text == leading_text(track)) {
    const Centre seen = centre_of(plate);
    const double elapsed = at.seconds - track.moved.seconds;
    if (track.frames > 0 && elapsed > 0) {
      track.speed_x = (seen.x - track.centre_x) / elapsed;
      track.speed_y = (seen.y - track.centre_y) / elapsed;
    }
    track.centre_x = seen.x;
    track.centre_y = seen.y;
    track.width = seen.width;
    track.height = seen.height;
    track.moved = at;
  }
  track.last = at;
  track.frames_spanned += track.frames_since_last + 1;
  track.frames_since_last = 0;
  ++track.frames;

  TextVote& vote = track.votes[plate.text];
  vote.text = plate.text;
  ++vote.frames;
  vote.weight += vote_weight(plate.worst_distance);
  const auto best = track.best_by_text.find(plate.text);
  if (best == track.best_by_text.end() || plate.worst_distance < best->second.second.worst_distance)
    track.best_by_text.insert_or_assign(plate.text, std::pair(at, plate));
}

std::string PlateTracker::leading_text(const Track& track) {
  const TextVote* leader = nullptr;
  std::int32_t leader_best = 0;
  for (const auto& [text, vote] : track.votes) {
    const std::int32_t best = track.best_by_text.at(text).second.worst_distance;
    if (!leader || wins_over(vote, best, *leader, leader_best)) {
      leader = &vote;
      leader_best = best;
    }
  }
  return leader ? leader->text : std::string();
}

bool PlateTracker::has_ended(const Track& track, FrameStamp at) const {
  return at.seconds - track.last.seconds > settings_.gap_seconds && track.frames_since_last >= 2;
}

std::vector<PlateEvent> PlateTracker::end_tracks(const std::function<bool(const Track&)>& ended) {
  std::vector<PlateEvent> events;
  std::vector<Track> open;
  for (Track& track : tracks_) {
    if (!ended(track)) {
      open.push_back(std::move(track));
    } else if (std::optional<PlateEvent> event = event_of(track)) {
      events.push_back(std::move(*event));
    }
  }
  tracks_ = std::move(open);
  return events;
}

std::optional<PlateEvent> PlateTracker::event_of(const Track& track) const {
  if (!gives_event(track.frames, track.frames_spanned, settings_)) return std::nullopt;
  PlateEvent event;
  event.text = leading_text(track);
  event.frames = track.frames;
  event.frames_spanned = track.frames_spanned;
  event.first = track.first;
  event.last = track.last;
  std::tie(event.best, event.best_plate) = track.best_by_text.at(event.text);
  for (const auto& [text, vote] : track.votes) event.votes.push_back(vote);
  std::sort(event.votes.begin(), event.votes.end(), [&](const TextVote& a, const TextVote& b) {
    return wins_over(a, track.best_by_text.at(a.text).second.worst_distance, b,
                     track.best_by_text.at(b.text).second.worst_distance);
  });
  return event;
}

}  // namespace plate::video
