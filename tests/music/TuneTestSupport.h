// Shared by the music library's tests: the generated module, environment scopes and the
// raw output of SDL's disk audio driver.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "music/tunedll.h"
#include "support/TestSupport.h"

namespace tune_test {

constexpr int kRate = 44100;

// Writes the installer's module with the generator built beside the tests.
inline void MakeModule(const std::string& path) {
    std::string out;
    int status = testing_support::Run(
        testing_support::Quote(std::string(INSTALLER_BUILD_DIR) + "/bin/modgen") + " " +
            testing_support::Quote(path),
        &out);
    ASSERT_EQ(status, 0) << "modgen (build it first): " << out;
}

// Sets (or, with nullopt, removes) an environment variable for the scope's lifetime.
class EnvScope {
  public:
    EnvScope(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
    ~EnvScope() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }
    EnvScope(const EnvScope&) = delete;
    EnvScope& operator=(const EnvScope&) = delete;

  private:
    const char* name_;
    std::optional<std::string> old_;
};

// Frames (16-bit stereo) written so far to a disk-driver file.
inline long FramesIn(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? static_cast<long>(st.st_size / 4) : 0;
}

// Waits until the file holds at least `frames` frames; false after the timeout.
inline bool WaitForFrames(const std::string& path, long frames, double timeoutSeconds = 20) {
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    while (FramesIn(path) < frames) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// Interleaved samples of frames [from, to) of a disk-driver file. Reads only that range:
// a file written at full speed grows by hundreds of megabytes a second.
inline std::vector<int16_t> ReadFrames(const std::string& path, long from, long to) {
    std::vector<int16_t> out;
    from = std::max(from, 0L);
    to = std::min(to, FramesIn(path));
    if (from >= to) return out;
    std::ifstream in(path, std::ios::binary);
    in.seekg(from * 4);
    out.resize(static_cast<size_t>(to - from) * 2);
    in.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size() * 2));
    out.resize(static_cast<size_t>(in.gcount() / 2));
    return out;
}

inline int Peak(const std::vector<int16_t>& samples) {
    int peak = 0;
    for (int16_t s : samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
    return peak;
}

inline long FramesOf(double seconds) {
    return static_cast<long>(seconds * kRate);
}

}  // namespace tune_test
