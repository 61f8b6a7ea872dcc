// Finding drives in the system: the mount table, block devices, case rules, remote names,
// volume labels, the default map and the map's text form.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/Platform.h"
#include "platform/PosixDrives.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;
using namespace platform;
using namespace platform::posix;
using namespace testing_support;

namespace {

MountEntry mount(const std::string& point, const std::string& fs, const std::string& source,
                 const std::string& options = "rw") {
    return MountEntry{"/", point, fs, source, options};
}

TEST(MountTable, ParsedWithEscapesOptionalFieldsAndBadLinesSkipped) {
    std::string text =
        "27 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda1 rw,discard\n"
        "40 27 8:17 / /media/user/My\\040Stick rw,nosuid shared:5 master:2 - vfat /dev/sdb1 "
        "rw,shortname=mixed\n"
        "garbage line\n"
        "41 27 0:50 /@home /home rw - btrfs /dev/vda2 rw\n"
        "42 27 0:51 / /net/games rw - nfs4 fileserver:/export/games rw,vers=4.2\n";
    std::vector<MountEntry> m = ParseMountInfo(text);
    ASSERT_EQ(m.size(), 4u);
    EXPECT_EQ(m[0].MountPoint, "/");
    EXPECT_EQ(m[0].FileSystem, "ext4");
    EXPECT_EQ(m[0].Source, "/dev/vda1");
    EXPECT_EQ(m[0].Options, "rw,relatime,rw,discard");
    EXPECT_EQ(m[1].MountPoint, "/media/user/My Stick");
    EXPECT_EQ(m[1].FileSystem, "vfat");
    EXPECT_EQ(m[2].Root, "/@home");
    EXPECT_EQ(m[3].Source, "fileserver:/export/games");

    const MountEntry* home = MountOf(m, "/home/user/games");
    ASSERT_NE(home, nullptr);
    EXPECT_EQ(home->MountPoint, "/home");
    EXPECT_EQ(MountOf(m, "/homework")->MountPoint, "/");  // a prefix is not a parent
    // An over-mount hides the earlier file system.
    m.push_back(mount("/home", "tmpfs", "tmpfs"));
    EXPECT_EQ(MountOf(m, "/home/x")->FileSystem, "tmpfs");
}

TEST(MountTable, TheProcessOwnTableHoldsTheRoot) {
    std::vector<MountEntry> m = ReadMounts();
    const MountEntry* root = MountOf(m, "/");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->MountPoint, "/");
}

struct FakeSysfs : ::testing::Test {
    TempDir sys;
    // A disk with partitions, as sysfs lays it out: class/block/<name> links to the device.
    void disk(const std::string& name, const std::string& removable,
              std::vector<std::string> partitions = {}, const std::string& scsiType = "0") {
        std::string dir = sys / ("devices/pci0000:00/host/block/" + name);
        MakeDirs(dir + "/device");
        WriteFile(dir + "/removable", removable + "\n");
        WriteFile(dir + "/device/type", scsiType + "\n");
        MakeDirs(sys / "class/block");
        fs::create_directory_symlink(dir, sys / ("class/block/" + name));
        for (const std::string& p : partitions) {
            MakeDirs(dir + "/" + p);
            WriteFile(dir + "/" + p + "/partition", "1\n");
            fs::create_directory_symlink(dir + "/" + p, sys / ("class/block/" + p));
        }
    }
};

TEST_F(FakeSysfs, DevicesByKind) {
    disk("sda", "0", {"sda1", "sda2"});
    disk("sdb", "1", {"sdb1"});
    disk("sr0", "1");
    disk("sdc", "0", {}, "5");  // an optical drive seen through another driver
    struct Case {
        std::string device;
        DeviceKind kind;
    };
    const Case cases[] = {
        {"/dev/sda2", DeviceKind::Fixed},     {"/dev/sda", DeviceKind::Fixed},
        {"/dev/sdb1", DeviceKind::Removable}, {"/dev/sdb", DeviceKind::Removable},
        {"/dev/sr0", DeviceKind::Optical},    {"/dev/sdc", DeviceKind::Optical},
        {"/dev/nvme9n1", DeviceKind::None},   {"tmpfs", DeviceKind::None},
    };
    for (const Case& c : cases) EXPECT_EQ(KindOfDevice(c.device, sys.Path()), c.kind) << c.device;
    disk("sr1", "1");
    EXPECT_EQ(OpticalDevices(sys.Path()), (std::vector<std::string>{"/dev/sr0", "/dev/sr1"}));
}

TEST(FileSystems, TypesCaseRulesAndRemoteNames) {
    const uint32_t sensitive = FS_CASE_SENSITIVE | FS_CASE_IS_PRESERVED | FS_UNICODE_ON_DISK;
    const uint32_t preserving = FS_CASE_IS_PRESERVED | FS_UNICODE_ON_DISK;
    struct Case {
        MountEntry m;
        DeviceKind kind;
        DriveType type;
        uint32_t flags;
        std::string remote;
    };
    const Case cases[] = {
        {mount("/", "ext4", "/dev/vda1"), DeviceKind::Fixed, DRIVE_FIXED, sensitive, ""},
        {mount("/m", "vfat", "/dev/sdb1"), DeviceKind::Removable, DRIVE_REMOVABLE, preserving, ""},
        {mount("/m", "exfat", "/dev/sdc1"), DeviceKind::Fixed, DRIVE_FIXED, preserving, ""},
        {mount("/m", "msdos", "/dev/fd0"), DeviceKind::Removable, DRIVE_REMOVABLE, 0u, ""},
        {mount("/m", "iso9660", "/dev/sr0"), DeviceKind::Optical, DRIVE_CDROM, preserving, ""},
        {mount("/m", "udf", "/dev/sr0"), DeviceKind::Optical, DRIVE_CDROM, sensitive, ""},
        {mount("/m", "iso9660", "/dev/loop3"), DeviceKind::Fixed, DRIVE_CDROM, preserving, ""},
        {mount("/m", "tmpfs", "tmpfs"), DeviceKind::None, DRIVE_RAMDISK, sensitive, ""},
        {mount("/m", "ramfs", "none"), DeviceKind::None, DRIVE_RAMDISK, sensitive, ""},
        {mount("/m", "ntfs3", "/dev/sda3", "rw,nocase"), DeviceKind::Fixed, DRIVE_FIXED, preserving,
         ""},
        {mount("/n", "cifs", "//Server/Games/"), DeviceKind::None, DRIVE_REMOTE, sensitive,
         "\\\\Server\\Games"},
        {mount("/n", "nfs4", "files:/export/games"), DeviceKind::None, DRIVE_REMOTE, sensitive,
         "\\\\files\\export\\games"},
        {mount("/n", "fuse.sshfs", "me@host:"), DeviceKind::None, DRIVE_REMOTE, sensitive,
         "\\\\host"},
        {mount("/n", "smb3", "//nas/share", "rw,nocase"), DeviceKind::None, DRIVE_REMOTE,
         preserving, "\\\\nas\\share"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.m.FileSystem + " " + c.m.Source);
        EXPECT_EQ(TypeOfMount(c.m, c.kind), c.type);
        EXPECT_EQ(FlagsOfFileSystem(c.m.FileSystem, c.m.Options), c.flags);
        EXPECT_EQ(RemoteNameOfMount(c.m), c.remote);
    }
}

TEST(DefaultMap, RootThenHomeMediaOpticalAndNetworkInAStableOrder) {
    std::vector<MountEntry> m = {
        mount("/", "ext4", "/dev/vda1"),
        mount("/proc", "proc", "proc"),
        mount("/dev/shm", "tmpfs", "tmpfs"),
        mount("/run/user/1000", "tmpfs", "tmpfs"),
        mount("/boot/efi", "vfat", "/dev/vda15"),
        mount("/net/games", "nfs4", "files:/export/games"),
        mount("/media/cdrom", "iso9660", "/dev/sr0"),
        mount("/run/media/me/STICK", "vfat", "/dev/sdb1"),
        mount("/mnt/data", "ext4", "/dev/vdb1"),
        mount("/mnt/scratch", "tmpfs", "tmpfs"),
        mount("/home", "ext4", "/dev/vda2"),
        mount("/media/old", "ext4", "/dev/sdc1"),
        mount("/media/old", "vfat", "/dev/sdd1"),  // mounted over the one before
    };
    auto kindOf = [](const std::string& dev) {
        if (dev == "/dev/sr0" || dev == "/dev/sr1") return DeviceKind::Optical;
        if (dev == "/dev/sdb1" || dev == "/dev/sdd1") return DeviceKind::Removable;
        return DeviceKind::Fixed;
    };
    std::vector<Drive> d = DrivesFromMounts(m, "/home/me", kindOf, {"/dev/sr0", "/dev/sr1"});
    struct Expected {
        char letter;
        std::string root, device;
        bool ready;
    };
    const Expected expected[] = {
        {'c', "", "", true},
        {'d', "/home", "", true},
        {'e', "/media/old", "/dev/sdd1", true},
        {'f', "/mnt/data", "", true},
        {'g', "/run/media/me/STICK", "/dev/sdb1", true},
        {'h', "/media/cdrom", "/dev/sr0", true},
        {'i', "/dev/sr1", "/dev/sr1", false},  // a drive without a disc
        {'j', "/net/games", "", true},
    };
    ASSERT_EQ(d.size(), std::size(expected));
    for (size_t i = 0; i < d.size(); ++i) {
        SCOPED_TRACE(expected[i].letter);
        EXPECT_EQ(d[i].Letter, expected[i].letter);
        EXPECT_EQ(d[i].NativeRoot, expected[i].root);
        EXPECT_EQ(d[i].Device, expected[i].device);
        EXPECT_EQ(d[i].Ready, expected[i].ready);
        // Media drives know their type; everything else is read from the system.
        EXPECT_EQ(d[i].Given, expected[i].device.empty() ? 0u : uint32_t{dfType});
    }
    EXPECT_EQ(d[2].Type, DRIVE_REMOVABLE);
    EXPECT_EQ(d[4].Type, DRIVE_REMOVABLE);
    EXPECT_EQ(d[5].Type, DRIVE_CDROM);
    EXPECT_EQ(d[6].Type, DRIVE_CDROM);
    // Without a separate home the letters close up.
    std::vector<Drive> flat =
        DrivesFromMounts({mount("/", "ext4", "/dev/vda1")}, "/root", kindOf, {});
    ASSERT_EQ(flat.size(), 1u);
    EXPECT_EQ(flat[0].Letter, 'c');
}

TEST(DriveMapText, KeysGivenAndLeftToTheSystem) {
    auto map = ParseDriveMap(
        "e=/media/cdrom,type=cdrom,device=/dev/sr0;c=/;d=/srv/games/,label=GAMES,flags=0x2,"
        "fs=vfat,ready=0;n=/net/share,type=remote,remote=\\\\server\\share");
    ASSERT_TRUE(map);
    ASSERT_EQ(map->size(), 4u);
    const Drive &c = (*map)[0], &d = (*map)[1], &e = (*map)[2], &n = (*map)[3];
    EXPECT_EQ(c.Letter, 'c');
    EXPECT_EQ(c.NativeRoot, "");
    EXPECT_EQ(c.Given, 0u);
    EXPECT_EQ(d.NativeRoot, "/srv/games");
    EXPECT_EQ(d.Label, "GAMES");
    EXPECT_EQ(d.Flags, uint32_t{FS_CASE_IS_PRESERVED});
    EXPECT_EQ(d.FileSystem, "vfat");
    EXPECT_FALSE(d.Ready);
    EXPECT_EQ(d.Given, uint32_t{dfLabel | dfFlags | dfFileSystem | dfReady});
    EXPECT_EQ(e.Type, DRIVE_CDROM);
    EXPECT_EQ(e.Device, "/dev/sr0");
    EXPECT_EQ(e.Given, uint32_t{dfType});
    EXPECT_EQ(n.RemoteName, "\\\\server\\share");

    for (const char* bad :
         {"", "cc=/x", "1=/x", "c=relative", "c=/x,colour=red", "c=/x,type=tape", "c=/x,flags=lots",
          "c=/x,ready=yes", "c=/x,label", "c=/x;c=/y", "c=/x,device=sr0"})
        EXPECT_FALSE(ParseDriveMap(bad)) << bad;
}

TEST(VolumeLabels, ReadFromTheFileSystemOrUdevLinks) {
    TempDir dir;
    if (testing_support::Run("command -v mkfs.ext4 >/dev/null || test -x /usr/sbin/mkfs.ext4 || "
                             "test -x /sbin/mkfs.ext4") != 0)
        GTEST_SKIP() << "mkfs.ext4 is not installed";
    std::string image = dir / "disk.img";
    ASSERT_EQ(testing_support::Run("truncate -s 4M " + Quote(image) +
                                   " && PATH=$PATH:/usr/sbin:/sbin mkfs.ext4 -q -L GAMES " +
                                   Quote(image)),
              0);
    EXPECT_EQ(ReadVolumeLabel(image), "GAMES");
    WriteFile(dir / "blank.img", std::string(1 << 16, '\0'));
    EXPECT_EQ(ReadVolumeLabel(dir / "blank.img"), "");

    // A device the library cannot read: udev's link names it.
    MakeDirs(dir / "by-label");
    MakeDirs(dir / "device");
    fs::create_directory_symlink(dir / "device", dir / "by-label/My\\x20Disk");
    EXPECT_EQ(ReadVolumeLabel(dir / "device", dir / "by-label"), "My Disk");
    EXPECT_EQ(ReadVolumeLabel(dir / "nothing", dir / "by-label"), "");
}

TEST(LiveDrives, FieldsLeftToTheSystemComeFromTheRealFileSystem) {
    TempDir root;
    Drive live = MakeDrive('x', root.Path());
    live.Given = 0;
    Drive missing = MakeDrive('y', root / "gone");
    missing.Given = 0;
    DriveMapScope scope({MakeDrive('c', "/"), live, missing});
    std::optional<Drive> x = DriveOf('x');
    ASSERT_TRUE(x);
    const std::vector<MountEntry> mounts = ReadMounts();
    const MountEntry* m = MountOf(mounts, fs::canonical(root.Path()).string());
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(x->FileSystem, m->FileSystem);
    EXPECT_EQ(x->Flags, FlagsOfFileSystem(m->FileSystem, m->Options));
    EXPECT_TRUE(x->Ready);
    DeviceKind kind = m->Source.rfind("/dev/", 0) == 0 ? KindOfDevice(m->Source) : DeviceKind::None;
    EXPECT_EQ(GetDriveType("x:\\"), unsigned{TypeOfMount(*m, kind)});
    VolumeInformation info;
    EXPECT_EQ(GetVolumeInformation("X:\\", info), 0u);
    EXPECT_EQ(info.FileSystemName, m->FileSystem);
    EXPECT_EQ(GetDriveType("y:\\"), unsigned{DRIVE_NO_ROOT_DIR});
    EXPECT_EQ(GetDriveType("q:\\"), unsigned{DRIVE_NO_ROOT_DIR});
    std::string remote;
    EXPECT_EQ(GetNetworkConnection("X:", remote), unsigned{ERROR_NOT_CONNECTED});

    // Memory file systems read as RAM disks.
    const MountEntry* shm = MountOf(mounts, "/dev/shm");
    if (shm && shm->MountPoint == "/dev/shm" && IsRamFileSystem(shm->FileSystem)) {
        Drive ram = MakeDrive('r', "/dev/shm");
        ram.Given = 0;
        DriveMapScope shmScope({MakeDrive('c', "/"), ram});
        EXPECT_EQ(GetDriveType("r:\\"), unsigned{DRIVE_RAMDISK});
        ASSERT_EQ(GetVolumeInformation("r:\\", info), 0u);
        EXPECT_EQ(info.Label, "");
    }
}

}  // namespace
