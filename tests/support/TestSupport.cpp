#include "support/TestSupport.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace testing_support {

TempDir::TempDir() {
    std::string tmpl = (fs::temp_directory_path() / "installer-test-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
}

TempDir::~TempDir() {
    std::error_code ec;
    // Folders made read-only by a test must become writable again to be removed.
    for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::end(it); ++it)
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

void WriteFile(const std::string& nativePath, const std::string& bytes) {
    fs::create_directories(fs::path(nativePath).parent_path());
    std::ofstream out(nativePath, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFile(const std::string& nativePath) {
    std::ifstream in(nativePath, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

bool Exists(const std::string& nativePath) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(nativePath, ec));
}

void MakeDirs(const std::string& nativePath) {
    fs::create_directories(nativePath);
}

BlockingFifo::BlockingFifo(const std::string& nativePath) : path_(nativePath) {
    if (mkfifo(path_.c_str(), 0600) != 0) throw std::runtime_error("mkfifo " + path_);
    watch_ = std::thread([this] {
        // A sound reader opens without blocking, sees a FIFO and lets go at once; only a
        // reader still there after the grace period is one that waits for data.
        auto graceEnds = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (!done_ && std::chrono::steady_clock::now() < graceEnds)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        while (!done_) {
            // Opening the writing end without blocking succeeds only while a reader has it.
            int fd = open(path_.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                blocked_ = true;
                close(fd);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
}

BlockingFifo::~BlockingFifo() {
    done_ = true;
    watch_.join();
}

std::string MakeDeepDir(const std::string& base, size_t length) {
    std::string path = base;
    while (path.size() < length) {
        size_t rest = length - path.size();
        size_t segment = std::min<size_t>(200, rest - 1);
        if (rest - 1 - segment == 1) --segment;  // never leave a rest too short for a folder
        path += "/" + std::string(segment, 'd');
    }
    MakeDirs(path);
    return path;
}

std::vector<std::string> ListFiles(const std::string& root) {
    std::vector<std::string> out;
    for (auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file()) out.push_back(fs::relative(e.path(), root).string());
    std::sort(out.begin(), out.end());
    return out;
}

int Run(const std::string& command, std::string* output) {
    std::string cmd = command + " 2>&1";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return -1;
    std::array<char, 4096> buf{};
    std::string text;
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) text.append(buf.data(), n);
    int status = pclose(p);
    if (output) *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Quote(const std::string& s) {
    std::string out = "'";
    for (char c : s) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

DriveMapScope::DriveMapScope(std::vector<platform::Drive> drives)
    : savedCwd_(fs::current_path().string()), map_(std::move(drives)) {}

DriveMapScope::~DriveMapScope() {
    std::error_code ec;
    fs::current_path(savedCwd_, ec);
}

platform::Drive MakeDrive(char letter, const std::string& nativeRoot, platform::DriveType type,
                          const std::string& label) {
    platform::Drive d;
    d.Letter = letter;
    d.NativeRoot = nativeRoot;
    d.Type = type;
    d.Label = label;
    return d;
}

}  // namespace testing_support
