// The reference for the start-up and memory benchmarks: the least a program of the same
// toolkit does to show one window of the main window's size with a line of text in it.
//   minimal_window [--until-painted]   (ends after the first paint instead of running on)
#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <cstring>

namespace {

class Window : public QWidget {
  public:
    explicit Window(bool untilPainted) : untilPainted_(untilPainted) {
        setWindowTitle("Minimal window");
        resize(640, 480);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Qt::darkBlue);
        p.setPen(Qt::white);
        p.drawText(rect(), Qt::AlignCenter, "Minimal window");
        // The frame reaches the screen once this event returns.
        if (untilPainted_) QTimer::singleShot(0, qApp, &QApplication::quit);
    }

  private:
    bool untilPainted_;
};

}  // namespace

int main(int argc, char** argv) {
    const bool untilPainted = argc > 1 && std::strcmp(argv[1], "--until-painted") == 0;
    QApplication app(argc, argv);
    Window window(untilPainted);
    window.show();
    return app.exec();
}
