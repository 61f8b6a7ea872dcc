// The information viewer's memo (515 x 422, word wrap, fixed-width font) showing texts
// without spaces, against ordinary text of the same length in the same run: a run without
// a break opportunity must cost about what words do, not the square of its length.
#include <QApplication>
#include <QPlainTextEdit>
#include <chrono>
#include <cstdio>
#include <string>

#include "framework/StdCtrls.h"
#include "framework/StdCtrls_p.h"

namespace {

using Clock = std::chrono::steady_clock;

// Seconds to set the text and paint the memo once (which lays every line of it out).
double show(TMemo& memo, const std::string& text) {
    memo.Clear();
    QApplication::processEvents();
    auto t0 = Clock::now();
    memo.SetText(text);
    EditorOf(memo)->grab();
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

std::string words(size_t bytes) {
    std::string s;
    s.reserve(bytes);
    while (s.size() < bytes) s += s.size() % 8 == 7 ? ' ' : static_cast<char>('a' + s.size() % 26);
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TMemo memo(nullptr);
    memo.SetBounds(0, 0, 515, 422);
    memo.Font().SetName("Terminal");
    memo.Font().SetHeight(-11);
    memo.SetScrollBars(TScrollStyle::ssBoth);
    memo.SetReadOnly(true);
    EditorOf(memo)->show();

    const size_t mib = 1024 * 1024;
    int status = 0;
    struct Case {
        const char* name;
        size_t bytes;
        double limitSeconds;
    };
    for (Case c : {Case{"1 MiB line", mib, 1.0}, Case{"8 MiB line", 8 * mib, 8.0}}) {
        double reference = show(memo, words(c.bytes));
        double run = show(memo, std::string(c.bytes, 'x'));
        bool ok = run < c.limitSeconds && run < 3 * reference + 0.05;
        std::printf(
            "%s without spaces: %.3f s, with words: %.3f s, ratio %.2f (target below 3 and %.0f "
            "s)%s\n",
            c.name, run, reference, reference > 0 ? run / reference : 0.0, c.limitSeconds,
            ok ? "" : "  MISSED");
        if (!ok) status = 1;
    }
    return status;
}
