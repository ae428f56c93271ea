#include "overlay_targets.h"

#include <map>

#include "file_identity.h"
#include "input_list.h"
#include "name_escape.h"
#include "overlay_picture.h"
#ifdef PLATE_READ_PICTURES
#include "image/picture_format.h"
#endif

namespace plate::cli {

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

#ifdef PLATE_READ_PICTURES
constexpr const char* kOverlayNames = "an overlay is written as PNG or BMP: name it .png or .bmp";

// A bitmap's overlay stays a bitmap, as it has always been; a photo's is a PNG, a fraction of the
// size a bitmap of its full size would take.
std::string_view overlay_suffix(const std::filesystem::path& input) {
  return format_named_by(input) == PictureFormat::bmp ? "-overlay.bmp" : "-overlay.png";
}
#else
constexpr const char* kOverlayNames = "an overlay is written as a BMP: name it .bmp";

std::string_view overlay_suffix(const std::filesystem::path&) {
  return "-overlay.bmp";
}
#endif

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
      targets.usage_error = "--overlay " + shown(*options.overlay_file) + ": " + kOverlayNames;
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
