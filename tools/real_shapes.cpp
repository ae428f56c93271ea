// Reading the real digit candidates and scoring templates on them, as a run reads the digits.

#include "tools/real_shapes.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <iomanip>
#include <optional>
#include <set>
#include <sstream>
#include <stdexcept>
#include <tuple>

#include "engine/match_record.h"
#include "engine/matching.h"
#include "tools/json_value.h"

namespace plate::tools {

namespace {

void read_chain(const JsonValue& array, std::int32_t count, std::int32_t* out) {
  const auto& entries = array.array();
  if (entries.size() != static_cast<std::size_t>(count))
    throw std::runtime_error("a chain's length is not point_count");
  for (std::size_t k = 0; k < entries.size(); ++k) out[k] = entries[k].integer();
}

char digit_of(const JsonValue& value, const char* field) {
  const std::string& text = value.string();
  if (text.size() != 1 || text[0] < '0' || text[0] > '9')
    throw std::runtime_error(std::string(field) + " is not \"0\"..\"9\"");
  return text[0];
}

DigitCandidate candidate_from(const JsonValue& object) {
  DigitCandidate candidate;
  candidate.digit = digit_of(object.at("digit"), "digit");
  candidate.source = object.at("source").string();
  candidate.height = object.at("height").integer();
  const JsonValue& zero_eight = object.at("zero_eight");
  if (!zero_eight.is_null()) {
    candidate.zero_eight = digit_of(zero_eight, "zero_eight");
    if (candidate.zero_eight != '0' && candidate.zero_eight != '8')
      throw std::runtime_error("zero_eight is not \"0\", \"8\" or null");
  }
  ShapeRecord& record = candidate.record;
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
  return candidate;
}

std::string chain_text(const std::int32_t* values, std::int32_t count) {
  std::string text = "[";
  for (std::int32_t k = 0; k < count; ++k) {
    if (k > 0) text += ',';
    text += std::to_string(values[k]);
  }
  return text + "]";
}

// "D-NNNN": the digit and the number, or nullopt for a source named otherwise.
std::optional<std::pair<char, int>> numbered_source(const std::string& source) {
  if (source.size() < 3 || source[0] < '0' || source[0] > '9' || source[1] != '-') return std::nullopt;
  int number = 0;
  const auto [end, error] = std::from_chars(source.data() + 2, source.data() + source.size(), number);
  if (error != std::errc{} || end != source.data() + source.size()) return std::nullopt;
  return std::pair{source[0], number};
}

}  // namespace

std::vector<DigitCandidate> read_candidate_file(const std::filesystem::path& path) {
  std::ifstream file(path);
  if (!file) throw std::runtime_error("cannot open " + path.string());
  std::vector<DigitCandidate> candidates;
  std::string line;
  for (int number = 1; std::getline(file, line); ++number) {
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    try {
      candidates.push_back(candidate_from(parse_json(line)));
    } catch (const std::exception& error) {
      throw std::runtime_error(path.string() + ":" + std::to_string(number) + ": " + error.what());
    }
  }
  return candidates;
}

std::string candidate_line(const DigitCandidate& c) {
  const ShapeRecord& r = c.record;
  std::ostringstream line;
  line << "{\"digit\":\"" << c.digit << "\",\"source\":\"" << c.source << "\",\"height\":" << c.height
       << ",\"point_count\":" << r.point_count << ",\"start_direction\":" << r.start_direction
       << ",\"x_min\":" << r.x_min << ",\"x_max\":" << r.x_max << ",\"y_min\":" << r.y_min
       << ",\"y_max\":" << r.y_max << ",\"points\":[";
  for (std::int32_t k = 0; k < r.point_count; ++k)
    line << (k ? "," : "") << '[' << r.points[k].x << ',' << r.points[k].y << ']';
  line << "],\"angles\":" << chain_text(r.angles, r.point_count)
       << ",\"smoothed_angles\":" << chain_text(r.smoothed_angles, r.point_count) << ",\"zero_eight\":"
       << (c.zero_eight != 0 ? std::string("\"") + c.zero_eight + "\"" : std::string("null")) << '}';
  return line.str();
}

std::filesystem::path default_candidate_file() {
  return std::filesystem::path(PLATE_SOURCE_DIR) / ".." / "shared" / "real-digits" / "dev-candidates.jsonl";
}

std::vector<DigitSample> digit_samples(const std::vector<DigitCandidate>& candidates) {
  std::map<std::string, char> sources;  // source -> digit
  std::set<int> heights;
  for (const DigitCandidate& c : candidates) {
    const auto [known, added] = sources.try_emplace(c.source, c.digit);
    if (!added && known->second != c.digit)
      throw std::runtime_error("source " + c.source + " shows two digits");
    heights.insert(c.height);
  }
  std::map<char, int> highest;  // note 2
  for (const auto& [source, digit] : sources)
    if (const auto numbered = numbered_source(source); numbered && numbered->first == digit)
      highest[digit] = std::max(highest[digit], numbered->second);
  for (const auto& [digit, top] : highest) {
    for (int number = 0; number < top; ++number) {
      char name[16];
      std::snprintf(name, sizeof name, "%c-%04d", digit, number);
      sources.try_emplace(name, digit);
    }
  }

  std::map<std::pair<std::string, int>, DigitSample> samples;
  for (const auto& [source, digit] : sources)
    for (const int height : heights) samples[{source, height}] = DigitSample{digit, source, height, {}};
  for (const DigitCandidate& c : candidates) samples[{c.source, c.height}].candidates.push_back(&c);
  std::vector<DigitSample> out;
  out.reserve(samples.size());
  for (auto& [key, sample] : samples) {
    const auto area = [](const DigitCandidate* c) {
      return std::int64_t{c->record.x_max - c->record.x_min + 1} * (c->record.y_max - c->record.y_min + 1);
    };
    std::stable_sort(sample.candidates.begin(), sample.candidates.end(),
                     [&](const auto* a, const auto* b) { return area(a) > area(b); });
    out.push_back(std::move(sample));
  }
  return out;
}

std::vector<const DigitSample*> half_of(const std::vector<DigitSample>& samples, Half half) {
  std::set<std::string> sources;
  for (const DigitSample& sample : samples) sources.insert(sample.source);
  std::set<std::string> first;
  bool take = true;
  for (const std::string& source : sources) {
    if (take) first.insert(source);
    take = !take;
  }
  std::vector<const DigitSample*> chosen;
  for (const DigitSample& sample : samples) {
    const bool in_first = first.contains(sample.source);
    if (half == Half::both || (half == Half::first) == in_first) chosen.push_back(&sample);
  }
  return chosen;
}

char reading_of(const TemplateTable& templates, const DigitSample& sample) {
  return reading_by(sample, [&](const DigitCandidate& candidate) {
    return static_cast<char>(match_shape(templates, candidate.record).matched_digit);
  });
}

Outcome outcome_of(char shown, char read) {
  if (read == '\0') return Outcome::unread;
  return read == shown ? Outcome::right : Outcome::wrong;
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

void DigitScore::add(const DigitSample& sample, char read) {
  const Outcome outcome = outcome_of(sample.digit, read);
  all.add(outcome);
  by_digit[static_cast<std::size_t>(sample.digit - '0')].add(outcome);
  by_height[sample.height].add(outcome);
  const int column = read >= '0' && read <= '9' ? read - '0' : kReadNothing;
  ++confusion_by_height[sample.height][static_cast<std::size_t>(sample.digit - '0')]
                       [static_cast<std::size_t>(column)];
}

DigitScore score_samples(const TemplateTable& templates, const std::vector<const DigitSample*>& samples) {
  DigitScore score;
  for (const DigitSample* sample : samples) score.add(*sample, reading_of(templates, *sample));
  return score;
}

std::string confusion_pairs(const Confusion& confusion) {
  std::vector<std::tuple<int, std::size_t, std::size_t>> pairs;  // count, shown, read
  for (std::size_t shown = 0; shown < 10; ++shown)
    for (std::size_t read = 0; read < 10; ++read)
      if (read != shown && confusion[shown][read] > 0)
        pairs.emplace_back(-confusion[shown][read], shown, read);
  std::sort(pairs.begin(), pairs.end());
  std::string text;
  for (const auto& [count, shown, read] : pairs)
    text += (text.empty() ? "" : ", ") + std::to_string(shown) + "->" + std::to_string(read) + " " +
            std::to_string(-count);
  return text.empty() ? "none" : text;
}

namespace {

void print_counts(std::ostream& out, const std::string& label, const Counts& counts) {
  const auto percent = [&](int part) { return counts.total() > 0 ? 100.0 * part / counts.total() : 0.0; };
  out << std::left << std::setw(8) << label << std::right << std::setw(6) << counts.total() << std::fixed
      << std::setprecision(1) << std::setw(8) << percent(counts.right) << std::setw(8)
      << percent(counts.wrong) << std::setw(8) << percent(counts.unread) << std::setw(8) << counts.score()
      << "   " << counts.right << " / " << counts.wrong << " / " << counts.unread << '\n';
}

}  // namespace

void print_digit_score(std::ostream& out, const DigitScore& score) {
  out << "shown    count right %  wrong % unread %   score   right / wrong / unread\n";
  for (std::size_t digit = 0; digit < 10; ++digit)
    print_counts(out, std::string{'\'', char('0' + digit), '\''}, score.by_digit[digit]);
  for (const auto& [height, counts] : score.by_height)
    print_counts(out, std::to_string(height) + " px", counts);
  print_counts(out, "all", score.all);
  out << "wrong readings (shown->read count), by height:\n";
  Confusion all{};
  for (const auto& [height, confusion] : score.confusion_by_height) {
    out << "  " << height << " px: " << confusion_pairs(confusion) << '\n';
    for (std::size_t s = 0; s < 10; ++s)
      for (std::size_t r = 0; r < 11; ++r) all[s][r] += confusion[s][r];
  }
  out << "  all: " << confusion_pairs(all) << '\n';
  out << "score (right - 3 x wrong): " << score.all.score() << " of " << score.all.total() << '\n';
}

}  // namespace plate::tools
