// The real program, started as a user starts it, answering its dialogs through the log
// seam: music failures are reported and end it with a failure code.
#include <gtest/gtest.h>

#include "support/TestSupport.h"

using namespace testing_support;

namespace {

struct Program : ::testing::Test {
    TempDir medium;
    // Runs the program from the medium; `limit` is what timeout(1) is given.
    std::string run(const std::string& env, int& status, const std::string& limit = "30") {
        std::string log = medium / "dialogs.log";
        std::string cmd = "cd " + Quote(medium.Path()) + " && env QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy " +
                          "INSTALLER_DIALOG_LOG=" + Quote(log) + " " + env + " timeout " + limit + " " +
                          Quote(std::string(INSTALLER_BUILD_DIR) + "/bin/installer");
        status = testing_support::Run(cmd);
        return ReadFile(log);
    }
};

TEST_F(Program, MissingModuleShowsTuneErrorAndEndsWithAFailure) {
    WriteFile(medium / "install.ini", "[OPTIONS]\nAPPZ......=Tarnwick\n");
    int status = 0;
    std::string log = run("", status);
    EXPECT_EQ(status, 1);
    ASSERT_EQ(log.rfind("TUNE ERROR|", 0), 0u) << log;
    EXPECT_GT(log.size(), std::string("TUNE ERROR|\n").size());
}

TEST_F(Program, FailingInitShowsTuneErrorBeforeAnyWindow) {
    int status = 0;
    std::string log = run("TUNE_FAIL_INIT=1", status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(log.rfind("TUNE Error|", 0), 0u) << log;
}

TEST_F(Program, NotAModuleIsRefusedToo) {
    WriteFile(medium / "install.dat", "this is no tracker module");
    int status = 0;
    std::string log = run("", status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(log.rfind("TUNE ERROR|", 0), 0u) << log;
}

TEST_F(Program, PlayingMusicItEndsWhenTerminated) {
    WriteFile(medium / "install.ini", "[OPTIONS]\nAPPZ......=Tarnwick\n");
    ASSERT_EQ(testing_support::Run(Quote(std::string(INSTALLER_BUILD_DIR) + "/bin/modgen") + " " +
                  Quote(medium / "install.dat")),
              0);
    int status = 0;
    // SIGTERM after 3 s; a program that shrugs it off is killed 20 s later (status 137).
    std::string log = run("", status, "-k 20 3");
    EXPECT_EQ(status, 124) << log;
    EXPECT_EQ(log, "");
}

TEST_F(Program, WithoutADisplayItSaysSoAndFails) {
    // No display named at all, and one named that cannot be reached.
    for (std::string display : {"DISPLAY=", "DISPLAY=:4711"}) {
        std::string output;
        int status = testing_support::Run(
            "cd " + Quote(medium.Path()) +
                " && env SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM= WAYLAND_DISPLAY= " + display +
                " timeout 30 " + Quote(std::string(INSTALLER_BUILD_DIR) + "/bin/installer"),
            &output);
        EXPECT_EQ(status, 1) << display << "\n" << output;
        EXPECT_NE(output.find("no display could be opened"), std::string::npos) << output;
        EXPECT_NE(output.find("WAYLAND_DISPLAY"), std::string::npos) << output;
        EXPECT_EQ(output.find("Reinstalling"), std::string::npos) << output;
    }
}

}  // namespace
