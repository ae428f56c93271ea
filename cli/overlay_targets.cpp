#include "overlay_targets.h"

#include <map>

#include "input_list.h"

namespace plate::cli {

OverlayTargets plan_overlay_targets(const std::vector<std::filesystem::path>& files, const Options& options) {
  OverlayTargets targets;
  targets.paths.resize(files.size());
  if (options.overlay_file) {
    if (files.size() != 1) {
      targets.usage_error = "--overlay takes one input file, not " + std::to_string(files.size()) +
                            "; use --overlay-dir for several";
      return targets;
    }
    targets.paths[0] = *options.overlay_file;
  }
  if (options.overlay_dir) {
    std::map<std::filesystem::path, std::size_t> first_writer;
    for (std::size_t i = 0; i < files.size(); ++i) {
      std::filesystem::path target = *options.overlay_dir / files[i].stem();
      target += "-overlay.bmp";
      const auto [at, is_new] = first_writer.emplace(target, i);
      if (!is_new) {
        targets.usage_error = display_name(files[at->second]) + " and " + display_name(files[i]) +
                              " would both write the overlay " + display_name(target);
        return targets;
      }
      targets.paths[i] = std::move(target);
    }
  }
  return targets;
}

}  // namespace plate::cli
