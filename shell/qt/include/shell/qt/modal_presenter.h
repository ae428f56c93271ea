#pragma once
// How the window shows its modal dialogs and message boxes. The program runs each one modally until
// the user closes it; tests and the screenshot tool put in a presenter that reads the dialog and
// closes it again, so nothing waits for a person.

class QDialog;

namespace plate {

class ModalPresenter {
 public:
  virtual ~ModalPresenter() = default;
  // Returns when the dialog has been closed.
  virtual void present(QDialog& dialog) = 0;
};

// The presenter of the program: QDialog::exec(), whose loop keeps the window repainting.
class ExecPresenter final : public ModalPresenter {
 public:
  void present(QDialog& dialog) override;
};

}  // namespace plate
