// The program's start-up and shutdown, run as a user starts it from the medium, each run in
// a child process of its own (the program ends itself): music failures are reported and
// end it with a failure code. Dialogs are answered with their first button and logged.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "framework/Seams.h"
#include "install/Installer.h"
#include "music/Seams.h"
#include "platform/Seams.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

struct Program : ::testing::Test {
    TempDir medium;
    std::string Log() const { return ReadFile(medium / "dialogs.log"); }
    // Runs the program from the medium, started in another folder (as the launcher starts
    // it), and ends the process with its exit code.
    void RunProgram() {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        TempDir elsewhere;
        if (chdir(elsewhere.Path().c_str()) != 0) std::_Exit(100);
        seams::ProgramFileScope program(medium / "installer");
        std::string log = medium / "dialogs.log";
        seams::DialogScope answer([log](const TDialogInfo& d) {
            if (FILE* f = std::fopen(log.c_str(), "a")) {
                std::fprintf(f, "%s|%s\n", d.Caption.c_str(), d.Text.c_str());
                std::fclose(f);
            }
            return d.Results.empty() ? 1 : d.Results.front();
        });
        char name[] = "installer";
        char* argv[] = {name, nullptr};
        int argc = 1;
        std::_Exit(RunInstaller(argc, argv));
    }
};

TEST_F(Program, MissingModuleShowsTuneErrorAndEndsWithAFailure) {
    WriteFile(medium / "install.ini", "[OPTIONS]\nAPPZ......=Tarnwick\n");
    EXPECT_EXIT(RunProgram(), testing::ExitedWithCode(1), "");
    std::string log = Log();
    ASSERT_EQ(log.rfind("TUNE ERROR|", 0), 0u) << log;
    EXPECT_GT(log.size(), std::string("TUNE ERROR|\n").size());
}

TEST_F(Program, FailingInitShowsTuneErrorBeforeAnyWindow) {
    EXPECT_EXIT(
        {
            seams::TuneInitFailureScope fail;
            RunProgram();
        },
        testing::ExitedWithCode(1), "");
    std::string log = Log();
    EXPECT_EQ(log.rfind("TUNE Error|", 0), 0u) << log;
}

TEST_F(Program, NotAModuleIsRefusedToo) {
    WriteFile(medium / "install.dat", "this is no tracker module");
    EXPECT_EXIT(RunProgram(), testing::ExitedWithCode(1), "");
    std::string log = Log();
    EXPECT_EQ(log.rfind("TUNE ERROR|", 0), 0u) << log;
}

TEST_F(Program, PlayingMusicItEndsWhenTerminated) {
    WriteFile(medium / "install.ini", "[OPTIONS]\nAPPZ......=Tarnwick\n");
    ASSERT_EQ(testing_support::Run(Quote(std::string(INSTALLER_BUILD_DIR) + "/bin/modgen") + " " +
                                   Quote(medium / "install.dat")),
              0);
    // SIGTERM after 3 s; a program that shrugs it off is killed 20 s later.
    EXPECT_EXIT(
        {
            std::thread([] {
                std::this_thread::sleep_for(std::chrono::seconds(3));
                kill(getpid(), SIGTERM);
                std::this_thread::sleep_for(std::chrono::seconds(20));
                kill(getpid(), SIGKILL);
            }).detach();
            RunProgram();
        },
        testing::KilledBySignal(SIGTERM), "");
    EXPECT_EQ(Log(), "");
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
