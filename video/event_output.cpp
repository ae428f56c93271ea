#include "video/event_output.h"

#include <cstdio>

#include "reader/json_text.h"
#include "reader/names.h"
#include "reader/record_json.h"

namespace plate::video {

namespace {

std::string seconds_text(double seconds) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.3f", seconds);
  return buffer;
}

std::string stamp_keys(FrameStamp at) {
  return "\"frame\":" + std::to_string(at.number) + ",\"time\":" + seconds_text(at.seconds);
}

std::string opening(std::string_view type, std::string_view video_name) {
  std::string out = "{\"type\":";
  reader::append_json_string(out, type);
  out += ",\"file\":";
  reader::append_json_string(out, video_name);
  return out;
}

}  // namespace

std::string event_json(const PlateEvent& event, std::string_view video_name, bool with_source_boxes) {
  std::string out = opening("event", video_name);
  out += ",\"text\":";
  reader::append_json_string(out, event.text);
  out += ",\"frames\":" + std::to_string(event.frames) + ",\"votes\":[";
  for (const TextVote& vote : event.votes) {
    if (out.back() != '[') out += ',';
    out += "{\"text\":";
    reader::append_json_string(out, vote.text);
    out += ",\"frames\":" + std::to_string(vote.frames) + ",\"weight\":" + std::to_string(vote.weight) + "}";
  }
  out += "],\"first\":{" + stamp_keys(event.first) + "},\"last\":{" + stamp_keys(event.last) + "}";
  out += ",\"best\":{" + stamp_keys(event.best) +
         ",\"plate\":" + reader::plate_json(event.best_plate, with_source_boxes) + "}}";
  return out;
}

std::string frame_json(const reader::Record& record, FrameStamp at, std::string_view video_name) {
  const std::string own = reader::record_json(record, {.candidates = false, .file = false});
  return opening("frame", video_name) + "," + stamp_keys(at) + (own.size() > 2 ? "," : "") + own.substr(1);
}

std::string event_text(const PlateEvent& event, std::string_view video_name) {
  const std::int32_t agreeing = event.votes.empty() ? 0 : event.votes.front().frames;
  return reader::escaped_name(std::string(video_name)) + "\t" + event.text + "\t" +
         seconds_text(event.first.seconds) + "-" + seconds_text(event.last.seconds) + " s\t" +
         std::to_string(agreeing) + "/" + std::to_string(event.frames) + " frames\n";
}

}  // namespace plate::video
