// Reading the real-shape file and scoring templates on it.
//
// The file is JSON lines of one fixed form, so a small reader of JSON values (objects, arrays,
// strings, integers) is enough; it refuses anything else rather than guessing.

#include "tools/real_shapes.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <fstream>
#include <iomanip>
#include <memory>
#include <set>
#include <stdexcept>
#include <string_view>

#include "engine/match_record.h"
#include "engine/matching.h"

namespace plate::tools {

namespace {

struct JsonValue {
  enum class Kind { number, string, array, object } kind = Kind::number;
  std::int64_t number = 0;
  std::string text;
  std::vector<JsonValue> items;                            // array
  std::vector<std::pair<std::string, JsonValue>> members;  // object

  const JsonValue& at(std::string_view key) const {
    for (const auto& [name, value] : members)
      if (name == key) return value;
    throw std::runtime_error("no field \"" + std::string(key) + "\"");
  }
  std::int32_t integer() const {
    if (kind != Kind::number || number < INT32_MIN || number > INT32_MAX)
      throw std::runtime_error("a field is not a 32-bit integer");
    return static_cast<std::int32_t>(number);
  }
  const std::vector<JsonValue>& array() const {
    if (kind != Kind::array) throw std::runtime_error("a field is not an array");
    return items;
  }
};

class JsonReader {
 public:
  explicit JsonReader(std::string_view text) : text_(text) {}

  JsonValue document() {
    JsonValue value = next_value();
    skip_space();
    if (at_ != text_.size()) fail("text after the object");
    return value;
  }

 private:
  [[noreturn]] void fail(const std::string& what) const {
    throw std::runtime_error(what + " at column " + std::to_string(at_ + 1));
  }
  void skip_space() {
    while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\r')) ++at_;
  }
  bool take(char c) {
    skip_space();
    if (at_ < text_.size() && text_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }
  void expect(char c) {
    if (!take(c)) fail(std::string("expected '") + c + "'");
  }

  std::string next_string() {
    expect('"');
    std::string out;
    while (at_ < text_.size() && text_[at_] != '"') {
      if (text_[at_] == '\\') fail("escapes are not expected");
      out += text_[at_++];
    }
    expect('"');
    return out;
  }

  JsonValue next_value() {
    skip_space();
    if (at_ >= text_.size()) fail("unexpected end");
    JsonValue value;
    const char c = text_[at_];
    if (c == '"') {
      value.kind = JsonValue::Kind::string;
      value.text = next_string();
    } else if (c == '[') {
      value.kind = JsonValue::Kind::array;
      ++at_;
      if (!take(']')) {
        do value.items.push_back(next_value());
        while (take(','));
        expect(']');
      }
    } else if (c == '{') {
      value.kind = JsonValue::Kind::object;
      ++at_;
      if (!take('}')) {
        do {
          std::string key = next_string();
          expect(':');
          value.members.emplace_back(std::move(key), next_value());
        } while (take(','));
        expect('}');
      }
    } else {
      const auto [end, error] =
          std::from_chars(text_.data() + at_, text_.data() + text_.size(), value.number);
      if (error != std::errc{}) fail("expected an integer");
      at_ = static_cast<std::size_t>(end - text_.data());
    }
    return value;
  }

  std::string_view text_;
  std::size_t at_ = 0;
};

void read_chain(const JsonValue& array, std::int32_t count, std::int32_t* out) {
  const auto& entries = array.array();
  if (entries.size() != static_cast<std::size_t>(count))
    throw std::runtime_error("a chain's length is not point_count");
  for (std::size_t k = 0; k < entries.size(); ++k) out[k] = entries[k].integer();
}

LabelledShape shape_from(const JsonValue& object) {
  LabelledShape shape;
  const std::string& digit = object.at("digit").text;
  if (digit.size() != 1 || digit[0] < '0' || digit[0] > '9') throw std::runtime_error("digit is not 0..9");
  shape.digit = digit[0];
  shape.source = object.at("source").text;
  shape.height = object.at("height").integer();
  ShapeRecord& record = shape.record;
  record.point_count = object.at("point_count").integer();
  if (record.point_count < 1 || record.point_count > kMaxContourPoints)
    throw std::runtime_error("point_count outside 1..1024");
  record.start_direction = object.at("start_direction").integer();
  record.x_min = object.at("x_min").integer();
  record.x_max = object.at("x_max").integer();
  record.y_min = object.at("y_min").integer();
  record.y_max = object.at("y_max").integer();
  const auto& points = object.at("points").array();
  if (points.size() != static_cast<std::size_t>(record.point_count))
    throw std::runtime_error("points' length is not point_count");
  for (std::size_t k = 0; k < points.size(); ++k) {
    const auto& pair = points[k].array();
    if (pair.size() != 2) throw std::runtime_error("a point is not [x, y]");
    record.points[k] = {pair[0].integer(), pair[1].integer()};
  }
  read_chain(object.at("angles"), record.point_count, record.angles);
  read_chain(object.at("smoothed_angles"), record.point_count, record.smoothed_angles);
  if (!is_comparable(record)) throw std::runtime_error("a record the matcher cannot compare");
  return shape;
}

}  // namespace

std::vector<LabelledShape> read_shape_file(const std::filesystem::path& path) {
  std::ifstream file(path);
  if (!file) throw std::runtime_error("cannot open " + path.string());
  std::vector<LabelledShape> shapes;
  std::string line;
  for (int number = 1; std::getline(file, line); ++number) {
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    try {
      shapes.push_back(shape_from(JsonReader(line).document()));
    } catch (const std::exception& error) {
      throw std::runtime_error(path.string() + ":" + std::to_string(number) + ": " + error.what());
    }
  }
  return shapes;
}

std::filesystem::path default_shape_file() {
  return std::filesystem::path(PLATE_SOURCE_DIR) / ".." / "shared" / "real-digits" / "dev-shapes.jsonl";
}

std::vector<const LabelledShape*> half_of(const std::vector<LabelledShape>& shapes, Half half) {
  std::set<std::string> sources;
  for (const LabelledShape& shape : shapes) sources.insert(shape.source);
  std::set<std::string> first;
  bool take = true;
  for (const std::string& source : sources) {
    if (take) first.insert(source);
    take = !take;
  }
  std::vector<const LabelledShape*> chosen;
  for (const LabelledShape& shape : shapes) {
    const bool in_first = first.contains(shape.source);
    if (half == Half::both || (half == Half::first) == in_first) chosen.push_back(&shape);
  }
  return chosen;
}

void Counts::add(Outcome outcome) {
  switch (outcome) {
    case Outcome::right:
      ++right;
      break;
    case Outcome::wrong:
      ++wrong;
      break;
    case Outcome::unread:
      ++unread;
      break;
  }
}

void Counts::add(const Counts& other) {
  right += other.right;
  wrong += other.wrong;
  unread += other.unread;
}

char matched_character(const TemplateTable& templates, const ShapeRecord& shape) {
  return static_cast<char>(match_shape(templates, shape).matched_digit);
}

Outcome outcome_of(char shown, char read) {
  if (read == '\0') return Outcome::unread;
  const auto zero_or_eight = [](char c) { return c == '0' || c == '8'; };
  if (read == shown || (zero_or_eight(read) && zero_or_eight(shown))) return Outcome::right;
  return Outcome::wrong;
}

ShapeScore score_shapes(const TemplateTable& templates, const std::vector<const LabelledShape*>& shapes) {
  ShapeScore score;
  for (const LabelledShape* shape : shapes) {
    const char read = matched_character(templates, shape->record);
    const Outcome outcome = outcome_of(shape->digit, read);
    score.all.add(outcome);
    score.by_digit[static_cast<std::size_t>(shape->digit - '0')].add(outcome);
    score.by_height[shape->height].add(outcome);
    const int column = read >= '0' && read <= '9' ? read - '0' : kReadNothing;
    ++score.confusion[static_cast<std::size_t>(shape->digit - '0')][static_cast<std::size_t>(column)];
  }
  return score;
}

namespace {

void print_counts(std::ostream& out, const std::string& label, const Counts& counts) {
  const auto percent = [&](int part) { return counts.total() > 0 ? 100.0 * part / counts.total() : 0.0; };
  out << std::left << std::setw(8) << label << std::right << std::setw(6) << counts.total() << std::fixed
      << std::setprecision(1) << std::setw(8) << percent(counts.right) << std::setw(8)
      << percent(counts.wrong) << std::setw(8) << percent(counts.unread) << std::setw(8) << counts.score()
      << '\n';
}

}  // namespace

void print_shape_score(std::ostream& out, const ShapeScore& score) {
  out << "shown    count right %  wrong %  unread %  score\n";
  for (std::size_t digit = 0; digit < 10; ++digit)
    print_counts(out, std::string{'\'', char('0' + digit), '\''}, score.by_digit[digit]);
  for (const auto& [height, counts] : score.by_height)
    print_counts(out, std::to_string(height) + " px", counts);
  print_counts(out, "all", score.all);
  out << "confusions (shown -> read: count; 0/8 pairs are the middle-column check's to settle):\n";
  for (std::size_t shown = 0; shown < 10; ++shown) {
    for (std::size_t read = 0; read < 10; ++read) {
      const int count = score.confusion[shown][read];
      if (read == shown || count == 0) continue;
      out << "  " << shown << " -> " << read << ": " << count
          << (outcome_of(char('0' + shown), char('0' + read)) == Outcome::right ? " (0/8)" : "") << '\n';
    }
  }
  out << "score (right - 3 x wrong): " << score.all.score() << " of " << score.all.total() << '\n';
}

}  // namespace plate::tools
