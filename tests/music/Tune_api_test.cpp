// The TUNE library's calls, results and error reporting (no listening: SDL's dummy driver).
#include <unistd.h>

#include <climits>
#include <cstring>
#include <functional>
#include <set>

#include "music/Seams.h"
#include "music/TuneTestSupport.h"

using namespace tune_test;
using testing_support::TempDir;

namespace {

class TuneApi : public testing::Test {
  protected:
    void SetUp() override {
        MakeModule(dir_ / "install.dat");
        TUNEstartup();
    }
    void TearDown() override { TUNEclose(); }

    void Start() {
        ASSERT_TRUE(TUNEinit());
        ASSERT_TRUE(TUNEstartBackgroundPlay(0));
    }
    std::string Module() const { return dir_ / "install.dat"; }

    void ExpectError(int code) {
        EXPECT_EQ(TUNEgetLastError(), code) << TUNEgetErrorMessage(TUNEgetLastError());
    }

    TempDir dir_;
};

TEST_F(TuneApi, EveryCallBeforeInitReportsNotInitialised) {
    TUNEhandle module = 0, play = 0;
    {
        // A module and a play from an earlier session: closing invalidates them too.
        Start();
        module = TUNEloadModule(Module().c_str());
        play = TUNEplayModule(module, 1);
        ASSERT_NE(play, 0u);
        TUNEclose();
    }
    TUNEmoduleInfo info;
    const std::string name = Module();
    const std::vector<std::pair<const char*, std::function<bool()>>> calls = {
        {"TUNEstartBackgroundPlay", [] { return TUNEstartBackgroundPlay(0) != 0; }},
        {"TUNEloadModule", [&] { return TUNEloadModule(name.c_str()) != 0; }},
        {"TUNEgetModuleInfo", [&] { return TUNEgetModuleInfo(module, &info) != 0; }},
        {"TUNEplayModule", [&] { return TUNEplayModule(module, 1) != 0; }},
        {"TUNEstopModule", [&] { return TUNEstopModule(play) != 0; }},
        {"TUNEfreeModule", [&] { return TUNEfreeModule(module) != 0; }},
        {"TUNEstopBackgroundPlay", [] { return TUNEstopBackgroundPlay() != 0; }},
    };
    for (const auto& [what, call] : calls) {
        TUNEstartup();  // prepares, but does not initialise
        EXPECT_FALSE(call()) << what;
        EXPECT_EQ(TUNEgetLastError(), TUNE_ERROR_NOT_INITIALISED) << what;
    }
    EXPECT_STREQ(TUNEgetErrorMessage(TUNE_ERROR_NOT_INITIALISED),
                 "The music library is not initialised");
    // Closing twice is harmless.
    EXPECT_TRUE(TUNEclose());
    EXPECT_TRUE(TUNEclose());
}

TEST_F(TuneApi, FailInitSeamMakesInitFailWithTheAudioMessage) {
    {
        seams::TuneInitFailureScope fail;
        EXPECT_FALSE(TUNEinit());
        ExpectError(TUNE_ERROR_AUDIO);
        EXPECT_STREQ(TUNEgetErrorMessage(TUNEgetLastError()),
                     "The sound output could not be started");
        EXPECT_EQ(TUNEloadModule(Module().c_str()), 0u);
        ExpectError(TUNE_ERROR_NOT_INITIALISED);
    }
    {
        seams::TuneInitFailureScope fail;
        seams::TuneInitFailureScope off(false);
        EXPECT_TRUE(TUNEinit());
        ExpectError(TUNE_OK);
    }
}

TEST_F(TuneApi, InitSucceedsWithoutAnySoundOutput) {
    // No usable SDL driver, and a driver whose device cannot be opened: both fall back to
    // the silent output.
    struct Case {
        const char* driver;
        std::string diskFile;
    };
    const std::vector<Case> cases = {{"no-such-driver", ""},
                                     {"disk", dir_ / "missing-folder/out.raw"}};
    for (const auto& c : cases) {
        EnvScope driver("SDL_AUDIODRIVER", c.driver);
        EnvScope file("SDL_DISKAUDIOFILE", c.diskFile);
        EXPECT_TRUE(TUNEinit()) << c.driver;
        EXPECT_TRUE(TUNEstartBackgroundPlay(0)) << c.driver;
        TUNEhandle module = TUNEloadModule(Module().c_str());
        TUNEhandle play = TUNEplayModule(module, 1);
        EXPECT_NE(play, 0u) << c.driver;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_TRUE(TUNEstopModule(play)) << c.driver;
        EXPECT_TRUE(TUNEstopBackgroundPlay()) << c.driver;
        EXPECT_FALSE(testing_support::Exists(c.diskFile)) << c.driver;
        TUNEclose();
    }
}

TEST_F(TuneApi, LoadFailuresGiveHandleZeroAndTheLibrarysMessage) {
    Start();
    testing_support::WriteFile(dir_ / "readme.txt", "This is a plain text file, not music.\n");
    testing_support::WriteFile(dir_ / "empty.dat", "");
    // A module cut short after its header.
    std::string module = testing_support::ReadFile(Module());
    testing_support::WriteFile(dir_ / "cut.mod", module.substr(0, 200));
    testing_support::MakeDirs(dir_ / "folder.dat");
    testing_support::BlockingFifo fifo(dir_ / "fifo.dat");
    struct Case {
        std::string name;
        int code;
        const char* message;
    };
    const std::vector<Case> cases = {
        {dir_ / "no-such.dat", TUNE_ERROR_FILE_MISSING, "Module file not found"},
        {dir_ / "no-such-folder/install.dat", TUNE_ERROR_FILE_MISSING, "Module file not found"},
        {dir_ / "readme.txt", TUNE_ERROR_NOT_A_MODULE,
         "The file is not a music module of a known format"},
        {dir_ / "empty.dat", TUNE_ERROR_NOT_A_MODULE,
         "The file is not a music module of a known format"},
        {dir_ / "cut.mod", TUNE_ERROR_NOT_A_MODULE,
         "The file is not a music module of a known format"},
        {dir_ / "folder.dat", TUNE_ERROR_FILE_UNREADABLE, "Module file cannot be read"},
        {dir_ / "fifo.dat", TUNE_ERROR_FILE_UNREADABLE, "Module file cannot be read"},
        {"", TUNE_ERROR_FILE_MISSING, "Module file not found"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TUNEloadModule(c.name.c_str()), 0u) << c.name;
        EXPECT_EQ(TUNEgetLastError(), c.code) << c.name;
        EXPECT_STREQ(TUNEgetErrorMessage(TUNEgetLastError()), c.message) << c.name;
    }
    EXPECT_FALSE(fifo.ReaderBlocked());
    EXPECT_EQ(TUNEloadModule(nullptr), 0u);
    ExpectError(TUNE_ERROR_INVALID_ARGUMENT);
    // A failure does not disturb what works: the module still loads afterwards.
    EXPECT_NE(TUNEloadModule(Module().c_str()), 0u);
    ExpectError(TUNE_OK);
}

TEST_F(TuneApi, BareNameIsOpenedInTheCurrentDirectory) {
    Start();
    char saved[PATH_MAX];
    ASSERT_TRUE(getcwd(saved, sizeof saved));
    ASSERT_EQ(chdir(dir_.Path().c_str()), 0);
    TUNEhandle here = TUNEloadModule("install.dat");
    TempDir elsewhere;
    ASSERT_EQ(chdir(elsewhere.Path().c_str()), 0);
    TUNEhandle there = TUNEloadModule("install.dat");
    int code = TUNEgetLastError();
    ASSERT_EQ(chdir(saved), 0);
    EXPECT_NE(here, 0u);
    EXPECT_EQ(there, 0u);
    EXPECT_EQ(code, TUNE_ERROR_FILE_MISSING);
}

TEST_F(TuneApi, ModuleInfoFillsExactlyTheRecord) {
    Start();
    // Whatever the extension: libopenmpt recognises the content.
    std::string renamed = dir_ / "music.bin";
    testing_support::WriteFile(renamed, testing_support::ReadFile(Module()));
    for (const std::string& name : {Module(), renamed}) {
        TUNEhandle module = TUNEloadModule(name.c_str());
        ASSERT_NE(module, 0u) << name;
        unsigned char record[64];
        std::memset(record, 0xAA, sizeof record);
        ASSERT_TRUE(TUNEgetModuleInfo(module, record));
        ExpectError(TUNE_OK);
        for (size_t i = 48; i < sizeof record; ++i) ASSERT_EQ(record[i], 0xAA) << "byte " << i;
        TUNEmoduleInfo info;
        std::memcpy(&info, record, sizeof info);
        EXPECT_STREQ(info.title, "Tarnwick Theme");
        EXPECT_EQ(info.channels, 4);
        EXPECT_EQ(info.orders, 4);
        EXPECT_EQ(info.patterns, 4);
        EXPECT_EQ(info.instruments, 0);
        EXPECT_EQ(info.samples, 31);  // a ProTracker module always has 31 sample slots
        EXPECT_EQ(info.subsongs, 1);
        // Four patterns of 64 rows at speed 6 and 125 BPM, 20 ms a tick.
        EXPECT_NEAR(info.lengthMs, 4 * 64 * 6 * 20, 20);
    }
}

TEST_F(TuneApi, InvalidHandlesAndArgumentsAreRefused) {
    Start();
    TUNEhandle module = TUNEloadModule(Module().c_str());
    TUNEhandle play = TUNEplayModule(module, 1);
    TUNEhandle stopped = TUNEplayModule(module, 0);
    ASSERT_TRUE(TUNEstopModule(stopped));
    TUNEhandle freed = TUNEloadModule(Module().c_str());
    TUNEhandle playOfFreed = TUNEplayModule(freed, 1);
    ASSERT_TRUE(TUNEfreeModule(freed));
    ASSERT_NE(play, 0u);
    ASSERT_NE(playOfFreed, 0u);

    TUNEmoduleInfo info;
    struct Case {
        const char* what;
        std::function<bool()> call;
        int code;
    };
    const std::vector<Case> cases = {
        {"info of 0", [&] { return TUNEgetModuleInfo(0, &info) != 0; }, TUNE_ERROR_INVALID_HANDLE},
        {"info of a play", [&] { return TUNEgetModuleInfo(play, &info) != 0; },
         TUNE_ERROR_INVALID_HANDLE},
        {"info of a freed module", [&] { return TUNEgetModuleInfo(freed, &info) != 0; },
         TUNE_ERROR_INVALID_HANDLE},
        {"info into null", [&] { return TUNEgetModuleInfo(module, nullptr) != 0; },
         TUNE_ERROR_INVALID_ARGUMENT},
        {"play 0", [&] { return TUNEplayModule(0, 1) != 0; }, TUNE_ERROR_INVALID_HANDLE},
        {"play a play", [&] { return TUNEplayModule(play, 1) != 0; }, TUNE_ERROR_INVALID_HANDLE},
        {"play a freed module", [&] { return TUNEplayModule(freed, 1) != 0; },
         TUNE_ERROR_INVALID_HANDLE},
        {"stop 0", [&] { return TUNEstopModule(0) != 0; }, TUNE_ERROR_INVALID_HANDLE},
        {"stop a module", [&] { return TUNEstopModule(module) != 0; }, TUNE_ERROR_INVALID_HANDLE},
        {"stop twice", [&] { return TUNEstopModule(stopped) != 0; }, TUNE_ERROR_INVALID_HANDLE},
        {"stop a play of a freed module", [&] { return TUNEstopModule(playOfFreed) != 0; },
         TUNE_ERROR_INVALID_HANDLE},
        {"free 0", [&] { return TUNEfreeModule(0) != 0; }, TUNE_ERROR_INVALID_HANDLE},
        {"free a play", [&] { return TUNEfreeModule(play) != 0; }, TUNE_ERROR_INVALID_HANDLE},
        {"free twice", [&] { return TUNEfreeModule(freed) != 0; }, TUNE_ERROR_INVALID_HANDLE},
        {"negative poll rate", [] { return TUNEstartBackgroundPlay(-1) != 0; },
         TUNE_ERROR_INVALID_ARGUMENT},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(c.call()) << c.what;
        EXPECT_EQ(TUNEgetLastError(), c.code) << c.what;
    }
    EXPECT_STREQ(TUNEgetErrorMessage(TUNE_ERROR_INVALID_HANDLE), "Invalid module or play handle");
    // The valid handles were not disturbed by all that.
    EXPECT_TRUE(TUNEgetModuleInfo(module, &info));
    EXPECT_TRUE(TUNEstopModule(play));
    EXPECT_TRUE(TUNEfreeModule(module));
}

TEST_F(TuneApi, SessionCallsSucceedInTheProgramsOrderAndAgain) {
    // Start-up, play as the main window does, shutdown; then a second session.
    for (int session = 0; session < 2; ++session) {
        TUNEstartup();
        ASSERT_TRUE(TUNEinit());
        ASSERT_TRUE(TUNEinit());  // again while ready
        ASSERT_TRUE(TUNEstartBackgroundPlay(0));
        ASSERT_TRUE(TUNEstartBackgroundPlay(0));  // already running
        TUNEhandle module = TUNEloadModule(Module().c_str());
        TUNEmoduleInfo info;
        ASSERT_TRUE(TUNEgetModuleInfo(module, &info));
        TUNEhandle play = TUNEplayModule(module, 1);
        ASSERT_NE(play, 0u);
        // Playmod again: stop, free, load, play.
        ASSERT_TRUE(TUNEstopModule(play));
        ASSERT_TRUE(TUNEfreeModule(module));
        module = TUNEloadModule(Module().c_str());
        play = TUNEplayModule(module, 1);
        ASSERT_NE(play, 0u);
        ASSERT_TRUE(TUNEstopBackgroundPlay());
        ASSERT_TRUE(TUNEstopBackgroundPlay());  // nothing left to stop
        ExpectError(TUNE_OK);
        TUNEclose();
    }
}

TEST(TuneMessages, EveryCodeHasItsOwnMessage) {
    std::set<std::string> seen;
    for (int code = TUNE_OK; code <= TUNE_ERROR_AUDIO; ++code) {
        const char* text = TUNEgetErrorMessage(code);
        ASSERT_NE(text, nullptr);
        EXPECT_GT(std::strlen(text), 5u) << code;
        EXPECT_TRUE(seen.insert(text).second) << "shared message: " << text;
    }
    for (int code : {-1, TUNE_ERROR_AUDIO + 1, 1000})
        EXPECT_STREQ(TUNEgetErrorMessage(code), "Unknown music library error") << code;
}

}  // namespace
