#include "shell/win32/main_window.h"

#include <climits>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "present/overlay_plan.h"
#include "resources/main_window.h"
#include "shell/drop_rule.h"
#include "shell/session.h"
#include "shell/win32/dropped_files.h"
#include "shell/win32/painting.h"
#include "shell/win32/result_dialog.h"
#include "shell/win32/wide_text.h"

namespace plate {

namespace {

const std::wstring& class_name() {
  static const std::wstring name = widen(resources::kWindowClassName);
  return name;
}

Key key_of(WPARAM virtual_key) {
  switch (virtual_key) {
    case VK_LEFT:
      return Key::left_arrow;
    case VK_RIGHT:
      return Key::right_arrow;
    default:
      return Key::other;
  }
}

// The whole parameter names the item: an accelerator or a control's notification carries a code in
// its high word and is not the menu item.
Command command_of(WPARAM command_parameter) {
  return command_parameter <= INT_MAX ? command_for_menu_item(static_cast<int>(command_parameter))
                                      : Command::nothing;
}

}  // namespace

bool MainWindow::register_class(HINSTANCE instance) {
  WNDCLASSW window_class{};
  window_class.style = CS_DBLCLKS;
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  window_class.lpszMenuName = MAKEINTRESOURCEW(resources::kMainMenuId);
  window_class.lpszClassName = class_name().c_str();
  return RegisterClassW(&window_class) != 0;
}

MainWindow::MainWindow(HINSTANCE instance, Session& session, MessageService& messages)
    : instance_(instance), session_(session), messages_(messages) {}

MainWindow::~MainWindow() {
  if (handle_ != nullptr) DestroyWindow(handle_);
}

HWND MainWindow::create() {
  const HMENU menu = LoadMenuW(instance_, MAKEINTRESOURCEW(resources::kMainMenuId));
  const HWND window = CreateWindowExW(
      0, class_name().c_str(), widen(resources::kWindowTitle).c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
      CW_USEDEFAULT, resources::kWindowWidth, resources::kWindowHeight, nullptr, menu, instance_, this);
  if (window == nullptr && menu != nullptr) DestroyMenu(menu);
  return window;
}

// The window's object travels in the creation parameters and is kept in the window's user data;
// messages that come before it (WM_GETMINMAXINFO) and after the window's end get default handling.
LRESULT CALLBACK MainWindow::procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->handle_ = nullptr;
    return DefWindowProcW(window, message, wparam, lparam);
  }
  self->handle_ = window;
  return self->handle(message, wparam, lparam);
}

LRESULT MainWindow::handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      session_.fill_frame(255);
      DragAcceptFiles(handle_, TRUE);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_PAINT:
      paint();
      return 0;
    case WM_COMMAND:
      perform(command_of(wparam));
      return 0;
    case WM_CHAR:  // one UTF-16 unit: every command character is a single unit
      perform(command_for_character(static_cast<char32_t>(wparam)));
      return 0;
    case WM_DROPFILES:
      drop(reinterpret_cast<HDROP>(wparam));
      return 0;
    case WM_KEYDOWN:
      perform(command_for_key(key_of(wparam)));
      return 0;
    case WM_LBUTTONDOWN:
      perform(command_for_button_press(MouseButton::left));
      return 0;
    case WM_RBUTTONDOWN:
      perform(command_for_button_press(MouseButton::right));
      return 0;
    case WM_INITMENU:
      return 0;
    default:
      return DefWindowProcW(handle_, message, wparam, lparam);
  }
}

void MainWindow::perform(Command command) {
  const Aftermath next = session_.perform(command);
  if (next == Aftermath::nothing) return;
  // A run blocked the window until it returned; the dialog reads the result it left, and the
  // repaint after it draws the new overlay.
  if (next == Aftermath::show_result_then_repaint) show_result_dialog(instance_, handle_, session_.result());
  repaint();
}

void MainWindow::drop(HDROP files) {
  SetForegroundWindow(handle_);
  const std::vector<std::filesystem::path> paths = dropped_files(files);
  DragFinish(files);
  if (const std::optional<std::filesystem::path> path = file_to_read(paths))
    session_.load_file(*path, messages_);
  repaint();
}

void MainWindow::paint() {
  PAINTSTRUCT paint_info;
  const HDC dc = BeginPaint(handle_, &paint_info);
  paint_frame(dc, session_.display(), session_.overlay());
  EndPaint(handle_, &paint_info);
}

void MainWindow::repaint() {
  RedrawWindow(handle_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
}

}  // namespace plate
