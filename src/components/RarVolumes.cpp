#include "components/RarVolumes.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/Platform.h"

namespace rarvolumes {

namespace {

namespace fs = std::filesystem;

constexpr char kRar5Signature[] = {'R', 'a', 'r', '!', 0x1A, 0x07, 0x01, 0x00};
constexpr uint64_t kFirstBlock = sizeof kRar5Signature;
// A block: CRC32 of the rest of its header, the header's size, then the header.
constexpr uint64_t kCrcSize = 4;
constexpr uint64_t kMaxHeaderSize = 2 * 1024 * 1024;
// Block types.
constexpr uint64_t kFileBlock = 2;
constexpr uint64_t kEndBlock = 5;
// Flags every block header has.
constexpr uint64_t kBlockHasExtraArea = 0x01;
constexpr uint64_t kBlockHasData = 0x02;
// Flags of a file header.
constexpr uint64_t kFileHasTime = 0x02;
constexpr uint64_t kFileHasCrc = 0x04;
constexpr uint64_t kFileTimeSize = 4;
constexpr uint64_t kFileCrcSize = 4;
// Record of a file header's extra area holding the file's version.
constexpr uint64_t kVersionRecord = 4;
// The most volumes followed on one disk.
constexpr int kMaxVolumes = 10000;

uint32_t crc32(const unsigned char* data, size_t n) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) c = table[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

// Reads a RAR 5 variable-length integer at pos of bytes[0, end); false when the bytes run
// out first.
bool readVint(const unsigned char* bytes, size_t end, size_t& pos, uint64_t& value) {
    value = 0;
    for (int shift = 0; shift < 70 && pos < end; shift += 7) {
        unsigned char c = bytes[pos++];
        value |= static_cast<uint64_t>(c & 0x7F) << shift;
        if (!(c & 0x80)) return true;
    }
    return false;
}

// One block's header: the bytes its checksum covers (the size field and the header) and
// the fields every block has.
struct Block {
    uint32_t storedCrc = 0;
    std::vector<unsigned char> bytes;
    uint64_t type = 0, flags = 0, extraSize = 0, dataSize = 0;
    size_t fieldsAt = 0;  // where the type's own fields begin in bytes

    bool Read(size_t& pos, uint64_t& value) const {
        return readVint(bytes.data(), bytes.size(), pos, value);
    }
    bool ChecksumHolds() const { return storedCrc == crc32(bytes.data(), bytes.size()); }
};

// The blocks of a volume in order, from the start.
class Rar5Blocks {
  public:
    explicit Rar5Blocks(const std::string& volume) : in_(volume, std::ios::binary) {
        char signature[sizeof kRar5Signature] = {};
        in_.read(signature, sizeof signature);
        readable_ = in_.gcount() == sizeof signature;
        rar5_ = readable_ && std::memcmp(signature, kRar5Signature, sizeof signature) == 0;
        in_.clear();
        in_.seekg(0, std::ios::end);
        size_ = static_cast<uint64_t>(in_.tellg());
    }
    bool Readable() const { return readable_; }
    bool Rar5() const { return rar5_; }

    // The next block; false at the end of the volume or at a block that does not fit in it.
    bool Next(Block& b) {
        if (!rar5_ || next_ >= size_) return false;
        // The checksum and the size field, which is short for any header size allowed.
        unsigned char lead[kCrcSize + 4];
        size_t available = static_cast<size_t>(std::min<uint64_t>(sizeof lead, size_ - next_));
        if (available <= kCrcSize || !readAt(next_, lead, available)) return false;
        b.storedCrc =
            lead[0] | (lead[1] << 8) | (lead[2] << 16) | (static_cast<uint32_t>(lead[3]) << 24);
        size_t pos = kCrcSize;
        uint64_t headerSize;
        if (!readVint(lead, available, pos, headerSize)) return false;
        if (headerSize == 0 || headerSize > kMaxHeaderSize) return false;
        const uint64_t sizeField = pos - kCrcSize;
        const uint64_t end = next_ + kCrcSize + sizeField + headerSize;
        if (end > size_) return false;
        b.bytes.resize(sizeField + headerSize);
        if (!readAt(next_ + kCrcSize, b.bytes.data(), b.bytes.size())) return false;
        size_t p = sizeField;
        b.extraSize = b.dataSize = 0;
        if (!b.Read(p, b.type) || !b.Read(p, b.flags)) return false;
        if ((b.flags & kBlockHasExtraArea) && !b.Read(p, b.extraSize)) return false;
        if ((b.flags & kBlockHasData) && !b.Read(p, b.dataSize)) return false;
        if (b.extraSize > b.bytes.size() - p || b.dataSize > size_ - end) return false;
        b.fieldsAt = p;
        next_ = end + b.dataSize;
        return true;
    }

  private:
    bool readAt(uint64_t at, unsigned char* to, size_t n) {
        in_.clear();
        in_.seekg(static_cast<std::streamoff>(at));
        in_.read(reinterpret_cast<char*>(to), static_cast<std::streamsize>(n));
        return static_cast<size_t>(in_.gcount()) == n;
    }

    std::ifstream in_;
    bool readable_ = false, rar5_ = false;
    uint64_t size_ = 0;
    uint64_t next_ = kFirstBlock;
};

// The name of a file block and the version its extra area records; false when it records
// none.
bool fileVersion(const Block& b, std::string& name, uint64_t& version) {
    size_t p = b.fieldsAt;
    uint64_t fileFlags, unused, nameSize;
    if (!b.Read(p, fileFlags) || !b.Read(p, unused) || !b.Read(p, unused)) return false;
    p += (fileFlags & kFileHasTime ? kFileTimeSize : 0) +
         (fileFlags & kFileHasCrc ? kFileCrcSize : 0);
    if (!b.Read(p, unused) || !b.Read(p, unused) || !b.Read(p, nameSize)) return false;
    const size_t extraAt = b.bytes.size() - b.extraSize;
    if (p > extraAt || nameSize > extraAt - p) return false;
    name.assign(reinterpret_cast<const char*>(b.bytes.data()) + p, nameSize);
    // Records: their size (from the type on), type, data.
    for (size_t record = extraAt; record < b.bytes.size();) {
        size_t r = record;
        uint64_t size, type, recordFlags;
        if (!b.Read(r, size) || size > b.bytes.size() - r) return false;
        const size_t next = r + size;
        if (!b.Read(r, type)) return false;
        if (type == kVersionRecord) return b.Read(r, recordFlags) && b.Read(r, version);
        record = next;
    }
    return false;
}

// Whether a name has the form rar gives an older version: "name;N".
bool versionForm(const std::string& name) {
    size_t semicolon = name.rfind(';');
    if (semicolon == std::string::npos || semicolon == 0 || semicolon + 1 == name.size())
        return false;
    for (size_t i = semicolon + 1; i < name.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) return false;
    return true;
}

}  // namespace

std::vector<std::string> NextVolumeNames(const std::string& volume) {
    std::vector<std::string> names;
    size_t base = volume.rfind('/') == std::string::npos ? 0 : volume.rfind('/') + 1;
    size_t dot = volume.rfind('.');
    if (dot == std::string::npos || dot < base) dot = volume.size();
    size_t end = dot;
    while (end > base && !std::isdigit(static_cast<unsigned char>(volume[end - 1]))) --end;
    if (end > base) {
        std::string next = volume;
        size_t i = end;
        bool carry = true;
        while (carry && i > base && std::isdigit(static_cast<unsigned char>(next[i - 1]))) {
            if (next[i - 1] == '9') {
                next[--i] = '0';
            } else {
                ++next[i - 1];
                carry = false;
            }
        }
        if (carry) next.insert(i, "1");
        names.push_back(next);
    }
    std::string ext = volume.substr(dot);
    for (char& c : ext) c = platform::AsciiLower(c);
    if (ext == ".rar" || ext == ".exe") {
        names.push_back(volume.substr(0, dot) + ".r00");
    } else if (ext.size() == 4 && std::isdigit(static_cast<unsigned char>(ext[2])) &&
               std::isdigit(static_cast<unsigned char>(ext[3]))) {
        std::string next = volume;
        int n = (ext[2] - '0') * 10 + (ext[3] - '0') + 1;
        if (n == 100) ++next[dot + 1];
        next[dot + 2] = static_cast<char>('0' + n % 100 / 10);
        next[dot + 3] = static_cast<char>('0' + n % 10);
        names.push_back(next);
    }
    return names;
}

bool VolumesAreRegular(const std::string& volume) {
    std::error_code ec;
    std::string current = volume;
    for (int i = 0; i < kMaxVolumes; ++i) {
        if (fs::exists(current, ec) && !fs::is_regular_file(current, ec)) return false;
        std::string next;
        for (const std::string& name : NextVolumeNames(current))
            if (fs::exists(name, ec)) {
                if (!fs::is_regular_file(name, ec)) return false;
                if (next.empty()) next = name;
            }
        if (next.empty()) return true;
        current = next;
    }
    return true;
}

std::string FollowFirstVolumeLink(const std::string& volume) {
    std::error_code ec;
    if (!fs::is_symlink(volume, ec)) return volume;
    fs::path target = fs::read_symlink(volume, ec);
    if (ec) return volume;
    if (target.is_relative()) target = fs::absolute(fs::path(volume).parent_path(), ec) / target;
    return target.lexically_normal().string();
}

bool EndsWithEndBlock(const std::string& volume) {
    Rar5Blocks blocks(volume);
    if (!blocks.Readable()) return false;
    if (!blocks.Rar5()) return true;
    Block b;
    while (blocks.Next(b))
        if (b.type == kEndBlock) return b.ChecksumHolds();
    return false;
}

bool TOlderVersions::Contains(const std::string& volume, const std::string& name) {
    if (!versionForm(name)) return false;
    if (volume != volume_) {
        volume_ = volume;
        names_.clear();
        Rar5Blocks blocks(volume);
        Block b;
        std::string stored;
        uint64_t version;
        while (blocks.Next(b) && b.type != kEndBlock)
            if (b.type == kFileBlock && b.extraSize && fileVersion(b, stored, version))
                names_.insert(stored + ";" + std::to_string(version));
    }
    return names_.count(name) > 0;
}

}  // namespace rarvolumes
