// Archives made to write outside the target: nothing may land there.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "components/RARArc.h"
#include "support/RarFixtures.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;
using namespace testing_support;

namespace {

struct Hostile : ::testing::Test {
    TempDir root;
    std::unique_ptr<DriveMapScope> drives;
    std::string source, target;
    TRAR rar;
    std::vector<int> errors;

    void SetUp() override {
        drives = std::make_unique<DriveMapScope>(
            std::vector<platform::Drive>{MakeDrive('c', root.Path())});
        source = root / "src";
        target = root / "game/target";
        MakeDirs(source);
        MakeDirs(target);
        rar.SetTargetDir("C:\\game\\target");
        rar.OnError = [this](TObject*, int code) { errors.push_back(code); };
    }
    // Every file below root that is not inside the target, the source or an archive.
    std::vector<std::string> outside() {
        std::vector<std::string> out;
        for (const auto& f : ListFiles(root.Path()))
            if (f.rfind("game/target/", 0) != 0 && f.rfind("src/", 0) != 0 &&
                f.find(".rar") == std::string::npos)
                out.push_back(f);
        return out;
    }
};

TEST_F(Hostile, DotDotNamesStayInside) {
    WriteFile(source + "/ZZ/evil.txt", "climbing out");
    MakeRar(root / "dd.rar", source, {"ZZ/evil.txt"});
    PatchRar5Name(root / "dd.rar", "ZZ/evil.txt", "../evil.txt");
    rar.SetArchiveName("C:\\dd.rar");
    rar.Extract();
    EXPECT_TRUE(outside().empty()) << outside().front();
}

TEST_F(Hostile, AbsoluteNamesStayInside) {
    // A stored name that is the absolute path of a folder beside the target.
    std::string aim = root / "game/abs.txt";
    std::string stored = "Q" + aim.substr(1);
    WriteFile(source + "/" + stored, "absolute");
    MakeRar(root / "abs.rar", source, {stored});
    PatchRar5Name(root / "abs.rar", stored, aim);
    rar.SetArchiveName("C:\\abs.rar");
    rar.Extract();
    EXPECT_FALSE(Exists(aim));
    EXPECT_TRUE(outside().empty());
}

TEST_F(Hostile, LinkChainCannotRedirectALaterWrite) {
    // a/l1 -> ..  and  a/l2 -> l1/../X  lead beside the target; a later regular file a/l2
    // would be written through them.
    MakeDirs(source + "/a");
    ASSERT_EQ(symlink("..", (source + "/a/l1").c_str()), 0);
    ASSERT_EQ(symlink("l1/../X", (source + "/a/l2").c_str()), 0);
    WriteFile(source + "/a/m2", "written through links");
    RarOptions links;
    links.keepLinks = true;
    MakeRar(root / "ln.rar", source, {"a/l1", "a/l2"}, links);
    MakeRar(root / "ln.rar", source, {"a/m2"});
    PatchRar5Name(root / "ln.rar", "a/m2", "a/l2");
    WriteFile(root / "game/X", "precious");

    rar.SetArchiveName("C:\\ln.rar");
    EXPECT_FALSE(rar.Extract());
    EXPECT_EQ(ReadFile(root / "game/X"), "precious");
    EXPECT_EQ(errors, (std::vector<int>{ERAR_ECREATE, ERAR_ECREATE}));
    EXPECT_FALSE(fs::is_symlink(target + "/a/l1"));
    EXPECT_EQ(ReadFile(target + "/a/l2"), "written through links");
}

TEST_F(Hostile, PathsTheLibraryCannotHoldAreRefused) {
    // The library cuts target + name to 2047 bytes and would write under the cut name.
    WriteFile(source + "/a.txt", "short");
    WriteFile(source + "/long/name.txt", "long");
    WriteFile(source + "/\xC3\xA9\xC3\xA9.txt", "two-byte letters");
    MakeRar(root / "n.rar", source, {"a.txt", "long/name.txt", "\xC3\xA9\xC3\xA9.txt"});
    rar.SetArchiveName("C:\\n.rar");
    struct Case {
        size_t targetLength;  // native bytes
        std::vector<std::string> written;
        size_t refused;
        int extracting;  // OnExtracting calls; the longest target is refused before opening
    };
    const std::vector<Case> cases = {
        {2041, {"a.txt"}, 2, 3},                          // "/a.txt" just fits
        {2039, {"a.txt"}, 2, 3},                          // 7 letters fit, their 9 bytes do not
        {2038, {"a.txt", "\xC3\xA9\xC3\xA9.txt"}, 1, 3},  // 9 bytes just fit
        {2046, {}, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.targetLength);
        fs::remove_all(target);
        std::string deep = MakeDeepDir(target, c.targetLength);
        rar.SetTargetDir(platform::FromNative(deep));
        errors.clear();
        int extracting = 0;
        rar.OnExtracting = [&](TObject*, RARHeaderData&) { ++extracting; };
        EXPECT_FALSE(rar.Extract());
        EXPECT_EQ(ListFiles(target), [&] {
            std::vector<std::string> w;
            for (const auto& f : c.written) w.push_back(deep.substr(target.size() + 1) + "/" + f);
            return w;
        }());
        EXPECT_EQ(errors, std::vector<int>(c.refused, ERAR_ECREATE));
        EXPECT_EQ(extracting, c.extracting);
        EXPECT_TRUE(outside().empty());
    }
}

TEST_F(Hostile, VolumesThatAreNotRegularFilesAreRefusedWithoutWaiting) {
    std::string data;
    for (int i = 0; i < 60000; ++i) data += static_cast<char>((i * 2654435761u) >> 24);
    WriteFile(source + "/big.dat", data);
    RarOptions split;
    split.volumeSize = "20k";
    split.store = true;
    for (bool oldNaming : {false, true})
        for (size_t fifoAt : {0, 1, 2}) {
            SCOPED_TRACE(std::to_string(oldNaming) + " " + std::to_string(fifoAt));
            for (const auto& v : Volumes(root / "v.part1.rar")) fs::remove(v);
            for (const auto& v : Volumes(root / "v.rar")) fs::remove(v);
            MakeRar(root / "v.rar", source, {"big.dat"}, split);
            std::vector<std::string> volumes = Volumes(root / "v.part1.rar");
            if (oldNaming) volumes = ToOldNaming(root / "v.part1.rar");
            ASSERT_GT(volumes.size(), 2u);
            fs::remove(volumes[fifoAt]);
            BlockingFifo fifo(volumes[fifoAt]);
            rar.SetArchiveName(platform::FromNative(volumes[0]));
            errors.clear();
            EXPECT_FALSE(rar.Extract());
            EXPECT_FALSE(fifo.ReaderBlocked());
            // Every volume on the disk is checked before the archive is opened.
            EXPECT_EQ(errors, std::vector<int>{ERAR_EOPEN});
            EXPECT_FALSE(rar.Opened());
        }
}

}  // namespace
