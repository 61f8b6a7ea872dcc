// Drive letters over real folders: current directories per drive, drives without a
// medium, enumeration with attributes, error codes and network names.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Platform.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;
using namespace platform;
using namespace testing_support;

namespace {

struct Paths : ::testing::Test {
    TempDir c, d, n;
    std::unique_ptr<DriveMapScope> drives;
    void SetUp() override {
        MakeDirs(c / "Games/Race");
        MakeDirs(d / "Disk1/Data");
        Drive net = MakeDrive('n', n.Path(), DRIVE_REMOTE);
        net.RemoteName = "\\\\server\\games";
        drives = std::make_unique<DriveMapScope>(std::vector<Drive>{
            MakeDrive('c', c.Path()), MakeDrive('d', d.Path(), DRIVE_CDROM, "DISC1"), net});
    }
    std::string cwd() const { return fs::current_path().string(); }
};

TEST_F(Paths, EachDriveKeepsItsOwnCurrentDirectory) {
    ASSERT_EQ(SetCurrentDirectory("D:\\Disk1\\Data"), 0u);
    ASSERT_EQ(SetCurrentDirectory("C:\\Games"), 0u);
    EXPECT_EQ(GetCurrentDirectory(), "C:\\Games");
    ASSERT_EQ(SetCurrentDirectory("d:"), 0u);
    EXPECT_EQ(GetCurrentDirectory(), "D:\\Disk1\\Data");
    EXPECT_EQ(cwd(), d / "Disk1/Data");
    ASSERT_EQ(SetCurrentDirectory("C:"), 0u);
    EXPECT_EQ(GetCurrentDirectory(), "C:\\Games");
    ASSERT_EQ(SetCurrentDirectory("Race"), 0u);
    EXPECT_EQ(GetCurrentDirectory(), "C:\\Games\\Race");
    EXPECT_EQ(ToNative("D:Data\\x"), d / "Disk1/Data/Data/x");
    EXPECT_EQ(ToNative("\\x"), c / "x");
    EXPECT_EQ(ToNative("C:\\..\\..\\x"), c / "x");  // never above the drive's root
    EXPECT_EQ(ToNative("\\\\server\\share"), "");   // no other machines
    EXPECT_EQ(ToNative("\\\\unix\\tmp"), "/tmp");
    EXPECT_EQ(ToNative("\\\\unixes\\tmp"), "");
    EXPECT_EQ(FromNative(c / "Games"), "C:\\Games");
}

TEST_F(Paths, ADriveWithoutAMediumIsNotReady) {
    seams::DriveReadyScope noMedium('d', false);
    ASSERT_EQ(SetCurrentDirectory("C:\\Games"), 0u);
    VolumeInformation info;
    DiskSpace space;
    std::vector<FindData> found;
    EXPECT_EQ(SetCurrentDirectory("D:"), unsigned{ERROR_NOT_READY});
    EXPECT_EQ(SetCurrentDirectory("D:\\Disk1"), unsigned{ERROR_NOT_READY});
    EXPECT_EQ(GetVolumeInformation("D:\\", info), unsigned{ERROR_NOT_READY});
    EXPECT_EQ(GetDiskFreeSpace("D:\\", space), unsigned{ERROR_NOT_READY});
    EXPECT_EQ(FindFiles("D:\\*.*", found), unsigned{ERROR_NOT_READY});
    EXPECT_EQ(CreateDirectory("D:\\New"), unsigned{ERROR_NOT_READY});
    EXPECT_EQ(GetFileAttributes("D:\\Disk1"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetDriveType("D:\\"), unsigned{DRIVE_CDROM});  // still a drive
    EXPECT_EQ(cwd(), c / "Games");
    seams::DriveReadyScope medium('d', true);
    EXPECT_EQ(SetCurrentDirectory("D:\\Disk1"), 0u);
    ASSERT_EQ(GetVolumeInformation("d:\\", info), 0u);
    EXPECT_EQ(info.Label, "DISC1");
}

TEST_F(Paths, ErrorCodesOfTheFileSystem) {
    WriteFile(c / "Games/readme.txt", "x");
    struct Case {
        std::string path;
        unsigned code;
    };
    const Case cases[] = {
        {"C:\\Games\\Nowhere", ERROR_FILE_NOT_FOUND},
        {"C:\\Nowhere\\Deeper", ERROR_PATH_NOT_FOUND},
        {"C:\\Games\\readme.txt", ERROR_DIRECTORY},
        {"Q:\\", ERROR_INVALID_NAME},
        {"", ERROR_INVALID_NAME},
    };
    for (const Case& k : cases) EXPECT_EQ(SetCurrentDirectory(k.path), k.code) << k.path;
    EXPECT_EQ(CreateDirectory("C:\\Games"), unsigned{ERROR_ALREADY_EXISTS});
    EXPECT_EQ(CreateDirectory("C:\\Nowhere\\New"), unsigned{ERROR_PATH_NOT_FOUND});
    EXPECT_EQ(CreateDirectory("C:\\Games\\a?b"), unsigned{ERROR_INVALID_NAME});
    EXPECT_EQ(ErrorFromErrno(ENOMEDIUM), unsigned{ERROR_NOT_READY});
}

TEST_F(Paths, EnumerationHidesDotNamesAndFiltersByAttribute) {
    MakeDirs(c / "Games/.cache");
    MakeDirs(c / "Games/Save");
    WriteFile(c / "Games/.profile", "x");
    WriteFile(c / "Games/game.exe", "x");
    std::vector<FindData> all, dirs, files;
    ASSERT_EQ(FindFiles("C:\\Games\\*.*", all), 0u);
    auto attributesOf = [&](const std::string& name) {
        for (const FindData& f : all)
            if (f.Name == name) return f.Attributes;
        return INVALID_FILE_ATTRIBUTES;
    };
    EXPECT_EQ(attributesOf(".cache"), uint32_t{FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN});
    EXPECT_EQ(attributesOf(".profile"), uint32_t{FILE_ATTRIBUTE_HIDDEN});
    EXPECT_EQ(attributesOf("."), uint32_t{FILE_ATTRIBUTE_DIRECTORY});
    EXPECT_EQ(GetFileAttributes("C:\\Games\\.cache") & FILE_ATTRIBUTE_HIDDEN,
              uint32_t{FILE_ATTRIBUTE_HIDDEN});

    auto names = [](const std::vector<FindData>& v) {
        std::vector<std::string> out;
        for (const FindData& f : v) out.push_back(f.Name);
        std::sort(out.begin(), out.end());
        return out;
    };
    ASSERT_EQ(FindFiles("C:\\Games\\*.*", FILE_ATTRIBUTE_DIRECTORY, dirs), 0u);
    EXPECT_EQ(names(dirs), (std::vector<std::string>{".", "..", "Race", "Save", "game.exe"}));
    ASSERT_EQ(FindFiles("C:\\Games\\*.*", 0, files), 0u);
    EXPECT_EQ(names(files), (std::vector<std::string>{"game.exe"}));
    ASSERT_EQ(FindFiles("C:\\Games\\*.*", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY, all),
              0u);
    EXPECT_EQ(all.size(), 7u);
    EXPECT_EQ(FindFiles("C:\\Games\\Race\\*.txt", 0, files), unsigned{ERROR_FILE_NOT_FOUND});
}

TEST_F(Paths, NetworkNamesAndTheErrorMode) {
    std::string remote;
    EXPECT_EQ(GetNetworkConnection("N:", remote), 0u);
    EXPECT_EQ(remote, "\\\\server\\games");
    EXPECT_EQ(GetNetworkConnection("C:", remote), unsigned{ERROR_NOT_CONNECTED});
    EXPECT_EQ(GetNetworkConnection("Q:", remote), unsigned{ERROR_NOT_CONNECTED});
    EXPECT_EQ(GetNetworkConnection("server", remote), unsigned{ERROR_BAD_DEVICE});
    EXPECT_EQ(GetLogicalDrives(), (1u << 2) | (1u << 3) | (1u << ('n' - 'a')));

    unsigned before = SetErrorMode(SEM_FAILCRITICALERRORS);
    EXPECT_EQ(GetErrorMode(), unsigned{SEM_FAILCRITICALERRORS});
    EXPECT_EQ(SetErrorMode(before), unsigned{SEM_FAILCRITICALERRORS});
    EXPECT_EQ(GetErrorMode(), before);
}

}  // namespace
