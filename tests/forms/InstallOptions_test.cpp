// The rules of install.ini, on real files in a program folder of the test's own.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <clocale>
#include <filesystem>
#include <fstream>

#include "forms/InstallOptions.h"
#include "framework/IniFile.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

struct Settings : ::testing::Test {
    TempDir program;
    TempDir elsewhere;
    void SetUp() override {
        platform::SetProgramFileName(program / "installer");
        // Started from another directory: the settings still come from the program's.
        std::filesystem::current_path(elsewhere.Path());
    }
    void TearDown() override {
        platform::SetProgramFileName("");
        std::filesystem::current_path("/");
    }
    TInstallOptions load(const std::string& ini) {
        if (!ini.empty()) WriteFile(program / "install.ini", ini);
        TInstallOptions o;
        LoadInstallOptions(o);
        return o;
    }
};

TEST_F(Settings, KeysAndValues) {
    struct Case {
        const char* line;
        std::string expectedAppz;
    };
    const Case cases[] = {
        {"APPZ......=Tarnwick", "Tarnwick"},
        {"appz......=lower-case key", "lower-case key"},
        {"APPZ.....=one dot too few", ""},
        {"APPZ.......=one dot too many", ""},
        {"APPZ......=   padded   ", "padded"},
        {"APPZ......=\"Quoted Name\"", "Quoted Name"},
        {"APPZ......='single'", "single"},
        {"APPZ......=\"unbalanced'", "\"unbalanced'"},
        {"APPZ......=", ""},
    };
    for (const Case& c : cases) {
        TInstallOptions o = load(std::string("[options]\r\n") + c.line + "\r\n");
        EXPECT_EQ(o.APPZ, c.expectedAppz) << c.line;
    }
}

TEST_F(Settings, LowerCaseNamesAreFoundInATurkishLocaleToo) {
    std::string saved = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "tr_TR.UTF-8")) GTEST_SKIP() << "no tr_TR.UTF-8 locale";
    TInstallOptions o = load("[options]\nfiles.....=3\nfilerar...=game.rar\n");
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_EQ(o.FILES, "3");
    EXPECT_EQ(o.FILERAR, "game.rar");
}

TEST_F(Settings, LongValuesKeepTheirFirst250Characters) {
    std::string value(300, 'x');
    value[249] = 'y';
    TInstallOptions o = load("[OPTIONS]\nSCRTXT....=" + value + "\n");
    EXPECT_EQ(o.SCRTXT.size(), 250u);
    EXPECT_EQ(o.SCRTXT.back(), 'y');
}

TEST_F(Settings, AllEightKeysAndTheDerivedPaths) {
    TInstallOptions o = load(
        "[Other]\nAPPZ......=wrong section\n"
        "[OPTIONS]\nAPPZ......=A\nSIZE......=12\nDIR.......=Game\nFILERAR...=g.part1.rar\n"
        "NFO.......=G.NFO\nREG.......=setup.reg\nSCRTXT....=Hello\nFILES.....=4\n");
    EXPECT_EQ(o.APPZ, "A");
    EXPECT_EQ(o.SIZE, "12");
    EXPECT_EQ(o.DIR, "Game");
    EXPECT_EQ(o.FILERAR, "g.part1.rar");
    EXPECT_EQ(o.NFO, "G.NFO");
    EXPECT_EQ(o.REG, "setup.reg");
    EXPECT_EQ(o.SCRTXT, "Hello");
    EXPECT_EQ(o.FILES, "4");
    std::string dir = ProgramDirectory();
    EXPECT_EQ(dir.back(), '\\');
    EXPECT_EQ(platform::ToNative(dir + "x"), program / "x");
    EXPECT_EQ(MusicFilePath, dir + "install.dat");
    EXPECT_EQ(RegFilePath, dir + "setup.reg");
}

TEST_F(Settings, MissingFileOrSectionLeavesEveryFieldEmpty) {
    TInstallOptions none = load("");
    EXPECT_EQ(none.APPZ, "");
    EXPECT_EQ(none.FILES, "");
    TInstallOptions noSection = load("APPZ......=outside any section\n[OTHER]\nSIZE......=1\n");
    EXPECT_EQ(noSection.APPZ, "");
    EXPECT_EQ(noSection.SIZE, "");
    EXPECT_EQ(RegFilePath, ProgramDirectory());
}

TEST_F(Settings, HostileFilesCostBoundedMemoryAndNeverBlock) {
    // A 100 MB line: only the first 2047 characters of a value are ever delivered.
    {
        std::ofstream out(program / "install.ini", std::ios::binary);
        out << "[OPTIONS]\nAPPZ......= \"";
        std::string block(1 << 20, 'x');
        for (int i = 0; i < 100; ++i) out << block;
        out << "\"  \nSIZE......=7\n";
    }
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    TIniFile ini(ProgramDirectory() + "install.ini");
    EXPECT_EQ(ini.ReadString("OPTIONS", "APPZ......", "-"), std::string(2047, 'x'));
    EXPECT_EQ(ini.ReadString("OPTIONS", "SIZE......", "-"), "7");
    getrusage(RUSAGE_SELF, &after);
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 16 * 1024) << "KiB more at the peak";

    // Things that are not regular files are no settings at all.
    std::filesystem::remove(program / "install.ini");
    std::filesystem::create_symlink("/dev/zero", program / "install.ini");
    EXPECT_EQ(load("").APPZ, "");
    std::filesystem::remove(program / "install.ini");
    BlockingFifo fifo(program / "install.ini");
    EXPECT_EQ(load("").APPZ, "");
    EXPECT_FALSE(fifo.ReaderBlocked());
}

}  // namespace
