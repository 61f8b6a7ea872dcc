// Framework-internal: the toolkit window behind a form. Only the framework's own sources
// include this; the public headers know the class by name at most.
#pragma once

#include <QPoint>
#include <QWidget>

#include "framework/Forms.h"

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

  private:
    TForm* form_;
    QPoint dragOffset_;
    bool dragging_ = false;
    int pressedButton_ = 0;
};

// Installs, once, the filter that keeps input away from disabled forms and gives them
// Alt+letter before their focused control.
void InstallFormInputFilter();
