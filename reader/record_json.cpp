#include "reader/record_json.h"

#include <cstdio>

#include "engine/candidate_review.h"
#include "reader/json_text.h"

namespace plate::reader {

namespace {

std::string fixed_two(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.2f", value);
  return buffer;
}

// Builds one JSON object; keys are written in the order they are added.
class JsonObject {
 public:
  JsonObject& raw(std::string_view key, std::string_view json) {
    separate(key);
    text_ += json;
    return *this;
  }
  JsonObject& string(std::string_view key, std::string_view value) {
    separate(key);
    append_json_string(text_, value);
    return *this;
  }
  JsonObject& number(std::string_view key, long long value) { return raw(key, std::to_string(value)); }
  std::string close() { return text_ + "}"; }

 private:
  void separate(std::string_view key) {
    text_ += text_.size() > 1 ? "," : "";
    append_json_string(text_, key);
    text_ += ':';
  }
  std::string text_ = "{";
};

template <typename Item, typename Format>
std::string json_array(const std::vector<Item>& items, Format format) {
  std::string out = "[";
  for (const Item& item : items) {
    if (out.size() > 1) out += ',';
    out += format(item);
  }
  return out + "]";
}

std::string json_digit(std::uint8_t character) {
  if (character == 0) return "null";
  std::string out;
  append_json_string(out, std::string(1, static_cast<char>(character)));
  return out;
}

std::string json_choice(const std::optional<TemplateChoice>& choice) {
  if (!choice) return "null";
  return JsonObject{}
      .raw("digit", json_digit(static_cast<std::uint8_t>(choice->digit)))
      .number("template", choice->index)
      .number("distance", choice->distance)
      .close();
}

std::string json_box(const std::optional<PixelBox>& box) {
  if (!box) return "null";
  return JsonObject{}
      .number("x_min", box->x_min)
      .number("x_max", box->x_max)
      .number("y_min", box->y_min)
      .number("y_max", box->y_max)
      .close();
}

// Corners to a tenth of a pixel.
std::string json_quad(const SourceCorners& quad) {
  std::string text = "[";
  for (const auto& corner : quad) {
    char point[64];
    std::snprintf(point, sizeof point, "%s[%.1f,%.1f]", text.size() > 1 ? "," : "", corner[0], corner[1]);
    text += point;
  }
  return text + "]";
}

// The picture's size and scale, and each box in its pixels, are given only for pictures that came
// through the loader, so that the 24-bit-only program's output keeps its form.
std::string json_source(const SourceRecord& source) {
  char scale[32];
  std::snprintf(scale, sizeof scale, "%.6g", source.scale);
  return JsonObject{}
      .string("format", source.format)
      .number("width", source.width)
      .number("height", source.height)
      .raw("scale", scale)
      .close();
}

// "distance" and "template" belong to the shown digit. When the 0/8 check changed the digit,
// "matched" names the template that read the candidate, and both may differ.
std::string json_character(const CharacterRecord& c, bool has_source) {
  JsonObject o;
  o.raw("digit", json_digit(static_cast<std::uint8_t>(c.digit)))
      .number("x_min", c.x_min)
      .number("x_max", c.x_max)
      .number("y_min", c.y_min)
      .number("y_max", c.y_max);
  if (has_source) o.raw("source_box", json_box(c.source_box));
  if (c.quad) o.raw("quad", json_quad(*c.quad));
  o.raw("template", c.shown ? std::to_string(c.shown->index) : "null")
      .raw("distance", c.shown ? std::to_string(c.shown->distance) : "null");
  if (c.matched) o.raw("matched", json_choice(c.matched));
  return o.raw("runner_up", json_choice(c.runner_up)).close();
}

}  // namespace

std::string plate_json(const PlateRecord& p, bool has_source) {
  const std::string frame = JsonObject{}
                                .number("x_min", p.x_min)
                                .number("x_max", p.x_max)
                                .number("y_min", p.y_min)
                                .number("y_max", p.y_max)
                                .close();
  JsonObject o;
  o.string("text", p.text)
      .number("digit_count", p.digit_count)
      .number("group_id", p.group_id)
      .raw("frame", frame);
  if (has_source) o.raw("source_box", json_box(p.source_box));
  if (p.tile_scale) o.number("tile_scale", *p.tile_scale);
  if (p.quad) o.raw("quad", json_quad(*p.quad));
  return o.number("worst_distance", p.worst_distance)
      .raw("characters",
           json_array(p.characters,
                      [has_source](const CharacterRecord& c) { return json_character(c, has_source); }))
      .close();
}

namespace {

std::string json_template(const TemplateComparison& t) {
  return JsonObject{}
      .raw("digit", json_digit(t.digit))
      .number("distance", t.match.distance)
      .number("rotation", t.match.rotation)
      .string("refusal", describe(t.refusal()))
      .close();
}

std::string json_optional_index(const std::optional<int>& index) {
  return index ? std::to_string(*index) : "null";
}

std::string json_candidate(const CandidateReview& r) {
  return JsonObject{}
      .number("index", r.index)
      .number("x_min", r.x_min)
      .number("x_max", r.x_max)
      .number("y_min", r.y_min)
      .number("y_max", r.y_max)
      .number("point_count", r.point_count)
      .raw("proportion", fixed_two(r.proportion))
      .raw("nearest_template", json_optional_index(r.nearest_template))
      .raw("nearest_acceptable_template", json_optional_index(r.nearest_acceptable))
      .raw("chosen_template", json_optional_index(r.chosen_template))
      .raw("character", json_digit(r.character))
      .string("verdict", describe(r.verdict))
      .raw("templates", json_array(std::vector(r.templates.begin(), r.templates.end()), json_template))
      .close();
}

std::string json_text_value(const std::string& text) {
  std::string out;
  append_json_string(out, text);
  return out;
}

}  // namespace

std::string record_json(const Record& report, RecordJsonDetail detail) {
  JsonObject o;
  if (detail.file) o.string("file", report.name);
  if (report.error) {
    o.string("error", *report.error);
    if (!report.error_detail.empty()) o.string("reason", report.error_detail);
    return o.close();
  }
  const bool has_source = report.source.has_value();
  if (has_source) o.raw("source", json_source(*report.source));
  o.number("processing_ms", report.processing_ms)
      .number("elapsed_us", report.elapsed_us)
      .raw("plates", json_array(report.plates,
                                [has_source](const PlateRecord& p) { return plate_json(p, has_source); }))
      .raw("log", json_array(report.log_lines, json_text_value));
  if (detail.candidates) o.raw("candidates", json_array(report.candidates, json_candidate));
  if (report.overlay_error) o.string("overlay_error", *report.overlay_error);
  return o.close();
}

}  // namespace plate::reader
