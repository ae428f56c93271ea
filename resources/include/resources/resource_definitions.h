#pragma once
// The numbers and texts of menu 102 and dialog 106, read both by the C++ headers beside this one
// and by the Win32 resource script (plate_demo.rc), so that each exists once. The resource
// compiler understands only the preprocessor: this file holds nothing but #define lines, and the
// texts are UTF-8, as the script declares with its code page.

#define PLATE_RC_MAIN_MENU 102
#define PLATE_RC_RECOGNITION_MENU_TEXT "認識"
#define PLATE_RC_PLATE_RECOGNITION_ITEM_TEXT "ナンバープレート認識"
#define PLATE_RC_PLATE_RECOGNITION_COMMAND 40032

// Rectangles in dialog units: x, y, width, height.
#define PLATE_RC_RESULT_DIALOG 106
#define PLATE_RC_RESULT_DIALOG_RECT 0, 0, 239, 228
#define PLATE_RC_RESULT_DIALOG_CAPTION "認識結果"
#define PLATE_RC_DIALOG_FONT_POINTS 9
#define PLATE_RC_DIALOG_FONT_FACE "ＭＳ Ｐゴシック"

#define PLATE_RC_OK_BUTTON_TEXT "OK"
#define PLATE_RC_OK_BUTTON_RECT 93, 207, 50, 14
#define PLATE_RC_RESULT_BOX 1000
#define PLATE_RC_RESULT_BOX_RECT 7, 25, 225, 91
#define PLATE_RC_RESULT_LABEL_TEXT "認識結果"
#define PLATE_RC_RESULT_LABEL_RECT 7, 7, 54, 16
#define PLATE_RC_CONTACT_BOX 1001
#define PLATE_RC_CONTACT_BOX_RECT 7, 121, 225, 77
