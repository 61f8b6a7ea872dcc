// Framework-internal: the toolkit widget behind a windowless control or a container. Only
// the framework's own sources include this; the public headers know the class by name at
// most.
#pragma once

#include <QWidget>

#include "framework/Controls.h"

// The widget behind a windowless control or a container: forwards painting and the mouse
// while its control lives (the widget may outlast it by a round of events).
class ControlWidget : public QWidget {
  public:
    ControlWidget(TControl* control, QWidget* parent = nullptr);
    TControl* Control() const { return control_; }

  protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    bool event(QEvent*) override;

  private:
    TControl* control_;
    TControlGuard alive_;
};
