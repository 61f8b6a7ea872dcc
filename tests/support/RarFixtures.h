// Archives made by the rar program at test time, and careful byte edits of them.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

struct RarOptions {
    std::string volumeSize;       // e.g. "20k": split into volumes
    std::string commentFile;      // archive comment from this file
    std::string password;         // encrypts the file data
    bool encryptHeaders = false;  // with password: the names too
    bool store = false;           // no compression
    bool keepLinks = false;       // store symbolic links as links
    std::string extra;            // further switches
};

// Adds the given entries (relative to folder, as stored names) to archive (a native
// path); all of folder when entries is empty. Fails the test when rar fails.
void MakeRar(const std::string& archive, const std::string& folder,
             const std::vector<std::string>& entries = {}, const RarOptions& options = {});

// Volumes of an archive, in order (new and old naming).
std::vector<std::string> Volumes(const std::string& firstVolume);

// Renames the volumes of name.part1.rar, name.part2.rar ... to the old naming scheme
// name.rar, name.r00, name.r01 ... (rar itself no longer writes it); returns the new names.
std::vector<std::string> ToOldNaming(const std::string& firstVolume);

// Replaces a stored name in a RAR 5 archive by another of the same length and mends the
// header checksum, so the library reads the archive as if it had been made so.
void PatchRar5Name(const std::string& archive, const std::string& oldName,
                   const std::string& newName);

// Removes every file block (header and data) from a RAR 5 archive, keeping the rest: the
// library then reads an archive that holds no entry.
void DropRar5Files(const std::string& archive);

// Flips one byte of the archive at the first occurrence of marker (+ offset).
void CorruptAt(const std::string& archive, const std::string& marker, int offset = 0);

}  // namespace testing_support
