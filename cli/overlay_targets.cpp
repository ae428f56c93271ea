#include "overlay_targets.h"

#include <map>

#include "file_identity.h"
#include "reader/names.h"
#include "reader/overlay_file.h"

namespace plate::cli {

using reader::display_name;
using reader::escaped_name;
using reader::overlay_format_named_by;
using reader::overlay_suffix;

namespace {

std::string shown(const std::filesystem::path& path) {
  return escaped_name(display_name(path));
}

// Inputs by the file they name, so that no spelling ("./d/../d/x.bmp", a link) hides that an
// output would replace one.
class InputFiles {
 public:
  explicit InputFiles(const std::vector<std::filesystem::path>& files) : files_(files) {
    for (std::size_t i = 0; i < files.size(); ++i)
      if (const std::optional<FileIdentity> identity = identity_of(files[i]))
        by_identity_.emplace(*identity, i);
  }

  // The problem when `target` is one of the inputs, else empty.
  std::string overwritten_by(const std::filesystem::path& target, std::string_view option) const {
    const std::optional<FileIdentity> identity = identity_of(target);
    if (!identity) return {};
    const auto input = by_identity_.find(*identity);
    if (input == by_identity_.end()) return {};
    return std::string(option) + " would write the overlay " + shown(target) + " over the input " +
           shown(files_[input->second]);
  }

 private:
  const std::vector<std::filesystem::path>& files_;
  std::map<FileIdentity, std::size_t> by_identity_;
};

}  // namespace

OverlayTargets plan_overlay_targets(const std::vector<std::filesystem::path>& files, const Options& options) {
  OverlayTargets targets;
  targets.paths.resize(files.size());
  const InputFiles inputs(files);
  if (options.overlay_file) {
    if (files.size() != 1) {
      targets.usage_error = "--overlay takes one input file, not " + std::to_string(files.size()) +
                            "; use --overlay-dir for several";
      return targets;
    }
    if (!overlay_format_named_by(*options.overlay_file)) {
      targets.usage_error =
          "--overlay " + shown(*options.overlay_file) + ": " + std::string(reader::overlay_names_rule());
      return targets;
    }
    targets.usage_error = inputs.overwritten_by(*options.overlay_file, "--overlay");
    targets.paths[0] = *options.overlay_file;
  }
  if (options.overlay_dir) {
    // Every target lies in the one directory: the same name is the same file, and so is an existing
    // file reached by two names (on a file system that ignores case).
    std::map<std::filesystem::path, std::size_t> first_by_name;
    std::map<FileIdentity, std::size_t> first_by_identity;
    for (std::size_t i = 0; i < files.size() && targets.usage_error.empty(); ++i) {
      std::filesystem::path target = *options.overlay_dir / files[i].stem();
      target += overlay_suffix(files[i]);
      std::optional<std::size_t> earlier;
      if (const auto [first, is_new] = first_by_name.emplace(target.filename(), i); !is_new) {
        earlier = first->second;
      } else if (const std::optional<FileIdentity> identity = identity_of(target)) {
        if (const auto [same, is_new_file] = first_by_identity.emplace(*identity, i); !is_new_file)
          earlier = same->second;
      }
      if (earlier) {
        targets.usage_error = shown(files[*earlier]) + " and " + shown(files[i]) +
                              " would both write the overlay " + shown(target);
      } else {
        targets.usage_error = inputs.overwritten_by(target, "--overlay-dir");
      }
      targets.paths[i] = std::move(target);
    }
  }
  return targets;
}

}  // namespace plate::cli
