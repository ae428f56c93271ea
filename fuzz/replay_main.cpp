// fuzz-replay: runs the fuzz targets over saved inputs, without libFuzzer, in any build. Built
// with the sanitizers it reproduces a fuzzer's finding; run over fuzz/corpus by the tests, it
// keeps every fixed finding fixed.
//
//   usage: fuzz-replay PATH...
// A PATH named after a target (fuzz/corpus/read_bitmap) is a folder of that target's inputs, or
// one input in such a folder; any other folder is searched for target folders.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz_targets.h"

namespace {

namespace fs = std::filesystem;
using plate::fuzz::Target;

const Target* target_named(const std::string& name) {
  const auto& targets = plate::fuzz::kTargets;
  const auto found =
      std::find_if(targets.begin(), targets.end(), [&](const Target& t) { return t.name == name; });
  return found == targets.end() ? nullptr : &*found;
}

std::vector<std::byte> read_file(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::vector<std::byte> out(bytes.size());
  std::transform(bytes.begin(), bytes.end(), out.begin(), [](char c) { return static_cast<std::byte>(c); });
  return out;
}

// Inputs in name order, so that a run is the same on every machine. Returns how many were run.
int replay_folder(const Target& target, const fs::path& folder) {
  std::vector<fs::path> inputs;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.is_regular_file()) inputs.push_back(entry.path());
  }
  std::sort(inputs.begin(), inputs.end());
  for (const fs::path& input : inputs) {
    std::fprintf(stderr, "%s %s\n", std::string(target.name).c_str(), input.string().c_str());
    target.run(read_file(input));
  }
  return static_cast<int>(inputs.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: fuzz-replay PATH...\n");
    return 2;
  }
  int replayed = 0;
  for (int i = 1; i < argc; ++i) {
    const fs::path path = argv[i];
    if (const Target* target = target_named(path.filename().string()); target && fs::is_directory(path)) {
      replayed += replay_folder(*target, path);
    } else if (const Target* parent = target_named(path.parent_path().filename().string());
               parent && fs::is_regular_file(path)) {
      parent->run(read_file(path));
      ++replayed;
    } else if (fs::is_directory(path)) {
      for (const auto& entry : fs::directory_iterator(path)) {
        if (const Target* t = target_named(entry.path().filename().string()); t && entry.is_directory()) {
          replayed += replay_folder(*t, entry.path());
        }
      }
    } else {
      std::fprintf(stderr, "fuzz-replay: %s is neither a target's folder nor an input in one\n", argv[i]);
      return 2;
    }
  }
  std::printf("fuzz-replay: %d inputs, no rule broken\n", replayed);
  return replayed > 0 ? 0 : 1;
}
