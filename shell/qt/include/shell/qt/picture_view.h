#pragma once
// The main window's client area: the whole 1024 x 768 display plane at full size from the top-left
// corner, whatever the window's size, on the black class background, and over it the plate
// overlay of the group table (a cyan frame and the blue plate text for every plate read).

#include <QWidget>

#include "shell/session.h"

namespace plate {

class PictureView final : public QWidget {
  Q_OBJECT

 public:
  PictureView(const Session& session, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const Session& session_;
};

}  // namespace plate
