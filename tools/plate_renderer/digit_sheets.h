#pragma once
// Sheets of single digits, laid out as the real plate digits were measured
// (../shared/real-digits/README.md): 1024 x 768 sheets, one digit height a sheet, ten digits to a
// row, each digit in its own grey levels. A sheet is read two ways, which must agree:
//   * traced: a run's seed scan over the sheet, every candidate kept inside a digit's cell written
//     as a line of a candidates file with the 0/8 check's verdict at its place, then scored by
//     real-shape-score (tools/real_shapes.h);
//   * run: `plate-read --json --candidates` over the sheet's bitmap, each digit read as the largest
//     candidate in its cell that got a character.
// So the scorer that chooses the templates is checked against the reader that uses them.

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "engine/plane.h"
#include "engine/workspace.h"
#include "tools/glyph_raster.h"
#include "tools/real_shapes.h"

namespace plate::tools {

struct SheetDigit {
  char digit = '0';
  std::string source;  // "D-NNNN", numbered from 0000 for each digit (real_shapes.h, digit_samples)
  int height = 0;      // the sheet height it is laid out at, px
  GlyphBitmap glyph;   // its ink, about `height` tall
  std::uint8_t ink = 0;
  std::string note;  // what it is, for people
};

// Where a digit lies: plane coordinates (y up), inclusive.
struct SheetCell {
  int sheet = 0;
  int x_min = 0, x_max = 0, y_min = 0, y_max = 0;
};

struct DigitSheets {
  std::vector<SheetDigit> digits;
  std::vector<SheetCell> cells;     // one per digit
  std::vector<std::uint8_t> paper;  // the paper level of each sheet
  double blur_sigma_px = 0.0;
  double noise_sigma = 0.0;
  std::uint64_t seed = 1;
  int sheet_count() const { return int(paper.size()); }
};

// Lays the digits out in their order, a new sheet where the height changes or a sheet is full.
// Each sheet gets a paper level of its own, from 170 to 250. Throws std::invalid_argument for a
// glyph larger than its cell.
DigitSheets lay_out(std::vector<SheetDigit> digits, double blur_sigma_px, double noise_sigma,
                    std::uint64_t seed = 1);

// The renderer's digits in several forms, at 30, 45, 60 and 90 px: each digit as the shipped
// templates have it at three widths, in the plate's construction with thin and thick strokes, and in
// the typefaces of `fonts` that exist, each with an ink level of its own. Blurred and noisy,
// some are misread, some unread and some are cut in pieces, so a comparison means something.
std::vector<SheetDigit> renderer_digits(const std::vector<std::string>& fonts);
// Typefaces unlike the plate's, for renderer_digits.
std::vector<std::string> default_sheet_fonts();

// Paints sheet `sheet` into `frame` as the bitmap reader would load a 1024 x 768 bitmap of it.
void paint_sheet(const DigitSheets& sheets, int sheet, Plane& frame);

// The digit whose cell on `sheet` holds the centre of the box, or -1.
int cell_of(const DigitSheets& sheets, int sheet, int x_min, int x_max, int y_min, int y_max);

// Paints `sheet` into workspace.display, runs over it and returns every stored candidate inside a
// digit's cell, in table order, with what the 0/8 check makes of a '0' or '8' pick at its place.
std::vector<DigitCandidate> trace_sheet(Workspace& workspace, const DigitSheets& sheets, int sheet);

// Every digit of the sheets as a sample without candidates, for scores of other readers.
DigitSample sample_of(const SheetDigit& digit);

// The figures of `plate-read --json --candidates` over the sheets: `run` holds its output lines,
// `files[k]` the name it was given for sheet k. Throws std::runtime_error for a line that is not
// such a result or names no sheet.
DigitScore score_run_output(const DigitSheets& sheets, std::istream& run,
                            const std::vector<std::string>& files);

// The layout as a table (sheet, digit, source, height, box, ink, note), and read back; the cells
// file lets a run's output be scored later. Glyphs are not kept: a sheet read back cannot be painted.
void write_cells(std::ostream& out, const DigitSheets& sheets);
DigitSheets read_cells(std::istream& in);

}  // namespace plate::tools
