// The pattern file's templates are candidates like any other: a font or drawn digit is stamped
// alone on white paper and a whole recognition run is made over the picture, so the template's
// contour, start point, start direction and smoothed signature come from the very seed scan,
// tracer and smoothing that make the candidates it will be compared with. The one stored candidate
// is taken, its character set, and its unused array tails cleared so that the file holds nothing
// but the digit. A real outline was measured by the same seed scan and smoothing, so it is taken
// as it is.
//
// Rejected: tracing the glyph bitmap with a separate contour follower. It would have to copy the
// engine's seed rule, threshold and start-point choice exactly, and any difference would show up
// as a rotation or offset between every template and every candidate.

#include "tools/pattern_maker.h"

#include <charconv>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>

#include "engine/recognition.h"
#include "tools/plate_digit_outline.h"

namespace plate::tools {

namespace {

// Far enough from the frame's edges for a 150 px digit, and away from the bottom row, which
// the tracer never accepts.
constexpr int kSampleLeft = 200;
constexpr int kSampleBottom = 200;

ShapeRecord without_leftovers(const ShapeRecord& stored) {
  ShapeRecord clean{};
  const auto n = static_cast<std::size_t>(stored.point_count);
  clean.character = stored.character;
  clean.point_count = stored.point_count;
  std::memcpy(clean.points, stored.points, n * sizeof stored.points[0]);
  std::memcpy(clean.angles, stored.angles, n * sizeof stored.angles[0]);
  std::memcpy(clean.smoothed_angles, stored.smoothed_angles, n * sizeof stored.smoothed_angles[0]);
  clean.x_max = stored.x_max;
  clean.x_min = stored.x_min;
  clean.y_max = stored.y_max;
  clean.y_min = stored.y_min;
  clean.start_direction = stored.start_direction;
  return clean;
}

double number_in(const std::string& key, const std::string& text) {
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size() || !(value >= 0))
    throw std::runtime_error(key + " is not a number: " + text);
  return value;
}

DigitRecipe parse_line(const std::string& line, const std::filesystem::path& folder) {
  std::istringstream words(line);
  std::string digit, kind, word;
  words >> digit >> kind;
  if (digit.size() != 1 || digit[0] < '0' || digit[0] > '9') throw std::runtime_error("no digit first");
  DigitRecipe recipe;
  recipe.digit = digit[0];
  if (kind == "font") {
    recipe.source = OutlineSource::font;
  } else if (kind == "drawn") {
    recipe.source = OutlineSource::drawn;
  } else if (kind == "real") {
    recipe.source = OutlineSource::real;
  } else {
    throw std::runtime_error("the source is font, drawn or real, not \"" + kind + "\"");
  }
  std::map<std::string, std::string> fields;
  while (words >> word) {
    const auto equals = word.find('=');
    if (equals == std::string::npos || equals == 0) throw std::runtime_error("not key=value: " + word);
    fields[word.substr(0, equals)] = word.substr(equals + 1);
  }
  const auto take = [&](const char* key, bool required) -> std::string {
    const auto found = fields.find(key);
    if (found == fields.end()) {
      if (required) throw std::runtime_error(std::string("no ") + key + "=");
      return {};
    }
    std::string value = found->second;
    fields.erase(found);
    return value;
  };
  const auto file = [&] {
    const std::filesystem::path given = take("file", true);
    return given.is_absolute() ? given : folder / given;
  };
  recipe.height = number_in("height", take("height", true));
  if (!(recipe.height > 0)) throw std::runtime_error("height must be positive");
  if (recipe.source == OutlineSource::font) {
    recipe.file = file();
    recipe.horizontal_scale = number_in("scale", take("scale", true));
    if (const std::string e = take("embolden", false); !e.empty()) recipe.embolden = number_in("embolden", e);
  } else if (recipe.source == OutlineSource::drawn) {
    if (const std::string s = take("scale", false); !s.empty())
      recipe.horizontal_scale = number_in("scale", s);
    if (const std::string s = take("stroke", false); !s.empty()) recipe.stroke_mm = number_in("stroke", s);
  } else {
    recipe.file = file();
    recipe.source_id = take("source", true);
  }
  if (!fields.empty()) throw std::runtime_error("unknown field " + fields.begin()->first + "=");
  return recipe;
}

std::string number_text(double value) {
  std::ostringstream text;
  text << value;
  return text.str();
}

}  // namespace

std::filesystem::path shipped_recipe_file() {
  return std::filesystem::path(PLATE_SOURCE_DIR) / "data" / "EBMPlog00.recipe";
}

TemplateRecipe read_recipe(const std::filesystem::path& path) {
  std::ifstream file(path);
  if (!file) throw std::runtime_error("cannot open recipe " + path.string());
  TemplateRecipe recipe{};
  std::size_t count = 0;
  std::string seen;
  std::string line;
  for (int number = 1; std::getline(file, line); ++number) {
    if (const auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    try {
      const DigitRecipe digit = parse_line(line, path.parent_path());
      if (seen.find(digit.digit) != std::string::npos)
        throw std::runtime_error("a second line for this digit");
      if (count == recipe.size()) throw std::runtime_error("more than ten templates");
      seen += digit.digit;
      recipe[count++] = digit;
    } catch (const std::exception& error) {
      throw std::runtime_error(path.string() + ":" + std::to_string(number) + ": " + error.what());
    }
  }
  if (count != recipe.size()) throw std::runtime_error(path.string() + ": fewer than ten templates");
  return recipe;
}

std::string recipe_line(const DigitRecipe& recipe) {
  std::string line(1, recipe.digit);
  switch (recipe.source) {
    case OutlineSource::font:
      line += " font file=" + recipe.file.string() + " scale=" + number_text(recipe.horizontal_scale);
      if (recipe.embolden > 0) line += " embolden=" + number_text(recipe.embolden);
      break;
    case OutlineSource::drawn:
      line += " drawn";
      if (recipe.horizontal_scale != 1.0) line += " scale=" + number_text(recipe.horizontal_scale);
      if (recipe.stroke_mm != kPlateStrokeMm) line += " stroke=" + number_text(recipe.stroke_mm);
      break;
    case OutlineSource::real:
      line += " real file=" + recipe.file.string() + " source=" + recipe.source_id;
      break;
  }
  return line + " height=" + number_text(recipe.height);
}

std::vector<std::filesystem::path> files_needed(const TemplateRecipe& recipe) {
  std::vector<std::filesystem::path> files;
  for (const DigitRecipe& digit : recipe)
    if (digit.source != OutlineSource::drawn) files.push_back(digit.file);
  return files;
}

InkBox stamp_digit(Plane& picture, const GlyphBitmap& glyph, int x_left, int y_bottom) {
  const int y_top = y_bottom + glyph.height - 1;
  stamp_glyph(picture, glyph, x_left, y_top, kInkLevel);
  return {x_left, x_left + glyph.width - 1, y_bottom, y_top};
}

GlyphBitmap recipe_glyph(const DigitRecipe& recipe) {
  switch (recipe.source) {
    case OutlineSource::font:
      return GlyphRasterizer(recipe.file)
          .render(static_cast<char32_t>(recipe.digit), recipe.height, HeightBasis::ink,
                  recipe.horizontal_scale, recipe.embolden);
    case OutlineSource::drawn:
      return render_plate_digit(recipe.digit, recipe.height, recipe.horizontal_scale, recipe.stroke_mm);
    case OutlineSource::real:
      break;
  }
  throw std::invalid_argument("a real outline has no glyph");
}

ShapeRecord trace_glyph(Workspace& workspace, const GlyphBitmap& glyph, char digit) {
  workspace.display.fill(kPaperLevel);
  stamp_digit(workspace.display, glyph, kSampleLeft, kSampleBottom);
  run_recognition(workspace);
  if (workspace.candidates.count != 1) {
    std::ostringstream what;
    what << "digit " << digit << " " << glyph.width << " x " << glyph.height << " px gave "
         << workspace.candidates.count << " candidates instead of one";
    throw std::runtime_error(what.str());
  }
  ShapeRecord record = without_leftovers(workspace.candidates.records[0]);
  record.character = static_cast<std::uint8_t>(digit);
  return record;
}

ShapeRecord template_from_candidate(const DigitCandidate& candidate) {
  ShapeRecord record = without_leftovers(candidate.record);
  record.character = static_cast<std::uint8_t>(candidate.digit);
  return record;
}

ShapeRecord make_template(Workspace& workspace, const DigitRecipe& recipe,
                          const std::vector<DigitCandidate>* candidates) {
  if (recipe.source != OutlineSource::real) return trace_glyph(workspace, recipe_glyph(recipe), recipe.digit);
  std::vector<DigitCandidate> read;
  if (candidates == nullptr) {
    read = read_candidate_file(recipe.file);
    candidates = &read;
  }
  const DigitCandidate* found = nullptr;
  for (const DigitCandidate& candidate : *candidates) {
    if (candidate.source != recipe.source_id || candidate.height != static_cast<int>(recipe.height)) continue;
    if (found != nullptr)
      throw std::runtime_error("real digit " + recipe.source_id + " left more than one candidate at " +
                               number_text(recipe.height) + " px");
    found = &candidate;
  }
  if (found == nullptr)
    throw std::runtime_error("no candidate of real digit " + recipe.source_id + " at " +
                             number_text(recipe.height) + " px in " + recipe.file.string());
  if (found->digit != recipe.digit)
    throw std::runtime_error("real digit " + recipe.source_id + " shows another digit");
  return template_from_candidate(*found);
}

TemplateTable make_templates(Workspace& workspace, const TemplateRecipe& recipe) {
  std::map<std::filesystem::path, std::vector<DigitCandidate>> candidate_files;  // each read once
  TemplateTable templates{};
  for (std::size_t k = 0; k < templates.size(); ++k) {
    const std::vector<DigitCandidate>* candidates = nullptr;
    if (recipe[k].source == OutlineSource::real) {
      auto [file, added] = candidate_files.try_emplace(recipe[k].file);
      if (added) file->second = read_candidate_file(recipe[k].file);
      candidates = &file->second;
    }
    templates[k] = make_template(workspace, recipe[k], candidates);
  }
  return templates;
}

void write_pattern_file(const std::filesystem::path& path, const TemplateTable& templates) {
  static_assert(sizeof(TemplateTable) == kPatternFileBytes);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(templates.data()),
             static_cast<std::streamsize>(kPatternFileBytes));
  file.close();
  if (!file) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace plate::tools
