// fuzz-replay: runs the fuzz targets over saved inputs, without libFuzzer, in any build. Run over
// fuzz/corpus by the tests, it keeps every fixed finding fixed; a libFuzzer program reproduces a
// single finding itself (fuzz_read_bitmap INPUT).
//
//   usage: fuzz-replay FOLDER...
// A FOLDER named after a target (fuzz/corpus/read_bitmap) holds that target's inputs; any other
// folder is searched for target folders.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include "fuzz_targets.h"

namespace {

namespace fs = std::filesystem;
using plate::fuzz::Target;

const Target* target_named(const fs::path& folder) {
  const auto& targets = plate::fuzz::kTargets;
  const auto found = std::find_if(targets.begin(), targets.end(),
                                  [&](const Target& t) { return t.name == folder.filename().string(); });
  return found == targets.end() || !fs::is_directory(folder) ? nullptr : &*found;
}

// Inputs in name order, so that a run is the same on every machine. Returns how many were run.
int replay_folder(const Target& target, const fs::path& folder) {
  std::vector<fs::path> inputs;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.is_regular_file()) inputs.push_back(entry.path());
  std::sort(inputs.begin(), inputs.end());
  for (const fs::path& input : inputs) {
    std::fprintf(stderr, "%s %s\n", std::string(target.name).c_str(), input.string().c_str());
    std::ifstream file(input, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    target.run(std::as_bytes(std::span(bytes)));
  }
  return static_cast<int>(inputs.size());
}

}  // namespace

int main(int argc, char** argv) {
  int replayed = 0;
  for (int i = 1; i < argc; ++i) {
    if (const Target* target = target_named(argv[i])) {
      replayed += replay_folder(*target, argv[i]);
    } else if (fs::is_directory(argv[i])) {
      for (const auto& entry : fs::directory_iterator(argv[i]))
        if (const Target* t = target_named(entry.path())) replayed += replay_folder(*t, entry.path());
    } else {
      std::fprintf(stderr, "fuzz-replay: %s is not a folder\nusage: fuzz-replay FOLDER...\n", argv[i]);
      return 2;
    }
  }
  std::printf("fuzz-replay: %d inputs, no rule broken\n", replayed);
  return replayed > 0 ? 0 : 1;
}
