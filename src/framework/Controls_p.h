// Framework-internal: the toolkit widgets behind controls. Only the framework's own sources,
// its tests and the benchmarks include this; the public headers know the classes by name at
// most.
#pragma once

#include <QWidget>

#include "framework/Controls.h"

// The toolkit side of a control.
struct TControlPrivate {
    // The widget that stands for the control (a form's window).
    QWidget* widget = nullptr;
    // Where child controls are placed when not on the widget itself (a form's client area).
    QWidget* client = nullptr;
};

TControlPrivate& PrivateOf(const TControl& control);

// The widget that stands for a control; null once a form's window has gone.
inline QWidget* WidgetOf(const TControl& control) {
    return PrivateOf(control).widget;
}

// The widget a container's child controls are placed on.
inline QWidget* ClientWidgetOf(const TControl& control) {
    const TControlPrivate& p = PrivateOf(control);
    return p.client ? p.client : p.widget;
}

// Gives a control its widget; subclasses do it in their constructor. The widget follows the
// control's bounds and tracks the mouse, and screen readers find the control through it.
void SetWidget(TControl& control, QWidget* widget);

// Settles the pending sizes of every control below a container (before its window paints).
void SettleBoundsBelow(const TWinControl& container);

namespace accessibility {
// Records the control behind a toolkit widget (the control's end records null).
void Attach(QWidget* widget, TControl* control);
}  // namespace accessibility

// Converts toolkit mouse state to the platform's shift state.
TShiftState ShiftStateOf(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons);
TMouseButton MouseButtonOf(Qt::MouseButton b);

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
