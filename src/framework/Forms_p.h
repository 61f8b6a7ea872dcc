// Framework-internal: the toolkit window behind a form. Only the framework's own sources,
// its tests and the benchmarks include this; the public headers know the classes by name
// at most. A form's window is its widget (WidgetOf, Controls_p.h).
#pragma once

#include <QEventLoop>
#include <QPoint>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#include "framework/Controls_p.h"
#include "framework/Forms.h"

// A loop of its own that runs messages until it is told to end: a modal form's, the
// application's.
class TMessageLoop : public QEventLoop {};

// The toolkit window behind a form.
class FormWindow : public QWidget {
  public:
    explicit FormWindow(TForm* form);
    TForm* Form() const { return form_; }

  protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void contextMenuEvent(QContextMenuEvent*) override;
    void closeEvent(QCloseEvent*) override;
    bool event(QEvent*) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    TForm* form_;
    // The toolkit window whose exposures paint this one.
    QPointer<QWindow> exposed_;
    QPoint dragOffset_;
    bool dragging_ = false;
    int pressedButton_ = 0;
};

// Installs, once, the filter that keeps input away from disabled forms and gives them
// Alt+letter before their focused control.
void InstallFormInputFilter();
