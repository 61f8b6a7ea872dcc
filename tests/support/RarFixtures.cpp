#include "support/RarFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>

#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace testing_support {

void MakeRar(const std::string& archive, const std::string& folder,
             const std::vector<std::string>& entries, const RarOptions& o) {
    // Recursion only for whole folders: it would follow links into the named entries.
    // rar reads the names through its locale: a UTF-8 one, whatever the test runs under.
    std::string cmd = "cd " + Quote(folder) + " && LC_ALL=C.UTF-8 " RAR_PROGRAM " a -idq -o+";
    if (entries.empty()) cmd += " -r";
    if (!o.volumeSize.empty()) cmd += " -v" + o.volumeSize;
    if (!o.commentFile.empty()) cmd += " -z" + Quote(o.commentFile);
    if (!o.password.empty()) cmd += (o.encryptHeaders ? " -hp" : " -p") + Quote(o.password);
    if (o.store) cmd += " -m0";
    if (o.keepLinks) cmd += " -ol";
    if (!o.extra.empty()) cmd += " " + o.extra;
    cmd += " " + Quote(archive);
    if (entries.empty()) {
        cmd += " .";
        cmd += " -x" + Quote(fs::path(archive).filename().string());
    } else {
        for (const auto& e : entries) cmd += " " + Quote(e);
    }
    std::string output;
    int status = Run(cmd, &output);
    ASSERT_EQ(status, 0) << cmd << "\n" << output;
}

std::vector<std::string> Volumes(const std::string& firstVolume) {
    fs::path first(firstVolume);
    std::string stem = first.stem().string();
    std::vector<std::string> out;
    auto dot = stem.rfind(".part");
    if (dot != std::string::npos) {
        std::string base = stem.substr(0, dot);
        for (int i = 1;; ++i) {
            int width = static_cast<int>(stem.size() - dot - 5);
            std::string num = std::to_string(i);
            num.insert(0, std::max(0, width - static_cast<int>(num.size())), '0');
            fs::path p = first.parent_path() / (base + ".part" + num + ".rar");
            if (!fs::exists(p)) break;
            out.push_back(p.string());
        }
        return out;
    }
    out.push_back(firstVolume);
    for (int i = 0;; ++i) {
        char ext[16];
        std::snprintf(ext, sizeof ext, ".r%02d", i);
        fs::path p = first.parent_path() / (stem + ext);
        if (!fs::exists(p)) break;
        out.push_back(p.string());
    }
    return out;
}

std::vector<std::string> ToOldNaming(const std::string& firstVolume) {
    std::vector<std::string> volumes = Volumes(firstVolume);
    fs::path first(firstVolume);
    std::string stem = first.stem().string();
    std::string base = (first.parent_path() / stem.substr(0, stem.rfind(".part"))).string();
    std::vector<std::string> out;
    for (size_t i = 0; i < volumes.size(); ++i) {
        char ext[16];
        if (i == 0)
            std::snprintf(ext, sizeof ext, ".rar");
        else
            std::snprintf(ext, sizeof ext, ".r%02d", static_cast<int>(i - 1));
        fs::rename(volumes[i], base + ext);
        out.push_back(base + ext);
    }
    return out;
}

namespace {

uint32_t crc32(const unsigned char* data, size_t n) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        c ^= data[i];
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    return c ^ 0xFFFFFFFFu;
}

// Reads a RAR 5 variable-length integer.
uint64_t vint(const std::string& s, size_t& pos) {
    uint64_t v = 0;
    for (int shift = 0; pos < s.size(); shift += 7) {
        auto b = static_cast<unsigned char>(s[pos++]);
        v |= static_cast<uint64_t>(b & 0x7F) << shift;
        if (!(b & 0x80)) break;
    }
    return v;
}

// Calls visit(crcAt, headerStart, headerEnd, type, dataSize) for each block of a RAR 5
// archive held in bytes, in order; headerStart is where the checksummed bytes begin.
template <typename Visit>
void forEachRar5Block(const std::string& bytes, Visit visit) {
    size_t pos = 8;  // after the signature
    while (pos + 4 < bytes.size()) {
        size_t headerStart = pos + 4;
        size_t p = headerStart;
        uint64_t size = vint(bytes, p);
        size_t headerEnd = p + size;
        if (headerEnd > bytes.size()) break;
        uint64_t type = vint(bytes, p);
        uint64_t flags = vint(bytes, p);
        if (flags & 0x1) vint(bytes, p);
        uint64_t dataSize = (flags & 0x2) ? vint(bytes, p) : 0;
        visit(pos, headerStart, headerEnd, type, dataSize);
        pos = headerEnd + dataSize;
    }
}

}  // namespace

void PatchRar5Name(const std::string& archive, const std::string& oldName,
                   const std::string& newName) {
    ASSERT_EQ(oldName.size(), newName.size());
    std::string bytes = ReadFile(archive);
    bool patched = false;
    forEachRar5Block(
        bytes, [&](size_t pos, size_t headerStart, size_t headerEnd, uint64_t, uint64_t) {
            size_t at = bytes.find(oldName, headerStart);
            if (at == std::string::npos || at + oldName.size() > headerEnd) return;
            bytes.replace(at, oldName.size(), newName);
            uint32_t crc = crc32(reinterpret_cast<const unsigned char*>(bytes.data()) + headerStart,
                                 headerEnd - headerStart);
            for (int i = 0; i < 4; ++i) bytes[pos + i] = static_cast<char>((crc >> (8 * i)) & 0xFF);
            patched = true;
        });
    ASSERT_TRUE(patched) << oldName << " not found in " << archive;
    WriteFile(archive, bytes);
}

void DropRar5Files(const std::string& archive) {
    std::string bytes = ReadFile(archive);
    std::string kept = bytes.substr(0, 8);
    forEachRar5Block(bytes,
                     [&](size_t pos, size_t, size_t headerEnd, uint64_t type, uint64_t dataSize) {
                         constexpr uint64_t kFileBlock = 2;
                         if (type != kFileBlock)
                             kept += bytes.substr(pos, headerEnd + dataSize - pos);
                     });
    ASSERT_LT(kept.size(), bytes.size()) << "no file in " << archive;
    WriteFile(archive, kept);
}

void CorruptAt(const std::string& archive, const std::string& marker, int offset) {
    std::string bytes = ReadFile(archive);
    size_t at = bytes.find(marker);
    ASSERT_NE(at, std::string::npos) << marker;
    bytes[at + offset] = static_cast<char>(bytes[at + offset] ^ 0x55);
    WriteFile(archive, bytes);
}

}  // namespace testing_support
