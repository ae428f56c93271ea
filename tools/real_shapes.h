#pragma once
// Outlines of real plate digits, measured as the engine sees them (one JSON object a line: the
// digit, which photographed digit it came from, the height it was drawn at, and the traced
// record's fields), and how a pattern file's templates read them.

#include <array>
#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "engine/template_file.h"

namespace plate::tools {

struct LabelledShape {
  char digit = 0;      // '0'..'9', what the plate shows
  std::string source;  // the photographed digit; several heights of one digit share it
  int height = 0;      // px
  ShapeRecord record{};
};

// Reads a shape file. Throws std::runtime_error naming the line when a line is not such an object,
// holds more than 1024 points, or a record the matcher cannot compare.
std::vector<LabelledShape> read_shape_file(const std::filesystem::path& path);

// The real shapes shared beside the project, when the project sits where it is developed.
std::filesystem::path default_shape_file();

// Which half of the sources a shape belongs to: the sources alternate between the two halves in
// sorted order, so both halves hold every digit and all heights of one source stay together.
enum class Half { first, second, both };
std::vector<const LabelledShape*> half_of(const std::vector<LabelledShape>& shapes, Half half);

// What the matcher makes of one shape. A '0' read as '8' or an '8' read as '0' counts as right:
// the middle-column check that settles the two needs the picture, which a shape file lacks.
enum class Outcome { right, wrong, unread };

struct Counts {
  int right = 0, wrong = 0, unread = 0;
  int total() const { return right + wrong + unread; }
  // One wrong digit costs as much as three unread ones: a wrong plate is worse than no plate.
  int score() const { return right - 3 * wrong; }
  void add(Outcome outcome);
  void add(const Counts& other);
};

inline constexpr int kReadNothing = 10;  // confusion column of unread shapes

struct ShapeScore {
  Counts all;
  std::array<Counts, 10> by_digit{};
  std::map<int, Counts> by_height;
  std::array<std::array<int, 11>, 10> confusion{};  // [digit shown][digit read or kReadNothing]
};

// The character the engine's matcher gives `shape` against `templates`, 0 when none. The one
// place where the tools call into the matcher.
char matched_character(const TemplateTable& templates, const ShapeRecord& shape);

Outcome outcome_of(char shown, char read);

ShapeScore score_shapes(const TemplateTable& templates, const std::vector<const LabelledShape*>& shapes);

// Right, wrong and unread by digit and by height, the confusion pairs, and the score.
void print_shape_score(std::ostream& out, const ShapeScore& score);

}  // namespace plate::tools
