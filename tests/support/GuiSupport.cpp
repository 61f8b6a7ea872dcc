#include "support/GuiSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWindow>
#include <memory>

#include "framework/Controls_p.h"

namespace testing_support {

DialogRecorder::DialogRecorder()
    : DialogRecorder([](const TDialogInfo& d) { return d.Results.front(); }) {}

DialogRecorder::DialogRecorder(std::function<int(const TDialogInfo&)> answer)
    : scope_([this, answer](const TDialogInfo& d) {
          dialogs_.push_back(d);
          return answer(d);
      }) {}

std::vector<std::string> DialogRecorder::Texts() const {
    std::vector<std::string> out;
    for (const auto& d : dialogs_) out.push_back(d.Text);
    return out;
}

namespace {

// Runs the first step of the queue and schedules itself for the next one. Each timer holds
// its own copy; nothing refers back to itself, so the queue goes with the last step.
struct StepRunner {
    std::shared_ptr<std::vector<std::function<void()>>> queue;
    void operator()() const {
        if (queue->empty()) return;
        auto step = queue->front();
        queue->erase(queue->begin());
        // Queue the following step first: this one may enter a modal loop and only return
        // when it ends.
        if (!queue->empty()) QTimer::singleShot(0, *this);
        step();
    }
};

}  // namespace

void RunSteps(std::vector<std::function<void()>> steps) {
    QTimer::singleShot(
        0, StepRunner{std::make_shared<std::vector<std::function<void()>>>(std::move(steps))});
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

namespace {

void sendMouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
    QPointF local(pos);
    QPointF global = w->mapToGlobal(local);
    QMouseEvent e(type, local, local, global, button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// The widget that receives the mouse at a point of a control, as the toolkit finds it.
QWidget* target(TControl* control, QPoint& pos) {
    QWidget* w = WidgetOf(*control);
    QWidget* top = w->window();
    QPoint inTop = w->mapTo(top, pos);
    QWidget* hit = top->childAt(inTop);
    if (!hit) hit = top;
    pos = hit->mapFrom(top, inTop);
    return hit;
}

}  // namespace

namespace {

// Left-button events at a point of the control, through the top-level window, as the
// platform delivers them: the toolkit then finds the widget and moves the focus by its rules.
void sendLeftButton(TControl* control, int x, int y, std::initializer_list<QEvent::Type> types) {
    QPoint pos(x < 0 ? control->Width() / 2 : x, y < 0 ? control->Height() / 2 : y);
    QWidget* top = WidgetOf(*control)->window();
    top->winId();
    QPointF local(WidgetOf(*control)->mapTo(top, pos));
    QPointF global = top->mapToGlobal(local);
    for (QEvent::Type type : types) {
        Qt::MouseButtons buttons =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent e(type, local, local, global, Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(top->windowHandle(), &e);
    }
}

}  // namespace

void Click(TControl* control, int x, int y) {
    sendLeftButton(control, x, y, {QEvent::MouseButtonPress, QEvent::MouseButtonRelease});
}

void DoubleClick(TControl* control, int x, int y) {
    sendLeftButton(control, x, y,
                   {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                    QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease});
}

void MoveMouse(TControl* control, int x, int y) {
    QPoint pos(x, y);
    QWidget* w = target(control, pos);
    sendMouse(w, QEvent::MouseMove, pos, Qt::NoButton, Qt::NoButton);
}

void PressKey(TForm* form, int qtKey, Qt::KeyboardModifiers mods) {
    QWidget* w = WidgetOf(*form)->focusWidget() ? WidgetOf(*form)->focusWidget() : WidgetOf(*form);
    // The text an X keyboard gives: Alt keeps the letter, Ctrl makes a control character.
    QString text;
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) {
        int letter = qtKey - Qt::Key_A;
        text = QChar(mods & Qt::ControlModifier ? letter + 1
                                                : letter + (mods & Qt::ShiftModifier ? 'A' : 'a'));
    } else if (qtKey == Qt::Key_Return || qtKey == Qt::Key_Enter) {
        text = "\r";
    } else if (qtKey == Qt::Key_Space) {
        text = " ";
    }
    QKeyEvent press(QEvent::KeyPress, qtKey, mods, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, qtKey, mods, text);
    QApplication::sendEvent(w, &release);
}

TColor PixelAt(const QImage& image, int x, int y) {
    return FromQColor(QColor(image.pixel(x, y)));
}

}  // namespace testing_support
