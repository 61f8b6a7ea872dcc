// The directory list entering a folder with 100,000 sub-folders and painting itself,
// against the enumeration of that folder alone in the same run: the list's own work beyond
// reading the folder (sorting once, adding the entries, painting) must stay well under a
// second and below three times the reading.
#include <sys/stat.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "components/FileCtrl.h"
#include "framework/Forms.h"
#include "support/TestSupport.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kFolders = 100000;

double since(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    testing_support::TempDir root;
    std::string many = root / "many";
    testing_support::MakeDirs(many);
    for (int i = 0; i < kFolders; ++i) {
        // Names out of order, half of them in capitals.
        unsigned n = static_cast<unsigned>(i) * 2654435761u;
        std::string name = (i % 2 ? "Folder" : "folder") + std::to_string(n);
        mkdir((many + "/" + name).c_str(), 0755);
    }
    testing_support::DriveMapScope drives({testing_support::MakeDrive('c', root.Path())});

    TForm form(nullptr);
    form.SetClientSize(321, 200);
    auto* list = new TDirectoryListBox(&form);
    list->SetBounds(8, 45, 305, 136);
    list->SetParent(&form);
    form.Show();
    QApplication::processEvents();

    auto t0 = Clock::now();
    std::vector<platform::FindData> found;
    platform::FindFiles("C:\\many\\*.*", platform::FILE_ATTRIBUTE_DIRECTORY, found);
    double enumeration = since(t0);

    auto t1 = Clock::now();
    list->SetCurrentDir("C:\\many");
    form.Repaint();
    QApplication::processEvents();
    double build = since(t1);

    bool complete = list->ItemCount() == kFolders + 2;
    double own = build - enumeration;
    bool ok = complete && own < 0.5 && build < 3 * enumeration + 0.05;
    std::printf(
        "%d sub-folders: list built and painted in %.3f s, enumeration %.3f s, the list's "
        "own work %.3f s, ratio %.2f (target below 3, own work below 0.5 s)%s\n",
        kFolders, build, enumeration, own, enumeration > 0 ? build / enumeration : 0.0,
        ok ? "" : "  MISSED");
    form.Hide();
    return ok ? 0 : 1;
}
