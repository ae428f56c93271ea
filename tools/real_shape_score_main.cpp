// real-shape-score: how a pattern file's templates read outlines of real plate digits, with the
// engine's own matcher.
//   usage: real-shape-score FILE.pat [SHAPES.jsonl] [--half first|second]

#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string_view>

#include "engine/template_file.h"
#include "tools/real_shapes.h"

namespace {

using namespace plate;

constexpr std::string_view kUsage =
    "usage: real-shape-score FILE.pat [SHAPES.jsonl] [--half first|second]\n"
    "  scores FILE.pat's templates on real plate digit outlines (default: the shared dev file);\n"
    "  --half keeps one of the two halves of the sources that template-experiment uses\n";

}  // namespace

int main(int argc, char** argv) {
  std::filesystem::path patterns, shapes_file = tools::default_shape_file();
  tools::Half half = tools::Half::both;
  int positional = 0;
  for (int k = 1; k < argc; ++k) {
    const std::string_view argument = argv[k];
    if (argument == "--half" && k + 1 < argc) {
      const std::string_view which = argv[++k];
      if (which != "first" && which != "second") {
        std::cerr << kUsage;
        return EXIT_FAILURE;
      }
      half = which == "first" ? tools::Half::first : tools::Half::second;
    } else if (positional == 0 && !argument.starts_with("-")) {
      patterns = argument;
      ++positional;
    } else if (positional == 1 && !argument.starts_with("-")) {
      shapes_file = argument;
      ++positional;
    } else {
      std::cerr << kUsage;
      return EXIT_FAILURE;
    }
  }
  if (positional == 0) {
    std::cerr << kUsage;
    return EXIT_FAILURE;
  }
  try {
    auto templates = std::make_unique<TemplateTable>();
    if (!load_template_file(*templates, patterns).loaded()) {
      std::cerr << "real-shape-score: " << patterns.string()
                << " is not a pattern file of ten digit templates\n";
      return EXIT_FAILURE;
    }
    const auto shapes = tools::read_shape_file(shapes_file);
    const auto chosen = tools::half_of(shapes, half);
    std::cout << patterns.string() << " on " << chosen.size() << " outlines of " << shapes_file.string()
              << "\n";
    tools::print_shape_score(std::cout, tools::score_shapes(*templates, chosen));
  } catch (const std::exception& error) {
    std::cerr << "real-shape-score: " << error.what() << '\n';
    return EXIT_FAILURE;
  }
  return EXIT_SUCCESS;
}
