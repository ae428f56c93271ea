#include "present/plate_order.h"

namespace plate {

std::vector<GroupRun> plates_in_dialog_order(const CharacterList& characters) {
  std::vector<GroupRun> plates;
  for_each_group_run(characters, [&](const GroupRun& run) {
    if (run.group_id >= 1 && run.group_id <= kMaxGroupId) plates.push_back(run);
  });
  return plates;
}

}  // namespace plate
