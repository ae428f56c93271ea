#include "engine/run_plates.h"

#include <algorithm>
#include <cstring>

#include "engine/group_runs.h"

namespace plate {

std::int32_t vouching_distance(const MatchRecord& match) {
  return match.shown_template != kNoTemplate ? match.shown_distance : match.nearest_distance;
}

std::vector<RunPlate> plates_in_dialog_order(const RunResult& result) {
  std::vector<RunPlate> plates;
  for_each_group_run(result.characters, [&](const GroupRun& run) {
    if (run.group_id < 1 || run.group_id > kMaxGroupId) return;
    const GroupEntry& group = result.groups[static_cast<std::size_t>(run.group_id)];
    RunPlate plate;
    plate.group_id = run.group_id;
    plate.digit_count = group.digit_count;
    plate.frame = {group.x_min, group.x_max, group.y_min, group.y_max};
    // Up to the terminating zero, or all the bytes when none terminates them.
    plate.text.assign(group.text, strnlen(group.text, sizeof group.text));
    for (std::int32_t k = 0; k < run.entry_count; ++k) {
      const CharacterEntry& e = result.characters.entries[static_cast<std::size_t>(run.first_entry + k)];
      const MatchRecord& match = result.matches[static_cast<std::size_t>(e.candidate_index)];
      plate.characters.push_back({{e.x_min, e.x_max, e.y_min, e.y_max}, match});
      plate.worst_distance = std::max(plate.worst_distance, vouching_distance(match));
    }
    plates.push_back(std::move(plate));
  });
  return plates;
}

}  // namespace plate
