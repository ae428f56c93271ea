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

class StderrMessages final : public MessageService {
 public:
  void show_message(std::string_view text) override { std::cerr << text << '\n'; }
};

// The table as the engine would load it, with a note when the file is not ten whole records.
bool load(const std::filesystem::path& path, TemplateTable& templates) {
  StderrMessages messages;
  if (!load_templates(templates, messages, path)) {
    std::cerr << "make-patterns: cannot open " << path.string() << '\n';
    return false;
  }
  const auto size = std::filesystem::file_size(path);
  if (size != kPatternFileBytes) {
    std::cerr << path.string() << " has " << size << " bytes instead of " << kPatternFileBytes
              << "; the engine reads it as far as it reaches, up to that size\n";
  }
  return true;
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
