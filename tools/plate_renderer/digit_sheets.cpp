// Sheets of single digits: layout, painting, tracing, and reading a run's output over them.
//
// A cell is 100 px wide and one and a half digit heights plus 16 px tall, so neighbouring digits
// never touch, even blurred; the digit sits in its middle. The whole sheet has one paper level:
// cells of their own paper would meet in steps that the seed scan traces as large dark boxes,
// which would then be the largest candidate of a cell.

#include "digit_sheets.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <stdexcept>

#include "engine/matching.h"
#include "engine/recognition.h"
#include "picture_effects.h"
#include "rgb_canvas.h"
#include "tools/digit_shapes.h"
#include "tools/json_value.h"
#include "tools/plate_digit_outline.h"

namespace plate::tools {

namespace {

constexpr int kCellWidth = 100;
constexpr int kLeft = 12;
constexpr int kMargin = 4;  // above the first row and below the last
constexpr int kPerRow = 10;
constexpr std::uint64_t kNoiseStream = 0x7368656574u;

int cell_height(int digit_height) {
  return digit_height * 3 / 2 + 16;
}

std::uint8_t paper_level(int sheet) {
  return static_cast<std::uint8_t>(170 + (sheet * 37) % 81);
}

}  // namespace

DigitSheets lay_out(std::vector<SheetDigit> digits, double blur_sigma_px, double noise_sigma,
                    std::uint64_t seed) {
  DigitSheets sheets;
  sheets.blur_sigma_px = blur_sigma_px;
  sheets.noise_sigma = noise_sigma;
  sheets.seed = seed;
  int sheet = -1, slot = 0, rows = 0, height = -1;
  for (const SheetDigit& digit : digits) {
    const int cell_h = cell_height(digit.height);
    if (digit.height != height || slot == rows * kPerRow) {
      ++sheet;
      slot = 0;
      height = digit.height;
      rows = (kFrameHeight - 2 * kMargin) / cell_h;
      if (rows < 1) throw std::invalid_argument("a digit too tall for a sheet");
      sheets.paper.push_back(paper_level(sheet));
    }
    if (digit.glyph.width > kCellWidth - 8 || digit.glyph.height > cell_h - 8)
      throw std::invalid_argument("a glyph larger than its cell");
    const int top = kFrameHeight - 1 - kMargin - (slot / kPerRow) * cell_h;  // plane row of the cell's top
    const int left = kLeft + (slot % kPerRow) * kCellWidth;
    sheets.cells.push_back({sheet, left, left + kCellWidth - 1, top - cell_h + 1, top});
    ++slot;
  }
  sheets.digits = std::move(digits);
  return sheets;
}

std::vector<std::string> default_sheet_fonts() {  // fonts-dejavu-core, which the setup installs
  return {"/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
          "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf"};
}

std::vector<SheetDigit> renderer_digits(const std::vector<std::string>& fonts) {
  const DigitShapes shipped = DigitShapes::shipped();
  std::vector<GlyphRasterizer> faces;
  std::vector<std::string> face_names;
  for (const std::string& file : fonts) {
    if (!std::filesystem::exists(file)) continue;
    faces.emplace_back(file);
    face_names.push_back(std::filesystem::path(file).stem().string());
  }
  constexpr std::uint8_t kInks[] = {10, 45, 80, 110, 25, 60, 95};
  std::vector<SheetDigit> digits;
  for (const int height : {30, 45, 60, 90}) {
    for (int d = 0; d < 10; ++d) {
      const char digit = char('0' + d);
      int variant = 0;
      const auto add = [&](GlyphBitmap glyph, const std::string& note) {
        char source[16];
        std::snprintf(source, sizeof source, "%c-%04d", digit, variant);
        digits.push_back({digit, source, height, std::move(glyph), kInks[variant % 7], note});
        ++variant;
      };
      for (const double width : {1.0, 0.85, 1.15})
        add(shipped.render(digit, height, width),
            "shipped shape, width " + std::to_string(width).substr(0, 4));
      for (const double stroke : {9.0, 15.0})
        add(render_plate_digit(digit, height, 1.0, stroke),
            "drawn, " + std::to_string(int(stroke)) + " mm strokes");
      for (std::size_t f = 0; f < faces.size(); ++f) {
        // Squeezed so that its '0' is half as wide as tall, as in the plate's 40 x 80 mm cell.
        const double scale = height / 2.0 / faces[f].render(U'0', height, HeightBasis::ink).width;
        add(faces[f].render(char32_t(digit), height, HeightBasis::ink, scale), face_names[f]);
      }
    }
  }
  return digits;
}

void paint_sheet(const DigitSheets& sheets, int sheet, Plane& frame) {
  const std::uint8_t paper = sheets.paper.at(std::size_t(sheet));
  RgbCanvas canvas(kFrameWidth, kFrameHeight, {paper, paper, paper});
  for (std::size_t k = 0; k < sheets.digits.size(); ++k) {
    const SheetCell& cell = sheets.cells[k];
    if (cell.sheet != sheet) continue;
    const SheetDigit& digit = sheets.digits[k];
    const int left = (cell.x_min + cell.x_max + 1 - digit.glyph.width) / 2;
    const int top_row =
        kFrameHeight - 1 - (cell.y_min + cell.y_max + 1 + digit.glyph.height) / 2;  // canvas rows
    const Rgb ink{digit.ink, digit.ink, digit.ink};
    for (int row = 0; row < digit.glyph.height; ++row)
      for (int column = 0; column < digit.glyph.width; ++column)
        canvas.blend(left + column, top_row + row, ink, digit.glyph.at(column, row));
  }
  blur(canvas, sheets.blur_sigma_px);
  add_noise(canvas, sheets.noise_sigma, (sheets.seed * 1000 + std::uint64_t(sheet)) ^ kNoiseStream);
  place_in_frame(canvas, frame);
}

int cell_of(const DigitSheets& sheets, int sheet, int x_min, int x_max, int y_min, int y_max) {
  const int x2 = x_min + x_max, y2 = y_min + y_max;  // twice the centre
  for (std::size_t k = 0; k < sheets.cells.size(); ++k) {
    const SheetCell& cell = sheets.cells[k];
    if (cell.sheet == sheet && x2 >= 2 * cell.x_min && x2 <= 2 * cell.x_max && y2 >= 2 * cell.y_min &&
        y2 <= 2 * cell.y_max)
      return int(k);
  }
  return -1;
}

std::vector<DigitCandidate> trace_sheet(Workspace& workspace, const DigitSheets& sheets, int sheet) {
  paint_sheet(sheets, sheet, workspace.display);
  run_recognition(workspace);
  std::vector<DigitCandidate> traced;
  for (int c = 0; c < workspace.candidates.count; ++c) {
    const ShapeRecord& record = workspace.candidates.records[std::size_t(c)];
    const int k = cell_of(sheets, sheet, record.x_min, record.x_max, record.y_min, record.y_max);
    if (k < 0) continue;
    const SheetDigit& digit = sheets.digits[std::size_t(k)];
    DigitCandidate candidate{digit.digit, digit.source, digit.height, record, 0};
    // The 0/8 check's verdict here: what it makes of a '0' and of an '8'; it leaves both when it
    // cannot measure the contrast.
    ShapeRecord probe = record;
    probe.character = '0';
    check_zero_eight(workspace.contrast, workspace.picture(), probe);
    const std::uint8_t from_zero = probe.character;
    probe.character = '8';
    check_zero_eight(workspace.contrast, workspace.picture(), probe);
    if (from_zero == '8')
      candidate.zero_eight = '8';
    else if (probe.character == '0')
      candidate.zero_eight = '0';
    candidate.record.character = 0;
    traced.push_back(std::move(candidate));
  }
  return traced;
}

DigitSample sample_of(const SheetDigit& digit) {
  return {digit.digit, digit.source, digit.height, {}};
}

DigitScore score_run_output(const DigitSheets& sheets, std::istream& run,
                            const std::vector<std::string>& files) {
  struct Best {
    std::int64_t area = 0;
    char read = 0;
  };
  std::vector<Best> best(sheets.digits.size());
  std::vector<bool> seen(std::size_t(sheets.sheet_count()), false);
  std::string line;
  for (int number = 1; std::getline(run, line); ++number) {
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    try {
      const JsonValue result = parse_json(line);
      const auto file = std::find(files.begin(), files.end(), result.at("file").string());
      if (file == files.end()) throw std::runtime_error("names no sheet");
      const int sheet = int(file - files.begin());
      seen.at(std::size_t(sheet)) = true;
      for (const JsonValue& candidate : result.at("candidates").array()) {
        const JsonValue& character = candidate.at("character");
        if (character.is_null()) continue;
        const int x_min = candidate.at("x_min").integer(), x_max = candidate.at("x_max").integer();
        const int y_min = candidate.at("y_min").integer(), y_max = candidate.at("y_max").integer();
        const int k = cell_of(sheets, sheet, x_min, x_max, y_min, y_max);
        if (k < 0) continue;
        const std::int64_t area = std::int64_t{x_max - x_min + 1} * (y_max - y_min + 1);
        if (area > best[std::size_t(k)].area) best[std::size_t(k)] = {area, character.string().at(0)};
      }
    } catch (const std::exception& error) {
      throw std::runtime_error("line " + std::to_string(number) + " of the run's output: " + error.what());
    }
  }
  if (std::find(seen.begin(), seen.end(), false) != seen.end())
    throw std::runtime_error("the run's output lacks a sheet");
  DigitScore score;
  for (std::size_t k = 0; k < sheets.digits.size(); ++k) score.add(sample_of(sheets.digits[k]), best[k].read);
  return score;
}

void write_cells(std::ostream& out, const DigitSheets& sheets) {
  out << "sheet\tdigit\tsource\theight\tx_min\tx_max\ty_min\ty_max\tink\tpaper\tnote\n";
  for (std::size_t k = 0; k < sheets.digits.size(); ++k) {
    const SheetDigit& d = sheets.digits[k];
    const SheetCell& c = sheets.cells[k];
    out << c.sheet << '\t' << d.digit << '\t' << d.source << '\t' << d.height << '\t' << c.x_min << '\t'
        << c.x_max << '\t' << c.y_min << '\t' << c.y_max << '\t' << int(d.ink) << '\t'
        << int(sheets.paper[std::size_t(c.sheet)]) << '\t' << d.note << '\n';
  }
}

DigitSheets read_cells(std::istream& in) {
  DigitSheets sheets;
  std::string line;
  std::getline(in, line);  // the header
  for (int number = 2; std::getline(in, line); ++number) {
    if (line.empty()) continue;
    std::istringstream fields(line);
    SheetDigit digit;
    SheetCell cell;
    int ink = 0, paper = 0;
    std::string digit_text;
    if (!(fields >> cell.sheet >> digit_text >> digit.source >> digit.height >> cell.x_min >> cell.x_max >>
          cell.y_min >> cell.y_max >> ink >> paper) ||
        digit_text.size() != 1 || cell.sheet < 0 || cell.sheet > 10000)
      throw std::runtime_error("cells line " + std::to_string(number) + " is not a cell");
    std::getline(fields >> std::ws, digit.note);
    digit.digit = digit_text[0];
    digit.ink = static_cast<std::uint8_t>(ink);
    if (std::size_t(cell.sheet) >= sheets.paper.size()) sheets.paper.resize(std::size_t(cell.sheet) + 1);
    sheets.paper[std::size_t(cell.sheet)] = static_cast<std::uint8_t>(paper);
    sheets.digits.push_back(std::move(digit));
    sheets.cells.push_back(cell);
  }
  return sheets;
}

}  // namespace plate::tools
