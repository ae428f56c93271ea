#include "plate_interpretation.h"

#include "workspace.h"

namespace plate {

void interpret_plates(Workspace&) {}

}  // namespace plate
