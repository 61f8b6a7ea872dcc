// What the library actually plays, heard through SDL's disk audio driver: raw 16-bit stereo
// written to a file at the pace SDL_DISKAUDIODELAY sets (milliseconds a buffer).
#include <cstring>
#include <memory>

#include "music/TuneTestSupport.h"

using namespace tune_test;
using testing_support::TempDir;

namespace {

constexpr long kBuffer = 8192;  // frames a buffer at the default polling rate

class TunePlayback : public testing::Test {
  protected:
    void SetUp() override { MakeModule(dir_ / "install.dat"); }
    void TearDown() override { TUNEclose(); }

    // Starts a session whose output goes to out.raw. A delay of 1 ms a buffer renders some 40
    // times faster than real time; 0 would write as fast as the disk takes it, gigabytes in
    // a few seconds of a busy machine.
    void Begin(int delayMs) {
        env_.clear();
        env_.push_back(std::make_unique<EnvScope>("SDL_AUDIODRIVER", "disk"));
        env_.push_back(std::make_unique<EnvScope>("SDL_DISKAUDIOFILE", Out()));
        env_.push_back(std::make_unique<EnvScope>("SDL_DISKAUDIODELAY", std::to_string(delayMs)));
        TUNEstartup();
        ASSERT_TRUE(TUNEinit());
        module_ = TUNEloadModule((dir_ / "install.dat").c_str());
        ASSERT_NE(module_, 0u);
        TUNEmoduleInfo info;
        ASSERT_TRUE(TUNEgetModuleInfo(module_, &info));
        lengthFrames_ = FramesOf(info.lengthMs / 1000.0);
    }
    void Output() { ASSERT_TRUE(TUNEstartBackgroundPlay(0)); }
    std::string Out() const { return dir_ / "out.raw"; }
    std::vector<int16_t> Frames(long from, long to) const { return ReadFrames(Out(), from, to); }
    // SDL writes silence while the device is still paused after opening, so the song starts
    // a little into the file: the first frame with sound.
    long SongStart() {
        WaitFor(FramesOf(1));
        long from = 0;
        for (;;) {
            std::vector<int16_t> chunk = Frames(from, from + FramesOf(1));
            for (size_t i = 0; i < chunk.size(); ++i)
                if (chunk[i] != 0) return from + static_cast<long>(i / 2);
            if (chunk.empty()) break;
            from += static_cast<long>(chunk.size() / 2);
        }
        ADD_FAILURE() << "no sound in the first " << from << " frames";
        return 0;
    }
    void WaitFor(long frames) {
        ASSERT_TRUE(WaitForFrames(Out(), frames, 60)) << "output stalled at " << FramesIn(Out());
    }

    TempDir dir_;
    std::vector<std::unique_ptr<EnvScope>> env_;
    TUNEhandle module_ = 0;
    long lengthFrames_ = 0;
};

TEST_F(TunePlayback, PlayingWritesMusicOnBothSidesAndStoppingSilencesIt) {
    Begin(10);
    Output();
    TUNEhandle play = TUNEplayModule(module_, 1);
    ASSERT_NE(play, 0u);
    WaitFor(FramesIn(Out()) + FramesOf(1.0));
    std::vector<int16_t> heard = Frames(0, FramesIn(Out()));
    int left = 0, right = 0;
    for (size_t i = 0; i + 1 < heard.size(); i += 2) {
        left = std::max(left, std::abs(static_cast<int>(heard[i])));
        right = std::max(right, std::abs(static_cast<int>(heard[i + 1])));
    }
    EXPECT_GT(left, 2000);
    EXPECT_GT(right, 2000);

    ASSERT_TRUE(TUNEstopModule(play));
    long stoppedAt = FramesIn(Out());
    WaitFor(stoppedAt + FramesOf(0.5) + 2 * kBuffer);
    // One buffer may have been mixed before the stop and written after it.
    EXPECT_EQ(Peak(Frames(stoppedAt + 2 * kBuffer, stoppedAt + FramesOf(0.5) + 2 * kBuffer)), 0);
}

TEST_F(TunePlayback, LoopingGoesOnPastTheEndAndASinglePlayEnds) {
    for (int loop : {1, 0}) {
        SCOPED_TRACE(loop ? "looping" : "once");
        Begin(1);
        ASSERT_GT(lengthFrames_, FramesOf(20));
        ASSERT_NE(TUNEplayModule(module_, loop), 0u);
        Output();
        long end = SongStart() + lengthFrames_;
        WaitFor(end + FramesOf(3));
        ASSERT_TRUE(TUNEstopBackgroundPlay());
        EXPECT_GT(Peak(Frames(end - FramesOf(2.5), end - FramesOf(0.5))), 2000);
        int after = Peak(Frames(end + FramesOf(0.5), end + FramesOf(2.5)));
        if (loop)
            EXPECT_GT(after, 2000);
        else
            EXPECT_EQ(after, 0);
        TUNEclose();
    }
}

TEST_F(TunePlayback, StoppedBackgroundPlayWritesNothingAndResumesOnStart) {
    Begin(10);
    Output();
    TUNEhandle play = TUNEplayModule(module_, 1);
    WaitFor(FramesOf(0.5));
    ASSERT_TRUE(TUNEstopBackgroundPlay());
    long stoppedAt = FramesIn(Out());
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(FramesIn(Out()), stoppedAt);

    Output();  // the disk driver starts its file afresh
    WaitFor(FramesOf(1));
    EXPECT_GT(Peak(Frames(0, FramesOf(1))), 2000);
    EXPECT_TRUE(TUNEstopModule(play));
}

TEST_F(TunePlayback, PlaysStartedTogetherMixIntoOneOutput) {
    // One play, then two plays of the same module, both started before the output runs, so
    // they begin on the same frame: the two together are the one twice over (clipped), up
    // to libopenmpt's dither.
    std::vector<int16_t> single, twice;
    for (int plays : {1, 2}) {
        Begin(1);
        for (int i = 0; i < plays; ++i) ASSERT_NE(TUNEplayModule(module_, 1), 0u);
        Output();
        long start = SongStart();
        WaitFor(start + FramesOf(1));
        ASSERT_TRUE(TUNEstopBackgroundPlay());
        (plays == 1 ? single : twice) = Frames(start, start + FramesOf(1));
        TUNEclose();
    }
    ASSERT_EQ(single.size(), twice.size());
    ASSERT_GT(Peak(single), 2000);
    int worst = 0;
    for (size_t i = 0; i < single.size(); ++i) {
        int expected = std::clamp(2 * single[i], -32768, 32767);
        worst = std::max(worst, std::abs(twice[i] - expected));
    }
    EXPECT_LE(worst, 4);
}

TEST_F(TunePlayback, CallsWhileMixingKeepTheOutputConsistent) {
    // The GUI thread loads, plays, stops and frees while the output thread mixes; freeing a
    // module ends the plays it still has.
    Begin(1);
    Output();
    for (int i = 0; i < 100; ++i) {
        TUNEhandle module = TUNEloadModule((dir_ / "install.dat").c_str());
        TUNEhandle a = TUNEplayModule(module, 1);
        TUNEhandle b = TUNEplayModule(module, 0);
        ASSERT_NE(a, 0u);
        ASSERT_NE(b, 0u);
        if (i % 3 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_TRUE(TUNEstopModule(a));
        ASSERT_TRUE(TUNEfreeModule(module));
        ASSERT_FALSE(TUNEstopModule(b));
    }
    long quietFrom = FramesIn(Out()) + 2 * kBuffer;
    WaitFor(quietFrom + FramesOf(1));
    EXPECT_EQ(Peak(Frames(quietFrom, quietFrom + FramesOf(1))), 0);
}

}  // namespace
