// Test entry for windows and components: the real framework application under the
// offscreen platform. A dialog that no test expected fails the test and is answered.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

#include "framework/Application.h"
#include "framework/Dialogs.h"
#include "framework/Forms.h"
#include "framework/Seams.h"

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!std::setlocale(LC_ALL, "C.UTF-8")) std::setlocale(LC_ALL, "");
    testing::InitGoogleTest(&argc, argv);
    auto* app = new TApplication();
    app->Initialize(argc, argv);
    seams::DialogScope unexpected([](const TDialogInfo& d) {
        ADD_FAILURE() << "unexpected dialog \"" << d.Caption << "\": " << d.Text;
        return d.Results.empty() ? 1 : d.Results.front();
    });
    int result = RUN_ALL_TESTS();
    return result;
}
