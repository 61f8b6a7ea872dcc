#include "BenchArchives.h"

#include <sys/resource.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "support/RarFixtures.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;
using namespace testing_support;

namespace bench {

namespace {

// splitmix64: fast, and the same payload on every run.
struct Random {
    uint64_t state;
    uint64_t Next() {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    size_t Below(size_t n) { return static_cast<size_t>(Next() % n); }
};

std::string randomBytes(Random& r, size_t n) {
    std::string s(n, '\0');
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t v = r.Next();
        std::copy_n(reinterpret_cast<const char*>(&v), 8, &s[i]);
    }
    for (; i < n; ++i) s[i] = static_cast<char>(r.Next());
    return s;
}

// Lines of words and numbers, as game scripts and level texts look: it compresses to
// about a quarter, not to nothing.
std::string text(Random& r, size_t n) {
    static const char* words[] = {"the",   "door",  "opens",  "when",  "player", "holds", "key",
                                  "tower", "north", "gate",   "torch", "stair",  "dark",  "goblin",
                                  "sword", "level", "script", "room",  "chest",  "gold",  "spell"};
    constexpr size_t kWords = sizeof words / sizeof *words;
    std::string s;
    s.reserve(n + 64);
    while (s.size() < n) {
        size_t count = 4 + r.Below(10);
        for (size_t w = 0; w < count; ++w) {
            if (w) s += ' ';
            s += words[r.Below(kWords)];
            if (r.Below(5) == 0) s += std::to_string(r.Below(1000));
        }
        s += "\r\n";
    }
    s.resize(n);
    return s;
}

// Writes a file of the given size in pieces, so that no payload file is held whole.
void writeLarge(const std::string& path, uint64_t size, bool asText, Random& r) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    constexpr uint64_t kPiece = 1 << 20;
    for (uint64_t done = 0; done < size; done += kPiece) {
        size_t n = static_cast<size_t>(std::min(kPiece, size - done));
        std::string piece = asText ? text(r, n) : randomBytes(r, n);
        out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
    }
}

ArchiveInfo pack(const std::string& folder, const std::string& name, const std::string& payload,
                 const std::string& volumeSize) {
    ArchiveInfo info;
    TreeTotals t = Totals(payload);
    info.files = t.files;
    info.bytes = t.bytes;
    info.entries = t.files;
    for (auto& e : fs::recursive_directory_iterator(payload)) info.entries += e.is_directory();
    RarOptions o;
    o.volumeSize = volumeSize;
    o.extra = "-m1";  // the fastest method that still compresses: rar's default takes minutes
    MakeRar(folder + "/" + name + ".rar", payload, {}, o);
    // rar names a single volume without a part number.
    const std::string first = folder + "/" + name + ".part1.rar";
    std::vector<std::string> volumes =
        Volumes(fs::exists(first) ? first : folder + "/" + name + ".rar");
    info.volumes = static_cast<int>(volumes.size());
    if (!volumes.empty()) info.firstVolume = volumes.front();
    fs::remove_all(payload);
    return info;
}

}  // namespace

ArchiveInfo MakeLargeArchive(const std::string& folder, const std::string& name, uint64_t minBytes,
                             const std::string& volumeSize) {
    std::string payload = folder + "/" + name + "-payload";
    Random r{1};
    const uint64_t random = minBytes / 4 * 3, plain = minBytes - random;
    struct Part {
        const char* name;
        uint64_t size;
        bool text;
    };
    const Part parts[] = {
        {"GAME.DAT", random / 2, false},
        {"SOUND/MUSIC.PAK", random / 3, false},
        {"VIDEO/INTRO.BIK", random - random / 2 - random / 3, false},
        {"TEXT/SCRIPTS.TXT", plain / 2, true},
        {"TEXT/DIALOGUE.TXT", plain / 4, true},
        {"LEVELS/LEVELS.TXT", plain - plain / 2 - plain / 4, true},
        {"README.TXT", 4096, true},
        {"TARNWICK.EXE", 300000, false},
    };
    for (const Part& p : parts) writeLarge(payload + "/" + p.name, p.size, p.text, r);
    return pack(folder, name, payload, volumeSize);
}

ArchiveInfo MakeSmallFilesArchive(const std::string& folder, const std::string& name, int count,
                                  const std::string& volumeSize) {
    std::string payload = folder + "/" + name + "-payload";
    Random r{2};
    constexpr int kPerFolder = 200;
    for (int i = 0; i < count; ++i) {
        char path[64];
        std::snprintf(path, sizeof path, "/DATA/D%03d/F%05d.%s", i / kPerFolder, i,
                      i % 3 ? "TXT" : "BIN");
        if (i % kPerFolder == 0) fs::create_directories(fs::path(payload + path).parent_path());
        size_t size = 32 + r.Below(4064);
        std::string bytes = i % 3 ? text(r, size) : randomBytes(r, size);
        std::ofstream(payload + path, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(size));
    }
    return pack(folder, name, payload, volumeSize);
}

TreeTotals Totals(const std::string& root) {
    TreeTotals t;
    for (auto& e : fs::recursive_directory_iterator(root)) {
        if (!e.is_regular_file()) continue;
        ++t.files;
        t.bytes += e.file_size();
    }
    return t;
}

bool SameTrees(const std::string& a, const std::string& b) {
    std::vector<std::string> files = ListFiles(a);
    if (files != ListFiles(b)) return false;
    std::vector<char> x(1 << 20), y(1 << 20);
    for (const auto& f : files) {
        std::ifstream fa(a + "/" + f, std::ios::binary), fb(b + "/" + f, std::ios::binary);
        while (fa && fb) {
            fa.read(x.data(), static_cast<std::streamsize>(x.size()));
            fb.read(y.data(), static_cast<std::streamsize>(y.size()));
            if (fa.gcount() != fb.gcount() ||
                !std::equal(x.begin(), x.begin() + fa.gcount(), y.begin()))
                return false;
        }
        if (static_cast<bool>(fa) != static_cast<bool>(fb)) return false;
    }
    return true;
}

void Empty(const std::string& dir) {
    for (auto& e : fs::directory_iterator(dir)) fs::remove_all(e.path());
}

std::string FileSystemOf(const std::string& folder) {
    struct statfs s {};
    if (statfs(folder.c_str(), &s) != 0) return "unknown";
    static const std::pair<unsigned long, const char*> kinds[] = {{0x01021994, "tmpfs"},
                                                                  {0xEF53, "ext4"},
                                                                  {0x9123683E, "btrfs"},
                                                                  {0x58465342, "xfs"},
                                                                  {0x794C7630, "overlayfs"}};
    const auto type = static_cast<unsigned long>(s.f_type);
    for (const auto& [magic, name] : kinds)
        if (magic == type) return name;
    char hex[40];
    std::snprintf(hex, sizeof hex, "file system 0x%lx", type);
    return hex;
}

bool TimeUnrar(const std::string& firstVolume, const std::string& target, double& seconds) {
    int status = -1;
    std::string cmd = "unrar x -idq -o+ " + Quote(firstVolume) + " " + Quote(target + "/");
    seconds = TimeRun([&] { status = Run(cmd); });
    return status == 0;
}

double TimeRun(const std::function<void()>& fn) {
    sync();
    auto t0 = std::chrono::steady_clock::now();
    fn();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

ChildUsage RunChild(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ChildUsage usage;
    std::fflush(nullptr);
    const auto t0 = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid < 0) return usage;
    if (pid == 0) {
        execv(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    rusage ru{};
    if (wait4(pid, &status, 0, &ru) != pid) return usage;
    usage.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    usage.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    usage.peakKiB = ru.ru_maxrss;
    return usage;
}

double Best(std::vector<double> v) {
    return v.empty() ? 0 : *std::min_element(v.begin(), v.end());
}

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    size_t m = v.size() / 2;
    return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
}

}  // namespace bench
