#include "components/RARArc.h"

#include <langinfo.h>
#include <locale.h>
#include <strings.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "platform/Platform.h"

// The library's header defines macros and types for itself; keep its records apart from
// ours. Its functions have C linkage, so the namespace does not change what they link to.
namespace unrar {
#include <unrar/dll.hpp>
}

namespace {

// The component whose run is in progress: the library's callbacks carry no user data.
TRAR* runningComponent = nullptr;
bool runInProgress = false;

constexpr unsigned kCommentBufferSize = 0xFFFF;

// Link kinds of the extended header.
constexpr unsigned FSREDIR_UNIXSYMLINK = 1;
constexpr unsigned FSREDIR_WINSYMLINK = 2;
constexpr unsigned FSREDIR_JUNCTION = 3;

// The longest native path, in bytes, the library can build from the destination and an
// entry name; a longer one it cuts short and writes under the cut-off name.
constexpr size_t kMaxNativePath = 2047;

size_t utf8Length(const wchar_t* text) {
    size_t n = 0;
    for (; *text; ++text) {
        auto c = static_cast<uint32_t>(*text);
        n += c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    }
    return n;
}

// Whether the library can hold the destination joined with a name of this many bytes.
bool pathFits(const std::string& nativeTarget, size_t nameBytes) {
    size_t dir = nativeTarget.size();
    if (dir > 0 && nativeTarget.back() != '/') ++dir;
    return dir + nameBytes <= kMaxNativePath;
}

// The same for an entry; a name that fills the header's buffer may have been cut already
// and counts as too long.
template <size_t N>
bool entryPathFits(const std::string& nativeTarget, const wchar_t (&name)[N]) {
    return wcsnlen(name, N) < N - 1 && pathFits(nativeTarget, utf8Length(name));
}

void copyBounded(char* dest, size_t size, const std::string& text) {
    size_t n = std::min(text.size(), size - 1);
    std::memcpy(dest, text.data(), n);
    dest[n] = 0;
}

// Native path of a platform path; paths that name no drive pass through unchanged (the
// library then fails to open them and says so).
std::string nativeOf(const std::string& platformPath) {
    std::string n = platform::ToNative(platformPath);
    return n.empty() ? platformPath : n;
}

// A first volume given as a symbolic link stands for the file it points to, so that the
// library looks for the next volumes beside that file and the disk prompt names them there:
// an installer run from a copy on a temporary disk links its first volume to the medium.
std::string followFirstVolumeLink(const std::string& nativeVolume) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!fs::is_symlink(nativeVolume, ec)) return nativeVolume;
    fs::path target = fs::read_symlink(nativeVolume, ec);
    if (ec) return nativeVolume;
    if (target.is_relative())
        target = fs::absolute(fs::path(nativeVolume).parent_path(), ec) / target;
    return target.lexically_normal().string();
}

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

// Reads a RAR 5 variable-length integer; false when the bytes run out first.
bool readVint(std::istream& in, uint64_t& value, unsigned& length) {
    value = 0;
    length = 0;
    for (int shift = 0; shift < 70; shift += 7) {
        int c = in.get();
        if (c == EOF) return false;
        ++length;
        value |= static_cast<uint64_t>(c & 0x7F) << shift;
        if (!(c & 0x80)) return true;
    }
    return false;
}

// A RAR 5 volume ends with an end-of-archive block. The library reads a volume cut inside
// a header as the normal end of the archive; this tells the two apart by walking the
// blocks from the start, so that bytes after the end block (padding of the medium) do not
// matter. Older formats cannot be told apart this way and count as complete.
bool endsWithEndBlock(const std::string& nativeVolume) {
    std::ifstream in(nativeVolume, std::ios::binary);
    if (!in) return false;
    char signature[8] = {};
    in.read(signature, 8);
    static const char rar5[8] = {'R', 'a', 'r', '!', 0x1A, 0x07, 0x01, 0x00};
    if (in.gcount() < 8) return false;
    if (std::memcmp(signature, rar5, 8) != 0) return true;
    in.seekg(0, std::ios::end);
    const uint64_t fileSize = static_cast<uint64_t>(in.tellg());
    uint64_t block = 8;
    constexpr uint64_t kMaxHeaderSize = 2 * 1024 * 1024;
    while (block < fileSize) {
        // CRC32, header size, then the header (type, flags, extra and data sizes, ...).
        in.seekg(static_cast<std::streamoff>(block));
        unsigned char crcBytes[4];
        in.read(reinterpret_cast<char*>(crcBytes), 4);
        uint64_t headerSize, type, flags;
        unsigned sizeLength, length;
        if (in.gcount() != 4 || !readVint(in, headerSize, sizeLength)) return false;
        if (headerSize == 0 || headerSize > kMaxHeaderSize) return false;
        const uint64_t headerStart = block + 4 + sizeLength;
        if (headerStart + headerSize > fileSize) return false;
        if (!readVint(in, type, length) || !readVint(in, flags, length)) return false;
        if (type == 5) {
            // The end block: its checksum covers the size field and the header.
            std::vector<unsigned char> bytes(sizeLength + headerSize);
            in.seekg(static_cast<std::streamoff>(block + 4));
            in.read(reinterpret_cast<char*>(bytes.data()),
                    static_cast<std::streamsize>(bytes.size()));
            if (static_cast<size_t>(in.gcount()) != bytes.size()) return false;
            uint32_t stored = crcBytes[0] | (crcBytes[1] << 8) | (crcBytes[2] << 16) |
                              (static_cast<uint32_t>(crcBytes[3]) << 24);
            return stored == crc32(bytes.data(), bytes.size());
        }
        uint64_t extraSize = 0, dataSize = 0;
        if ((flags & 0x01) && !readVint(in, extraSize, length)) return false;
        if ((flags & 0x02) && !readVint(in, dataSize, length)) return false;
        block = headerStart + headerSize;
        if (dataSize > fileSize - block) return false;
        block += dataSize;
    }
    return false;
}

// The names the library may open after this volume, in the new naming (the last group of
// digits counts up) and in the old one (.rar, .r00, .r01, ... .r99, .s00).
std::vector<std::string> nextVolumeNames(const std::string& volume) {
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

// Whether this volume and every one that follows it on the same disk are regular files.
// The library opens what it finds under a volume's name, and a FIFO there would hold it
// (and the whole program) waiting for a writer.
bool volumesAreRegular(const std::string& volume) {
    namespace fs = std::filesystem;
    std::error_code ec;
    std::string current = volume;
    for (int i = 0; i < 10000; ++i) {
        if (fs::exists(current, ec) && !fs::is_regular_file(current, ec)) return false;
        std::string next;
        for (const std::string& name : nextVolumeNames(current))
            if (fs::exists(name, ec)) {
                if (!fs::is_regular_file(name, ec)) return false;
                if (next.empty()) next = name;
            }
        if (next.empty()) return true;
        current = next;
    }
    return true;
}

// Closes the archive on every way out of a run.
struct ArchiveHandle {
    void* handle = nullptr;
    ~ArchiveHandle() {
        if (handle) unrar::RARCloseArchive(handle);
    }
};

// The library converts names between the archive's Unicode and the disk's bytes with the
// thread's character type. For the run it is UTF-8 whatever the user's locale, so names
// come out exactly as stored; the rest of the locale stays as it was.
class Utf8Names {
  public:
    Utf8Names() {
        const char* codeset = nl_langinfo(CODESET);
        if (strcasecmp(codeset, "UTF-8") == 0 || strcasecmp(codeset, "utf8") == 0) return;
        for (const char* name : {"C.UTF-8", "en_US.UTF-8"}) {
            locale_t base = duplocale(uselocale(static_cast<locale_t>(0)));
            if (!base) return;
            utf8_ = newlocale(LC_CTYPE_MASK, name, base);
            if (utf8_) break;
            freelocale(base);
        }
        if (utf8_) saved_ = uselocale(utf8_);
    }
    ~Utf8Names() {
        if (!utf8_) return;
        uselocale(saved_);
        freelocale(utf8_);
    }
    Utf8Names(const Utf8Names&) = delete;
    Utf8Names& operator=(const Utf8Names&) = delete;

  private:
    locale_t utf8_ = static_cast<locale_t>(0);
    locale_t saved_ = static_cast<locale_t>(0);
};

// Marks the run in progress for as long as it lasts.
struct RunScope {
    RunScope() { runInProgress = true; }
    ~RunScope() { runInProgress = false; }
};

}  // namespace

// The functions the library calls back; they find the component through the running one.
struct RARCallbacks {
    static int PASCAL ChangeVolume(char* arcName, int mode) {
        return runningComponent ? runningComponent->VolumeCallback(arcName, mode) : 0;
    }
    static int PASCAL ProcessData(unsigned char* addr, int size) {
        return runningComponent ? runningComponent->DataCallback(addr, size) : 0;
    }
};

TRAR::TRAR(TComponent* owner) : TComponent(owner) {
    filesToExtract_.SetSorted(true);
    filesToTest_.SetSorted(true);
}

bool TRAR::Running() {
    return runInProgress;
}

void TRAR::Error(int code) {
    if (OnError) OnError(this, code);
}

int TRAR::VolumeCallback(char* nativeName, int mode) {
    if (handlerError_) return 0;
    if (mode == RAR_VOL_NOTIFY) currentVolume_ = nativeName;
    if (mode == RAR_VOL_NOTIFY && !volumesAreRegular(nativeName)) return 0;
    if (!OnVolumeChange) return mode == RAR_VOL_NOTIFY ? 1 : 0;
    // The handler sees and may change a platform path; it goes back to the library native.
    char buffer[RAR_VOLUME_NAME_SIZE];
    copyBounded(buffer, sizeof buffer, platform::FromNative(nativeName));
    try {
        int result = OnVolumeChange(this, buffer, mode);
        if (mode == RAR_VOL_ASK && result != 0) {
            buffer[sizeof buffer - 1] = 0;
            copyBounded(nativeName, RAR_VOLUME_NAME_SIZE, nativeOf(buffer));
            if (!volumesAreRegular(nativeName)) return 0;
        }
        return result;
    } catch (...) {
        handlerError_ = std::current_exception();
        return 0;
    }
}

int TRAR::DataCallback(unsigned char* addr, int size) {
    if (handlerError_) return 0;
    position_ += size;
    if (!OnProcessData) return 1;
    try {
        return OnProcessData(this, addr, size, position_);
    } catch (...) {
        handlerError_ = std::current_exception();
        return 0;
    }
}

bool TRAR::Extract() {
    if (archiveName_.empty()) {
        Error(ERAR_BAD_ARCHIVE);
        return false;
    }
    if (runInProgress) {
        // The callbacks reach the component through one reference: never two runs at once.
        Error(ERAR_UNKNOWN);
        return false;
    }
    RunScope running;
    Utf8Names names;
    runningComponent = this;
    opened_ = false;
    handlerError_ = nullptr;
    bool result = true;

    auto comment = std::make_unique<TComment>();
    std::memset(comment.get(), 0, sizeof(TComment));
    std::string nativeArchive = followFirstVolumeLink(nativeOf(archiveName_));
    currentVolume_ = nativeArchive;

    // A target no entry name fits under is refused before anything is read.
    std::string nativeTarget = targetDir_.empty() ? "" : nativeOf(targetDir_);
    if (!pathFits(nativeTarget, 1)) {
        Error(ERAR_ECREATE);
        return false;
    }

    if (!volumesAreRegular(nativeArchive)) {
        Error(ERAR_EOPEN);
        return false;
    }

    unrar::RAROpenArchiveDataEx open{};
    std::vector<char> arcName(nativeArchive.begin(), nativeArchive.end());
    arcName.push_back(0);
    open.ArcName = arcName.data();
    open.OpenMode = RAR_OM_EXTRACT;
    open.CmtBuf = comment->CommentText;
    open.CmtBufSize = kCommentBufferSize;
    ArchiveHandle archive;
    archive.handle = unrar::RAROpenArchiveEx(&open);
    comment->CommentSize = open.CmtSize;

    std::vector<char> destination(nativeTarget.begin(), nativeTarget.end());
    destination.push_back(0);
    char* destPath = targetDir_.empty() ? nullptr : destination.data();

    // Leaves the run: the archive is closed first, a handler's error goes on up.
    auto finish = [&](bool r) {
        if (archive.handle) unrar::RARCloseArchive(archive.handle);
        archive.handle = nullptr;
        if (handlerError_) {
            std::exception_ptr e = handlerError_;
            handlerError_ = nullptr;
            std::rethrow_exception(e);
        }
        return r;
    };

    if (open.OpenResult != 0 || !archive.handle) {
        int code = open.OpenResult ? static_cast<int>(open.OpenResult) : ERAR_EOPEN;
        finish(false);
        Error(code);
        return false;
    }
    opened_ = true;
    try {
        if (open.CmtState == 1 && OnComment) OnComment(this, *comment);
    } catch (...) {
        handlerError_ = std::current_exception();
        return finish(false);
    }

    // The volume callback is always ours: it follows the volumes for the end check below
    // and answers as the library would when no handler is set.
    unrar::RARSetChangeVolProc(archive.handle, &RARCallbacks::ChangeVolume);

    unrar::RARHeaderDataEx ex{};
    RARHeaderData header{};
    header.CmtBuf = comment->CommentText;
    header.CmtBufSize = kCommentBufferSize;
    ex.CmtBuf = comment->CommentText;
    ex.CmtBufSize = kCommentBufferSize;

    if (OnProcessData) unrar::RARSetProcessDataProc(archive.handle, &RARCallbacks::ProcessData);

    std::string password;
    try {
        // Encrypted headers cannot be read without the password: ask for it first.
        if ((open.Flags & ROADF_ENCHEADERS) && OnReqPassword) {
            RARHeaderData asking{};
            copyBounded(asking.ArcName, sizeof asking.ArcName, platform::FromNative(nativeArchive));
            asking.Flags = RHDF_ENCRYPTED;
            asking.CmtBuf = header.CmtBuf;
            asking.CmtBufSize = header.CmtBufSize;
            OnReqPassword(this, asking, password);
            if (!password.empty())
                unrar::RARSetPassword(archive.handle, const_cast<char*>(password.c_str()));
        }

        for (;;) {
            int code = unrar::RARReadHeaderEx(archive.handle, &ex);
            if (handlerError_) return finish(false);
            if (code != 0) {
                // With encrypted headers the end block is encrypted too and cannot be checked.
                if (code == ERAR_END_ARCHIVE && !(open.Flags & ROADF_ENCHEADERS) &&
                    !endsWithEndBlock(currentVolume_))
                    code = ERAR_BAD_DATA;
                if (code != ERAR_END_ARCHIVE) {
                    // A damaged header, a volume that never came, a missing or wrong
                    // password: the run did not get through the archive.
                    result = false;
                    Error(code);
                }
                return finish(result);
            }
            // The record handlers receive, in platform paths.
            copyBounded(header.ArcName, sizeof header.ArcName, platform::FromNative(ex.ArcName));
            copyBounded(header.FileName, sizeof header.FileName,
                        platform::WithSeparators(ex.FileName, '\\'));
            header.Flags = ex.Flags;
            header.PackSize = ex.PackSize;
            header.UnpSize = ex.UnpSize;
            header.HostOS = ex.HostOS;
            header.FileCRC = ex.FileCRC;
            header.FileTime = ex.FileTime;
            header.UnpVer = ex.UnpVer;
            header.Method = ex.Method;
            header.FileAttr = ex.FileAttr;
            header.CmtSize = ex.CmtSize;
            header.CmtState = ex.CmtState;
            currentVolume_ = ex.ArcName;
            std::string name(header.FileName, strnlen(header.FileName, sizeof header.FileName));

            if (stop_) {
                stop_ = false;
                return finish(result);
            }

            bool selected = filesToExtract_.Count() == 0 || filesToExtract_.IndexOf(name) >= 0;
            bool link = ex.RedirType == FSREDIR_UNIXSYMLINK || ex.RedirType == FSREDIR_WINSYMLINK ||
                        ex.RedirType == FSREDIR_JUNCTION;
            if (!selected || link) {
                code = unrar::RARProcessFile(archive.handle, RAR_SKIP, destPath, nullptr);
                if (handlerError_) return finish(false);
                if (code != 0) {
                    finish(false);
                    Error(code);
                    return false;
                }
                // A link could send a later entry outside the target: links are not made.
                if (link && selected) {
                    result = false;
                    Error(ERAR_ECREATE);
                }
                continue;
            }

            // The entry event reads the full size: it is this entry's before the event.
            entrySize_ = (static_cast<uint64_t>(ex.UnpSizeHigh) << 32) | ex.UnpSize;
            if (OnExtracting) OnExtracting(this, header);
            position_ = 0;
            if ((header.Flags & RHDF_ENCRYPTED) && OnReqPassword) {
                OnReqPassword(this, header, password);
                if (!password.empty())
                    unrar::RARSetPassword(archive.handle, const_cast<char*>(password.c_str()));
            }
            // A path the library cannot hold would be written under a shortened name.
            bool fits = entryPathFits(nativeTarget, ex.FileNameW);
            code = unrar::RARProcessFile(archive.handle, fits ? RAR_EXTRACT : RAR_SKIP, destPath,
                                         nullptr);
            if (handlerError_) return finish(false);
            if (!fits && code == 0) code = ERAR_ECREATE;
            if (OnExtract) OnExtract(this, header, code == 0);
            if (code == 0) continue;
            result = false;
            Error(code);
            if (code == ERAR_ECREATE || code == ERAR_BAD_DATA) continue;
            return finish(false);
        }
    } catch (...) {
        // A handler raised an error: close the archive, then let the error go on.
        if (archive.handle) unrar::RARCloseArchive(archive.handle);
        archive.handle = nullptr;
        throw;
    }
}
