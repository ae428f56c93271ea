// make-patterns: writes a pattern file from its recipe, and shows any pattern file as a table or as
// an SVG drawing of its outlines and signatures.

#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string_view>

#include "engine/recognition.h"
#include "tools/pattern_maker.h"
#include "tools/pattern_maker_report.h"

namespace {

using namespace plate;

constexpr std::string_view kUsage =
    "usage: make-patterns write RECIPE OUT.pat  make the ten templates of RECIPE (data/EBMPlog00.recipe\n"
    "                                           for the shipped file) into OUT.pat\n"
    "       make-patterns table FILE.pat        print each record: character, points, box, proportion\n"
    "       make-patterns svg FILE.pat OUT.svg  draw each record's outline and smoothed signature\n";

// The table as the engine would load it, with a note when the file is not ten sound records.
bool load(const std::filesystem::path& path, TemplateTable& templates) {
  const TemplateLoadOutcome outcome = load_template_file(templates, path);
  switch (outcome.status) {
    case TemplateLoadStatus::missing:
    case TemplateLoadStatus::not_a_regular_file:
    case TemplateLoadStatus::unreadable:
      std::cerr << "make-patterns: cannot read " << path.string() << '\n';
      return false;
    case TemplateLoadStatus::wrong_size:
      std::cerr << path.string() << " has " << outcome.file_bytes << " bytes instead of " << kPatternFileBytes
                << "; the engine reads it as far as it reaches, up to that size\n";
      return true;
    case TemplateLoadStatus::bad_record:
      std::cerr << path.string() << ": record " << outcome.first_bad_record
                << " is no digit template; the engine empties it\n";
      return true;
    case TemplateLoadStatus::loaded:
      return true;
  }
  return false;
}

int write_patterns(const std::filesystem::path& recipe_file, const std::filesystem::path& out) {
  const tools::TemplateRecipe recipe = tools::read_recipe(recipe_file);
  auto workspace = std::make_unique<Workspace>();
  const TemplateTable templates = tools::make_templates(*workspace, recipe);
  tools::write_pattern_file(out, templates);
  std::cout << "wrote " << out.string() << " from " << recipe_file.string() << ":\n";
  for (const tools::DigitRecipe& digit : recipe) std::cout << "  " << tools::recipe_line(digit) << '\n';
  tools::print_template_table(std::cout, templates);
  return EXIT_SUCCESS;
}

int print_table(const std::filesystem::path& in) {
  auto templates = std::make_unique<TemplateTable>();
  if (!load(in, *templates)) return EXIT_FAILURE;
  tools::print_template_table(std::cout, *templates);
  return EXIT_SUCCESS;
}

int draw_signatures(const std::filesystem::path& in, const std::filesystem::path& out) {
  auto templates = std::make_unique<TemplateTable>();
  if (!load(in, *templates)) return EXIT_FAILURE;
  std::ofstream svg(out);
  tools::write_signature_svg(svg, *templates);
  svg.close();
  if (!svg) {
    std::cerr << "cannot write " << out.string() << '\n';
    return EXIT_FAILURE;
  }
  return EXIT_SUCCESS;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string_view mode = argc > 1 ? argv[1] : "";
  try {
    if (mode == "write" && argc == 4) return write_patterns(argv[2], argv[3]);
    if (mode == "table" && argc == 3) return print_table(argv[2]);
    if (mode == "svg" && argc == 4) return draw_signatures(argv[2], argv[3]);
  } catch (const std::exception& error) {
    std::cerr << "make-patterns: " << error.what() << '\n';
    return EXIT_FAILURE;
  }
  std::cerr << kUsage;
  return EXIT_FAILURE;
}
