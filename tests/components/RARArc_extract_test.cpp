// Unpacking real archives made by rar, watching the events a window would see.
#include <gtest/gtest.h>

#include <filesystem>

#include "components/RARArc.h"
#include "support/RarFixtures.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;
using namespace testing_support;

namespace {

// Drive c: is a temporary folder: the component sees platform paths only.
struct Extraction : ::testing::Test {
    TempDir root;
    std::unique_ptr<DriveMapScope> drives;
    std::string source, target;
    TRAR rar;
    std::vector<std::string> events;

    void SetUp() override {
        drives = std::make_unique<DriveMapScope>(
            std::vector<platform::Drive>{MakeDrive('c', root.Path())});
        source = root / "src";
        target = root / "target";
        MakeDirs(source);
        MakeDirs(target);
        rar.SetTargetDir("C:\\target");
        rar.OnExtracting = [this](TObject* s, RARHeaderData& h) {
            EXPECT_EQ(s, &rar);
            events.push_back(std::string("extracting ") + h.FileName);
        };
        rar.OnExtract = [this](TObject*, RARHeaderData& h, bool ok) {
            events.push_back(std::string("extract ") + h.FileName + (ok ? " ok" : " failed"));
        };
        rar.OnError = [this](TObject*, int code) {
            events.push_back("error " + std::to_string(code));
        };
    }

    void file(const std::string& name, const std::string& content) {
        WriteFile(source + "/" + name, content);
    }
    std::string archive(const std::string& name) { return root / name; }
};

TEST_F(Extraction, SingleVolumeWithDataEventsInOrder) {
    file("a.txt", "hello");
    file("DIR/b.txt", std::string(3000, 'b'));
    MakeRar(archive("one.rar"), source, {"a.txt", "DIR/b.txt"});
    rar.SetArchiveName("C:\\one.rar");
    std::vector<int64_t> positions;
    int blocks = 0;
    rar.OnProcessData = [&](TObject*, unsigned char*, int size, int64_t position) {
        ++blocks;
        positions.push_back(position);
        EXPECT_GT(size, 0);
        return 1;
    };
    std::vector<std::string> arcNames;
    rar.OnExtracting = [&](TObject*, RARHeaderData& h) {
        events.push_back(std::string("extracting ") + h.FileName);
        arcNames.push_back(h.ArcName);
        EXPECT_EQ(h.CmtBufSize, 0xFFFFu);
    };
    EXPECT_TRUE(rar.Extract());
    EXPECT_EQ(events, (std::vector<std::string>{"extracting a.txt", "extract a.txt ok",
                                                "extracting DIR\\b.txt", "extract DIR\\b.txt ok"}));
    EXPECT_EQ(arcNames, (std::vector<std::string>{"C:\\one.rar", "C:\\one.rar"}));
    EXPECT_EQ(positions.back(), 3000);
    EXPECT_EQ(ReadFile(target + "/a.txt"), "hello");
    EXPECT_EQ(ReadFile(target + "/DIR/b.txt"), std::string(3000, 'b'));
}

TEST_F(Extraction, SeveralVolumesInBothNamingSchemes) {
    std::string big;
    for (int i = 0; i < 40000; ++i) big += static_cast<char>((i * 7919) % 251);
    file("big.bin", big);
    file("small.txt", "small");
    for (bool oldNaming : {false, true}) {
        std::string name = oldNaming ? "old.rar" : "new.rar";
        RarOptions o;
        o.volumeSize = "10k";
        o.store = true;
        MakeRar(archive(name), source, {"big.bin", "small.txt"}, o);
        std::string stem = oldNaming ? "old" : "new";
        auto volumes = Volumes(archive(stem + ".part1.rar"));
        if (oldNaming) volumes = ToOldNaming(archive("old.part1.rar"));
        std::string first = volumes.front();
        ASSERT_GE(volumes.size(), 4u);
        events.clear();
        std::vector<std::string> notified;
        rar.OnVolumeChange = [&](TObject*, char* arcName, int mode) {
            EXPECT_EQ(mode, RAR_VOL_NOTIFY);
            notified.push_back(arcName);
            return 1;
        };
        fs::remove_all(target);
        MakeDirs(target);
        rar.SetArchiveName("C:\\" + fs::path(first).filename().string());
        EXPECT_TRUE(rar.Extract()) << name;
        EXPECT_EQ(ReadFile(target + "/big.bin"), big);
        EXPECT_EQ(ReadFile(target + "/small.txt"), "small");
        ASSERT_EQ(notified.size(), volumes.size() - 1) << name;
        EXPECT_EQ(notified.front(), "C:\\" + fs::path(volumes[1]).filename().string());
    }
}

TEST_F(Extraction, NonAsciiNamesArrive) {
    file("Überraschung ✓.txt", "ü");
    MakeRar(archive("u.rar"), source);
    rar.SetArchiveName("C:\\u.rar");
    EXPECT_TRUE(rar.Extract());
    EXPECT_EQ(ReadFile(target + "/Überraschung ✓.txt"), "ü");
}

TEST_F(Extraction, CommentOnlyWhenReadCompletely) {
    file("a.txt", "a");
    WriteFile(root / "comment.txt", "Tarnwick disk 1");
    RarOptions o;
    o.commentFile = root / "comment.txt";
    MakeRar(archive("c.rar"), source, {"a.txt"}, o);
    std::string seen;
    rar.OnComment = [&](TObject*, const TComment& c) { seen.assign(c.CommentText, c.CommentSize); };
    rar.SetArchiveName("C:\\c.rar");
    EXPECT_TRUE(rar.Extract());
    EXPECT_EQ(seen.substr(0, 15), "Tarnwick disk 1");

    // A comment longer than the buffer is not handed out.
    std::string lines;
    while (lines.size() < 70000) lines += "a long comment line that keeps going and going\n";
    WriteFile(root / "long.txt", lines);
    o.commentFile = root / "long.txt";
    MakeRar(archive("long.rar"), source, {"a.txt"}, o);
    seen.clear();
    int comments = 0;
    rar.OnComment = [&](TObject*, const TComment&) { ++comments; };
    rar.SetArchiveName("C:\\long.rar");
    EXPECT_TRUE(rar.Extract());
    EXPECT_EQ(comments, 0);
}

TEST_F(Extraction, PasswordVariableIsSharedByTheRun) {
    file("one.txt", "first secret");
    file("two.txt", "second secret");
    RarOptions o;
    o.password = "tarn";
    MakeRar(archive("p.rar"), source, {"one.txt", "two.txt"}, o);
    std::vector<std::string> received;
    rar.OnReqPassword = [&](TObject*, RARHeaderData& h, std::string& password) {
        received.push_back(std::string(h.FileName) + ":" + password);
        if (received.size() == 1) password = "tarn";
    };
    rar.SetArchiveName("C:\\p.rar");
    EXPECT_TRUE(rar.Extract());
    EXPECT_EQ(received, (std::vector<std::string>{"one.txt:", "two.txt:tarn"}));
    EXPECT_EQ(ReadFile(target + "/two.txt"), "second secret");
}

TEST_F(Extraction, EncryptedHeadersNeedThePassword) {
    file("hidden.txt", "names are secret too");
    RarOptions o;
    o.password = "tarn";
    o.encryptHeaders = true;
    MakeRar(archive("h.rar"), source, {"hidden.txt"}, o);
    rar.SetArchiveName("C:\\h.rar");
    // Without a handler the run cannot read a single entry: a failure, not a success.
    EXPECT_FALSE(rar.Extract());
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back(), "error 22");
    EXPECT_FALSE(Exists(target + "/hidden.txt"));

    events.clear();
    rar.OnReqPassword = [&](TObject*, RARHeaderData&, std::string& password) {
        password = "wrong";
    };
    EXPECT_FALSE(rar.Extract());
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back(), "error 24");

    events.clear();
    rar.OnReqPassword = [&](TObject*, RARHeaderData&, std::string& password) { password = "tarn"; };
    EXPECT_TRUE(rar.Extract()) << ::testing::PrintToString(events);
    EXPECT_EQ(ReadFile(target + "/hidden.txt"), "names are secret too");
}

TEST_F(Extraction, DamagedEntryIsReportedAndTheRunGoesOn) {
    file("a.txt", std::string(2000, 'A') + "MARKER-IN-DATA" + std::string(2000, 'A'));
    file("b.txt", "after the damage");
    RarOptions o;
    o.store = true;
    MakeRar(archive("d.rar"), source, {"a.txt", "b.txt"}, o);
    CorruptAt(archive("d.rar"), "MARKER-IN-DATA", 3);
    rar.SetArchiveName("C:\\d.rar");
    EXPECT_FALSE(rar.Extract());
    EXPECT_EQ(events,
              (std::vector<std::string>{"extracting a.txt", "extract a.txt failed", "error 12",
                                        "extracting b.txt", "extract b.txt ok"}));
    EXPECT_EQ(ReadFile(target + "/b.txt"), "after the damage");
}

TEST_F(Extraction, DamagedOrCutHeaderEndsTheRunAsAFailure) {
    file("first.txt", "first");
    file("second-name-marker.txt", "second");
    MakeRar(archive("h.rar"), source, {"first.txt", "second-name-marker.txt"});
    std::string good = ReadFile(archive("h.rar"));
    CorruptAt(archive("h.rar"), "second-name-marker");
    rar.SetArchiveName("C:\\h.rar");
    EXPECT_FALSE(rar.Extract());
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events[0], "extracting first.txt");
    EXPECT_EQ(events[1], "extract first.txt ok");
    EXPECT_EQ(events.back(), "error 12");

    // Cut inside the second header: the library takes it for the end of the archive.
    size_t at = good.find("second-name-marker");
    WriteFile(archive("h.rar"), good.substr(0, at));
    events.clear();
    EXPECT_FALSE(rar.Extract());
    EXPECT_EQ(events.back(), "error 12");
}

TEST_F(Extraction, BytesAfterTheEndBlockDoNotMakeAnArchiveDamaged) {
    std::string big;
    for (int i = 0; i < 30000; ++i) big += static_cast<char>((i * 7919) % 251);
    file("big.bin", big);
    file("a.txt", "a");
    WriteFile(root / "comment.txt", "Tarnwick disk 1");
    struct Case {
        const char* name;
        std::string extra = {}, comment = {}, volumes = {};
    };
    std::vector<Case> cases = {{"plain"},
                               {"recovery record", "-rr10%"},
                               {"locked", "-k"},
                               {"quick open", "-qo+"},
                               {"comment", "", root / "comment.txt"},
                               {"volumes", "", "", "10k"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(root / "p");
        MakeDirs(root / "p");
        RarOptions o;
        o.extra = c.extra;
        o.commentFile = c.comment;
        o.volumeSize = c.volumes;
        o.store = !c.volumes.empty();
        MakeRar(root / "p/x.rar", source, {"big.bin", "a.txt"}, o);
        std::string first = c.volumes.empty() ? root / "p/x.rar" : root / "p/x.part1.rar";
        // Each volume padded to whole 2 KiB blocks, and a block more.
        for (const std::string& v : Volumes(first)) {
            std::string bytes = ReadFile(v);
            WriteFile(v, bytes + std::string(2048 + 2048 - bytes.size() % 2048, '\0'));
        }
        rar.SetArchiveName(platform::FromNative(first));
        events.clear();
        EXPECT_TRUE(rar.Extract());
        EXPECT_EQ(events.back(), "extract a.txt ok");
        EXPECT_EQ(ReadFile(target + "/big.bin"), big);
    }
}

// An archive from which every file was taken is a failure; one holding folders is not.
TEST_F(Extraction, AnArchiveWithoutEntriesIsAFailure) {
    file("a.txt", "a");
    MakeDirs(source + "/EMPTY/INNER");
    struct Case {
        const char* name;
        std::string entry, extra;
        bool dropFiles;
        std::vector<std::string> events;
    };
    const std::vector<Case> cases = {
        {"no entry", "a.txt", "", true, {"error 10"}},
        {"recovery record only", "a.txt", "-rr10%", true, {"error 10"}},
        {"folders only",
         "EMPTY",
         "",
         false,
         {"extracting EMPTY\\INNER", "extract EMPTY\\INNER ok", "extracting EMPTY",
          "extract EMPTY ok"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(archive("n.rar"));
        RarOptions o;
        o.extra = c.extra;
        MakeRar(archive("n.rar"), source, {c.entry}, o);
        if (c.dropFiles) DropRar5Files(archive("n.rar"));
        rar.SetArchiveName("C:\\n.rar");
        events.clear();
        EXPECT_EQ(rar.Extract(), !c.dropFiles);
        EXPECT_EQ(events, c.events);
    }
    EXPECT_TRUE(fs::is_directory(target + "/EMPTY/INNER"));
}

// Older versions of a file kept by rar's -ver stay in the archive, as unrar leaves them.
TEST_F(Extraction, OnlyTheNewestVersionOfAFileIsInstalled) {
    RarOptions versions;
    versions.extra = "-ver";
    for (const char* content : {"one", "two", "three"}) {
        file("bin/tool", content);
        MakeRar(archive("v.rar"), source, {"bin/tool"}, versions);
    }
    file("keep;1", "a name that only looks like a version");
    MakeRar(archive("v.rar"), source, {"keep;1"});
    rar.SetArchiveName("C:\\v.rar");
    EXPECT_TRUE(rar.Extract());
    EXPECT_EQ(ListFiles(target), (std::vector<std::string>{"bin/tool", "keep;1"}));
    EXPECT_EQ(ReadFile(target + "/bin/tool"), "three");
    EXPECT_EQ(events, (std::vector<std::string>{"extracting bin\\tool", "extract bin\\tool ok",
                                                "extracting keep;1", "extract keep;1 ok"}));
}

TEST_F(Extraction, MissingMiddleVolume) {
    std::string big;
    for (int i = 0; i < 40000; ++i) big += static_cast<char>((i * 31) % 253);
    file("big.bin", big);
    RarOptions o;
    o.volumeSize = "15k";
    o.store = true;
    MakeRar(archive("m.rar"), source, {"big.bin"}, o);
    auto volumes = Volumes(archive("m.part1.rar"));
    ASSERT_GE(volumes.size(), 3u);
    std::string away = root / "away.rar";
    fs::rename(volumes[1], away);
    rar.SetArchiveName("C:\\m.part1.rar");

    // The handler puts the "disk" in and asks the library to look again.
    std::vector<std::string> calls;
    rar.OnVolumeChange = [&](TObject*, char* name, int mode) {
        calls.push_back(std::to_string(mode) + " " + name);
        if (mode == RAR_VOL_ASK) {
            if (calls.size() > 5) return 0;  // never loop for ever
            fs::rename(away, volumes[1]);
        }
        return 1;
    };
    EXPECT_TRUE(rar.Extract());
    EXPECT_EQ(ReadFile(target + "/big.bin"), big);
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0], "0 C:\\m.part2.rar");
    EXPECT_EQ(calls[1], "1 C:\\m.part2.rar");

    // A handler that gives up: the run fails and says so.
    fs::rename(volumes[1], away);
    fs::remove_all(target);
    MakeDirs(target);
    events.clear();
    int asks = 0;
    rar.OnVolumeChange = [&](TObject*, char*, int mode) {
        if (mode == RAR_VOL_ASK) ++asks;
        return mode == RAR_VOL_ASK ? 0 : 1;
    };
    EXPECT_FALSE(rar.Extract());
    EXPECT_EQ(asks, 1);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().rfind("error ", 0), 0u);
}

// A first volume linked from elsewhere (an installer copied off its medium): the library
// looks for the next volumes beside the linked file, and the prompt names the medium's drive.
TEST_F(Extraction, LinkedFirstVolumeLeadsToTheRealVolumes) {
    file("big.bin", std::string(40000, 'x'));
    RarOptions o;
    o.volumeSize = "15k";
    o.store = true;
    std::string medium = root / "medium";
    MakeDirs(medium);
    MakeDirs(root / "run");
    MakeRar(medium + "/m.rar", source, {"big.bin"}, o);
    auto volumes = Volumes(medium + "/m.part1.rar");
    ASSERT_GE(volumes.size(), 3u);
    drives.reset();
    drives = std::make_unique<DriveMapScope>(std::vector<platform::Drive>{
        MakeDrive('c', root.Path()), MakeDrive('d', medium, platform::DRIVE_CDROM)});
    rar.SetArchiveName("C:\\run\\m.part1.rar");
    for (std::string link : {medium + "/m.part1.rar", std::string("../medium/m.part1.rar")}) {
        fs::remove(root / "run/m.part1.rar");
        fs::create_symlink(link, root / "run/m.part1.rar");
        fs::rename(volumes[1], root / "away.rar");
        std::vector<std::string> calls;
        rar.OnVolumeChange = [&](TObject*, char* name, int mode) {
            calls.push_back(std::to_string(mode) + " " + name);
            if (mode == RAR_VOL_ASK && fs::exists(root / "away.rar"))
                fs::rename(root / "away.rar", volumes[1]);
            return calls.size() < 5 ? 1 : 0;
        };
        fs::remove_all(target);
        MakeDirs(target);
        EXPECT_TRUE(rar.Extract()) << link;
        EXPECT_EQ(ReadFile(target + "/big.bin"), std::string(40000, 'x'));
        ASSERT_GE(calls.size(), 2u);
        EXPECT_EQ(calls[0], "0 D:\\m.part2.rar") << link;
        EXPECT_EQ(calls[1], "1 D:\\m.part2.rar") << link;
    }
}

TEST_F(Extraction, EntryThatCannotBeCreatedDoesNotStopTheOthers) {
    file("DATA/inside.txt", "x");
    file("zlast.txt", "last");
    MakeRar(archive("e.rar"), source, {"DATA/inside.txt", "zlast.txt"});
    WriteFile(target + "/DATA", "a file where a folder must go");
    rar.SetArchiveName("C:\\e.rar");
    EXPECT_FALSE(rar.Extract());
    EXPECT_EQ(events, (std::vector<std::string>{"extracting DATA\\inside.txt",
                                                "extract DATA\\inside.txt failed", "error 16",
                                                "extracting zlast.txt", "extract zlast.txt ok"}));
    EXPECT_EQ(ReadFile(target + "/zlast.txt"), "last");
}

TEST_F(Extraction, SelectionByFullNameIgnoringCase) {
    file("DOCS/README.TXT", "r");
    file("DOCS/other.txt", "o");
    file("readme.txt", "top");
    MakeRar(archive("s.rar"), source, {"DOCS/README.TXT", "DOCS/other.txt", "readme.txt"});
    TStringList wanted;
    wanted.Add("docs\\readme.txt");
    rar.SetFilesToExtract(wanted);
    wanted.Add("readme.txt");  // the component keeps its own copy
    rar.SetArchiveName("C:\\s.rar");
    EXPECT_TRUE(rar.Extract());
    EXPECT_EQ(events, (std::vector<std::string>{"extracting DOCS\\README.TXT",
                                                "extract DOCS\\README.TXT ok"}));
    EXPECT_EQ(ListFiles(target), (std::vector<std::string>{"DOCS/README.TXT"}));
}

TEST_F(Extraction, StopBeforeAndDuringTheRun) {
    file("a.txt", "a");
    file("b.txt", "b");
    MakeRar(archive("st.rar"), source, {"a.txt", "b.txt"});
    rar.SetArchiveName("C:\\st.rar");
    rar.SetStop(true);
    EXPECT_TRUE(rar.Extract());
    EXPECT_TRUE(events.empty());
    EXPECT_FALSE(rar.Stop());
    EXPECT_TRUE(ListFiles(target).empty());

    rar.OnExtracting = [&](TObject*, RARHeaderData& h) {
        events.push_back(std::string("extracting ") + h.FileName);
        rar.SetStop(true);
    };
    EXPECT_TRUE(rar.Extract());
    EXPECT_EQ(events, (std::vector<std::string>{"extracting a.txt", "extract a.txt ok"}));
    EXPECT_EQ(ListFiles(target), (std::vector<std::string>{"a.txt"}));
    EXPECT_FALSE(rar.Stop());
}

TEST_F(Extraction, NoArchiveNameOrNoArchive) {
    rar.SetArchiveName("");
    EXPECT_FALSE(rar.Extract());
    EXPECT_EQ(events, (std::vector<std::string>{"error 13"}));
    events.clear();
    rar.SetArchiveName("C:\\missing.rar");
    EXPECT_FALSE(rar.Extract());
    EXPECT_EQ(events, (std::vector<std::string>{"error 15"}));
}

TEST_F(Extraction, AnErrorRaisedByAHandlerLeavesExtractAndTheNextRunWorks) {
    file("a.txt", "a");
    MakeRar(archive("x.rar"), source, {"a.txt"});
    rar.SetArchiveName("C:\\x.rar");
    rar.OnProcessData = [](TObject*, unsigned char*, int, int64_t) -> int {
        throw std::runtime_error("boom");
    };
    EXPECT_THROW(rar.Extract(), std::runtime_error);
    EXPECT_FALSE(TRAR::Running());
    rar.OnProcessData = nullptr;
    EXPECT_TRUE(rar.Extract());
}

}  // namespace
