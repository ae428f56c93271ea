// real-shape-score: how a pattern file's templates read real plate digits, as a run reads them:
// every candidate the run kept of a digit is matched by the engine's own matcher, a 0/8 pick takes
// the 0/8 check's recorded verdict, and the largest candidate with a pick decides (real_shapes.h).
//   usage: real-shape-score FILE.pat [CANDIDATES.jsonl] [--half first|second]

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
    "usage: real-shape-score FILE.pat [CANDIDATES.jsonl] [--half first|second]\n"
    "  reads the real plate digits of CANDIDATES.jsonl (default: the shared dev-candidates.jsonl)\n"
    "  with FILE.pat's templates as a run reads them; --half keeps one of the two halves of the\n"
    "  sources that template-experiment chooses on and checks on\n";

}  // namespace

int main(int argc, char** argv) {
  std::filesystem::path patterns, candidates_file = tools::default_candidate_file();
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
      candidates_file = argument;
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
    const auto candidates = tools::read_candidate_file(candidates_file);
    const auto samples = tools::digit_samples(candidates);
    const auto chosen = tools::half_of(samples, half);
    std::cout << patterns.string() << " on " << chosen.size() << " digits at their heights ("
              << candidates.size() << " candidates) of " << candidates_file.string() << "\n";
    tools::print_digit_score(std::cout, tools::score_samples(*templates, chosen));
  } catch (const std::exception& error) {
    std::cerr << "real-shape-score: " << error.what() << '\n';
    return EXIT_FAILURE;
  }
  return EXIT_SUCCESS;
}
