#pragma once
// Real plate digits as a run finds them, and how a pattern file's templates read them, by the
// run's own rules.
//
// The candidates file (../shared/real-digits/dev-candidates.jsonl; tools/digit_sheets.h writes the
// same form) holds, one JSON object a line, every candidate that a run's seed scan kept inside a
// digit's cell of a sheet: the digit the plate shows, which photographed digit it is (`source`),
// the height it was drawn at, the stored record's fields, and what the 0/8 check makes of a '0' or
// '8' pick at that place (`zero_eight`: "0", "8", or null where the contrast check finds no two
// levels and the pick stands).
//
// A digit is read as a run reads it: every candidate of its source and height is matched against
// the ten templates by the matcher's own rules; a '0' or '8' pick becomes `zero_eight` where that
// is not null; the pick of the largest candidate (by box area) that got one decides. A 0/8 mix-up
// is wrong like any other. So the figures equal `plate-read --candidates` on the sheets, which
// tests/digit_sheets_test.cpp checks on sheets the renderer draws.

#include <array>
#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "engine/template_file.h"

namespace plate::tools {

struct DigitCandidate {
  char digit = 0;      // '0'..'9', what the plate shows
  std::string source;  // the photographed digit; several heights of one digit share it
  int height = 0;      // px
  ShapeRecord record{};
  char zero_eight = 0;  // '0' or '8': what the 0/8 check makes of such a pick here; 0: the pick stands
};

// Reads a candidates file. Throws std::runtime_error naming the line when a line is not such an
// object, holds more than 1024 points, or a record the matcher cannot compare.
std::vector<DigitCandidate> read_candidate_file(const std::filesystem::path& path);

// One line of a candidates file, without the line break; read_candidate_file reads it back.
std::string candidate_line(const DigitCandidate& candidate);

// The real digits shared beside the project, when the project sits where it is developed.
std::filesystem::path default_candidate_file();

// One digit at one height: its candidates, largest box first (file order among equal areas),
// which is the order in which they are asked for a pick.
struct DigitSample {
  char digit = 0;
  std::string source;
  int height = 0;
  std::vector<const DigitCandidate*> candidates;  // empty: the run kept nothing of it
};

// Every digit of the file at every height that occurs in it, in source and then height order.
// Notes:
//  1. A source seen at some heights but not at another left no candidate there: it is an unread
//     sample at that height, not a missing one.
//  2. Sources named D-NNNN (digit, number) are numbered from 0000 for each digit, as the shared
//     file numbers them; a number missing below the highest of its digit is a digit that left no
//     candidate at any height, unread at every height. So every height counts all 412 digits.
std::vector<DigitSample> digit_samples(const std::vector<DigitCandidate>& candidates);

// Which half of the sources a sample belongs to: the sources alternate between the two halves in
// sorted order, so both halves hold every digit and all heights of one source stay together.
enum class Half { first, second, both };
std::vector<const DigitSample*> half_of(const std::vector<DigitSample>& samples, Half half);

// The digit a run reads for `sample`, 0 when none, with `pick(candidate)` giving the matcher's
// digit for one candidate (0 when no template accepts it).
template <typename Pick>
char reading_by(const DigitSample& sample, Pick&& pick) {
  for (const DigitCandidate* candidate : sample.candidates) {
    const char picked = pick(*candidate);
    if (picked == 0) continue;
    if ((picked == '0' || picked == '8') && candidate->zero_eight != 0) return candidate->zero_eight;
    return picked;
  }
  return 0;
}

// The digit `templates` read for `sample`, through the engine's own matcher.
char reading_of(const TemplateTable& templates, const DigitSample& sample);

enum class Outcome { right, wrong, unread };
Outcome outcome_of(char shown, char read);

struct Counts {
  int right = 0, wrong = 0, unread = 0;
  int total() const { return right + wrong + unread; }
  // One wrong digit costs as much as three unread ones: a wrong plate is worse than no plate.
  int score() const { return right - 3 * wrong; }
  void add(Outcome outcome);
  void add(const Counts& other);
  friend bool operator==(const Counts&, const Counts&) = default;
};

inline constexpr int kReadNothing = 10;                 // confusion column of unread samples
using Confusion = std::array<std::array<int, 11>, 10>;  // [digit shown][digit read or kReadNothing]

struct DigitScore {
  Counts all;
  std::array<Counts, 10> by_digit{};
  std::map<int, Counts> by_height;
  std::map<int, Confusion> confusion_by_height;

  // Adds one sample's reading.
  void add(const DigitSample& sample, char read);
  friend bool operator==(const DigitScore&, const DigitScore&) = default;
};

DigitScore score_samples(const TemplateTable& templates, const std::vector<const DigitSample*>& samples);

// Right, wrong and unread by digit and by height, the confusion pairs of each height, and the score.
void print_digit_score(std::ostream& out, const DigitScore& score);

// "3->9 4, 9->7 2": the wrong readings of one confusion table, most frequent first.
std::string confusion_pairs(const Confusion& confusion);

}  // namespace plate::tools
