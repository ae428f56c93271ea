#include "shell/qt/modal_presenter.h"

#include <QDialog>

namespace plate {

void ExecPresenter::present(QDialog& dialog) {
  dialog.exec();
}

}  // namespace plate
