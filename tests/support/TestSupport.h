// Helpers shared by the tests: temporary folders, files, drive maps, running programs.
#pragma once

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/Platform.h"
#include "platform/Seams.h"

namespace testing_support {

// A temporary folder, removed with everything in it when the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; }
    // Native path of a name inside the folder.
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

void WriteFile(const std::string& nativePath, const std::string& bytes);
std::string ReadFile(const std::string& nativePath);
bool Exists(const std::string& nativePath);
void MakeDirs(const std::string& nativePath);
// Makes a folder below base whose native path is exactly length bytes long; returns it.
std::string MakeDeepDir(const std::string& base, size_t length);
// A FIFO at path, and a watch that lets go of any reader blocked on it: a reader that still
// holds it after a grace period of two seconds is recorded as blocked and released (the watch
// opens the writing end, which ends the reader's wait with no data).
class BlockingFifo {
  public:
    explicit BlockingFifo(const std::string& nativePath);
    ~BlockingFifo();
    bool ReaderBlocked() const { return blocked_; }

  private:
    std::string path_;
    std::atomic<bool> done_{false};
    std::atomic<bool> blocked_{false};
    std::thread watch_;
};
// Every regular file below root, as relative paths with '/', sorted.
std::vector<std::string> ListFiles(const std::string& root);

// Runs a command through the shell; returns its exit status. Output goes to *output.
int Run(const std::string& command, std::string* output = nullptr);
std::string Quote(const std::string& s);

// Maps drive letters to folders for the lifetime of the object (previous map restored).
// The process's current directory comes back too.
class DriveMapScope {
  public:
    explicit DriveMapScope(std::vector<platform::Drive> drives);
    ~DriveMapScope();

  private:
    std::string savedCwd_;
    seams::DriveMapScope map_;
};
platform::Drive MakeDrive(char letter, const std::string& nativeRoot,
                          platform::DriveType type = platform::DRIVE_FIXED,
                          const std::string& label = "");

}  // namespace testing_support
