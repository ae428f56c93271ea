#pragma once
// Dialog 106, the result dialog: the processing time and the plates of the recognition that has
// just ended (control 1000), and the maker's contact lines (control 1001). OK closes it with accept,
// Esc and the close box with reject; the shell uses neither result.

#include <cstdint>
#include <span>

#include "engine/run_plates.h"
#include "shell/qt/template_dialog.h"

namespace plate {

class ResultDialog final : public TemplateDialog {
  Q_OBJECT

 public:
  // The texts are composed once, here, from the run's processing time and the plates read.
  ResultDialog(std::uint32_t processing_ms, std::span<const RunPlate> plates, QWidget& ownerClientArea);
};

}  // namespace plate
