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
        drives = std::make_unique<DriveMapScope>(std::vector<platform::Drive>{MakeDrive('c', root.Path())});
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
            if (f.rfind("game/target/", 0) != 0 && f.rfind("src/", 0) != 0 && f.find(".rar") == std::string::npos)
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

}  // namespace
