#include "shell/win32/result_dialog.h"

#include "resources/result_dialog.h"
#include "shell/result_dialog_texts.h"
#include "shell/win32/wide_text.h"

namespace plate {

void show_result_dialog(HINSTANCE instance, HWND owner, const RunResult& result) {
  DialogBoxParamW(instance, MAKEINTRESOURCEW(resources::kResultDialogId), owner, result_dialog_procedure,
                  reinterpret_cast<LPARAM>(&result));
}

INT_PTR CALLBACK result_dialog_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: {
      const auto& result = *reinterpret_cast<const RunResult*>(lparam);
      SetDlgItemTextW(
          dialog, resources::kResultBoxId,
          widen(compose_result_text(result.processing_ms, plates_in_dialog_order(result))).c_str());
      SetDlgItemTextW(dialog, resources::kContactBoxId, widen(compose_contact_text()).c_str());
      return TRUE;
    }
    case WM_COMMAND:
      // The whole parameter, not only its low word: a control's notification carries a code in the
      // high word and closes nothing.
      if (wparam == IDOK) EndDialog(dialog, 1);
      if (wparam == IDCANCEL) EndDialog(dialog, 0);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace plate
