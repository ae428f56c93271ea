#pragma once
// The result dialog (resource 106), shown modally after every run: the processing time and the
// plates read in the result box, the maker's contact lines in the contact box.

#include <windows.h>

#include "engine/run_result.h"

namespace plate {

// Returns when the user has closed the dialog (OK, Esc or the close box). The dialog composes its
// texts once, as it opens, from `result`. The main window keeps repainting meanwhile.
void show_result_dialog(HINSTANCE instance, HWND owner, const RunResult& result);

// The dialog's procedure, for dialogs made from resource 106 with a RunResult as their parameter.
INT_PTR CALLBACK result_dialog_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace plate
