// digit-sheets: sheets of the renderer's digits, to check real-shape-score against plate-read.
//   digit-sheets draw OUTDIR [--blur SIGMA] [--noise SIGMA] [--seed N]
//       writes OUTDIR/sheet-NN.bmp, OUTDIR/cells.tsv (where each digit lies) and
//       OUTDIR/candidates.jsonl (every candidate a run keeps in a digit's cell, as the real digits
//       are given: real-shape-score FILE.pat OUTDIR/candidates.jsonl scores them)
//   digit-sheets score-run OUTDIR RUN.jsonl
//       the figures of `plate-read --json --candidates --patterns FILE.pat OUTDIR/sheet-*.bmp`,
//       whose output RUN.jsonl holds ('-' for standard input); the same as real-shape-score's

#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>

#include "digit_sheets.h"
#include "engine/workspace.h"
#include "image/bitmap_writer.h"

namespace {

using namespace plate;
namespace fs = std::filesystem;

constexpr std::string_view kUsage =
    "usage: digit-sheets draw OUTDIR [--blur SIGMA] [--noise SIGMA] [--seed N]\n"
    "       digit-sheets score-run OUTDIR RUN.jsonl\n";

std::string sheet_name(const fs::path& folder, int sheet) {
  char name[32];
  std::snprintf(name, sizeof name, "sheet-%02d.bmp", sheet);
  return (folder / name).string();
}

double number(std::string_view text) {
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size() || !(value >= 0))
    throw std::invalid_argument("not a number: " + std::string(text));
  return value;
}

int draw(const fs::path& folder, double blur, double noise, std::uint64_t seed) {
  fs::create_directories(folder);
  const tools::DigitSheets sheets =
      tools::lay_out(tools::renderer_digits(tools::default_sheet_fonts()), blur, noise, seed);
  auto workspace = std::make_unique<Workspace>();
  std::ofstream candidates(folder / "candidates.jsonl");
  for (int sheet = 0; sheet < sheets.sheet_count(); ++sheet) {
    for (const tools::DigitCandidate& c : tools::trace_sheet(*workspace, sheets, sheet))
      candidates << tools::candidate_line(c) << '\n';
    if (!write_bitmap(sheet_name(folder, sheet), workspace->display, kFrameWidth, kFrameHeight))
      throw std::runtime_error("cannot write " + sheet_name(folder, sheet));
  }
  std::ofstream cells(folder / "cells.tsv");
  tools::write_cells(cells, sheets);
  if (!candidates || !cells) throw std::runtime_error("cannot write into " + folder.string());
  std::cout << sheets.digits.size() << " digits on " << sheets.sheet_count() << " sheets in "
            << folder.string() << '\n';
  return EXIT_SUCCESS;
}

int score_run(const fs::path& folder, const std::string& run_file) {
  std::ifstream cells(folder / "cells.tsv");
  if (!cells) throw std::runtime_error("cannot read " + (folder / "cells.tsv").string());
  const tools::DigitSheets sheets = tools::read_cells(cells);
  std::vector<std::string> files;
  for (int sheet = 0; sheet < sheets.sheet_count(); ++sheet) files.push_back(sheet_name(folder, sheet));
  std::ifstream file;
  if (run_file != "-") {
    file.open(run_file);
    if (!file) throw std::runtime_error("cannot read " + run_file);
  }
  std::istream& run = run_file == "-" ? std::cin : file;
  tools::print_digit_score(std::cout, tools::score_run_output(sheets, run, files));
  return EXIT_SUCCESS;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string_view mode = argc > 1 ? argv[1] : "";
  try {
    if (mode == "draw" && argc >= 3 && argc % 2 == 1) {
      double blur = 0.8, noise = 3.0;
      std::uint64_t seed = 1;
      for (int k = 3; k + 1 < argc; k += 2) {
        const std::string_view option = argv[k];
        if (option == "--blur") {
          blur = number(argv[k + 1]);
        } else if (option == "--noise") {
          noise = number(argv[k + 1]);
        } else if (option == "--seed") {
          seed = static_cast<std::uint64_t>(number(argv[k + 1]));
        } else {
          std::cerr << kUsage;
          return 2;
        }
      }
      return draw(argv[2], blur, noise, seed);
    }
    if (mode == "score-run" && argc == 4) return score_run(argv[2], argv[3]);
  } catch (const std::exception& error) {
    std::cerr << "digit-sheets: " << error.what() << '\n';
    return EXIT_FAILURE;
  }
  std::cerr << kUsage;
  return 2;
}
