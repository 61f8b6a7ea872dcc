#include "components/RARArc.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <memory>
#include <vector>

#include "components/RarVolumes.h"
#include "framework/Utf8.h"
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
    return wcsnlen(name, N) < N - 1 && pathFits(nativeTarget, Utf8EncodedLength(name));
}

void copyBounded(char* dest, size_t size, const std::string& text) {
    size_t n = std::min(text.size(), size - 1);
    std::memcpy(dest, text.data(), n);
    dest[n] = 0;
}

std::vector<char> terminated(const std::string& text) {
    std::vector<char> bytes(text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

// Native path of a platform path; paths that name no drive pass through unchanged (the
// library then fails to open them and says so).
std::string nativeOf(const std::string& platformPath) {
    std::string n = platform::ToNative(platformPath);
    return n.empty() ? platformPath : n;
}

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
    if (mode == RAR_VOL_NOTIFY && !rarvolumes::VolumesAreRegular(nativeName)) return 0;
    if (!OnVolumeChange) return mode == RAR_VOL_NOTIFY ? 1 : 0;
    // The handler sees and may change a platform path; it goes back to the library native.
    char buffer[RAR_VOLUME_NAME_SIZE];
    copyBounded(buffer, sizeof buffer, platform::FromNative(nativeName));
    try {
        int result = OnVolumeChange(this, buffer, mode);
        if (mode == RAR_VOL_ASK && result != 0) {
            buffer[sizeof buffer - 1] = 0;
            copyBounded(nativeName, RAR_VOLUME_NAME_SIZE, nativeOf(buffer));
            if (!rarvolumes::VolumesAreRegular(nativeName)) return 0;
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

// One run over the archive: the steps Extract takes and what they share. The archive is
// closed when the run goes, whichever way it leaves.
class RARRun {
  public:
    RARRun(TRAR& rar, const std::string& nativeArchive, const std::string& nativeTarget)
        : rar_(rar),
          nativeArchive_(nativeArchive),
          nativeTarget_(nativeTarget),
          arcName_(terminated(nativeArchive)),
          destination_(terminated(nativeTarget)),
          destPath_(nativeTarget.empty() ? nullptr : destination_.data()),
          comment_(std::make_unique<TComment>()) {
        std::memset(comment_.get(), 0, sizeof(TComment));
    }
    ~RARRun() {
        if (handle_) unrar::RARCloseArchive(handle_);
    }
    RARRun(const RARRun&) = delete;
    RARRun& operator=(const RARRun&) = delete;

    // Opens the archive and hands out its comment; false when it could not be opened.
    bool Open();
    // Reads the entries and unpacks those selected; the run's result.
    bool Entries();
    // A failure to report once the archive is closed, or 0.
    int ErrorAfterClose() const { return errorAfterClose_; }

  private:
    void AskPasswordFirst();
    void AskPassword(RARHeaderData& header);
    void FillHeader();
    // Each step answers whether the run goes on with the next entry.
    bool Skip(bool refusedLink);
    bool Unpack();
    bool EndOfEntries(int code);
    bool FailAfterClose(int code) {
        result_ = false;
        errorAfterClose_ = code;
        return false;
    }

    TRAR& rar_;
    const std::string nativeArchive_, nativeTarget_;
    std::vector<char> arcName_, destination_;
    char* destPath_;
    std::unique_ptr<TComment> comment_;
    unrar::RAROpenArchiveDataEx open_{};
    unrar::RARHeaderDataEx ex_{};
    RARHeaderData header_{};
    std::string password_;
    void* handle_ = nullptr;
    bool result_ = true;
    bool anyEntry_ = false;
    int errorAfterClose_ = 0;
    rarvolumes::TOlderVersions olderVersions_;
};

bool RARRun::Open() {
    open_.ArcName = arcName_.data();
    open_.OpenMode = RAR_OM_EXTRACT;
    open_.CmtBuf = comment_->CommentText;
    open_.CmtBufSize = kCommentBufferSize;
    handle_ = unrar::RAROpenArchiveEx(&open_);
    comment_->CommentSize = open_.CmtSize;
    if (open_.OpenResult != 0 || !handle_) {
        FailAfterClose(open_.OpenResult ? static_cast<int>(open_.OpenResult) : ERAR_EOPEN);
        return false;
    }
    rar_.opened_ = true;
    if (open_.CmtState == 1 && rar_.OnComment) rar_.OnComment(&rar_, *comment_);
    return true;
}

bool RARRun::Entries() {
    // The volume callback is always ours: it follows the volumes for the end check and
    // answers as the library would when no handler is set.
    unrar::RARSetChangeVolProc(handle_, &RARCallbacks::ChangeVolume);
    header_.CmtBuf = comment_->CommentText;
    header_.CmtBufSize = kCommentBufferSize;
    ex_.CmtBuf = comment_->CommentText;
    ex_.CmtBufSize = kCommentBufferSize;
    if (rar_.OnProcessData) unrar::RARSetProcessDataProc(handle_, &RARCallbacks::ProcessData);
    AskPasswordFirst();
    for (;;) {
        int code = unrar::RARReadHeaderEx(handle_, &ex_);
        if (rar_.handlerError_) return false;
        if (code != 0) return EndOfEntries(code);
        anyEntry_ = true;
        FillHeader();
        if (rar_.stop_) {
            rar_.stop_ = false;
            return result_;
        }
        std::string name(header_.FileName, strnlen(header_.FileName, sizeof header_.FileName));
        bool selected =
            rar_.filesToExtract_.Count() == 0 || rar_.filesToExtract_.IndexOf(name) >= 0;
        bool link = ex_.RedirType == FSREDIR_UNIXSYMLINK || ex_.RedirType == FSREDIR_WINSYMLINK ||
                    ex_.RedirType == FSREDIR_JUNCTION;
        // An older version of a file stays in the archive, as unrar leaves it by default.
        bool olderVersion = olderVersions_.Contains(ex_.ArcName, ex_.FileName);
        bool goOn = selected && !link && !olderVersion ? Unpack() : Skip(selected && link);
        if (!goOn) return result_;
    }
}

// Encrypted headers cannot be read without the password: it is asked for first.
void RARRun::AskPasswordFirst() {
    if (!(open_.Flags & ROADF_ENCHEADERS) || !rar_.OnReqPassword) return;
    RARHeaderData asking{};
    copyBounded(asking.ArcName, sizeof asking.ArcName, platform::FromNative(nativeArchive_));
    asking.Flags = RHDF_ENCRYPTED;
    asking.CmtBuf = header_.CmtBuf;
    asking.CmtBufSize = header_.CmtBufSize;
    AskPassword(asking);
}

void RARRun::AskPassword(RARHeaderData& header) {
    rar_.OnReqPassword(&rar_, header, password_);
    if (!password_.empty()) unrar::RARSetPassword(handle_, const_cast<char*>(password_.c_str()));
}

// The record handlers receive, in platform paths.
void RARRun::FillHeader() {
    copyBounded(header_.ArcName, sizeof header_.ArcName, platform::FromNative(ex_.ArcName));
    copyBounded(header_.FileName, sizeof header_.FileName,
                platform::WithSeparators(ex_.FileName, '\\'));
    header_.Flags = ex_.Flags;
    header_.PackSize = ex_.PackSize;
    header_.UnpSize = ex_.UnpSize;
    header_.HostOS = ex_.HostOS;
    header_.FileCRC = ex_.FileCRC;
    header_.FileTime = ex_.FileTime;
    header_.UnpVer = ex_.UnpVer;
    header_.Method = ex_.Method;
    header_.FileAttr = ex_.FileAttr;
    header_.CmtSize = ex_.CmtSize;
    header_.CmtState = ex_.CmtState;
    rar_.currentVolume_ = ex_.ArcName;
}

bool RARRun::Skip(bool refusedLink) {
    int code = unrar::RARProcessFile(handle_, RAR_SKIP, destPath_, nullptr);
    if (rar_.handlerError_) return false;
    if (code != 0) return FailAfterClose(code);
    // A link could send a later entry outside the target: links are not made.
    if (refusedLink) {
        result_ = false;
        rar_.Error(ERAR_ECREATE);
    }
    return true;
}

bool RARRun::Unpack() {
    // The entry event reads the full size: it is this entry's before the event.
    rar_.entrySize_ = (static_cast<uint64_t>(ex_.UnpSizeHigh) << 32) | ex_.UnpSize;
    if (rar_.OnExtracting) rar_.OnExtracting(&rar_, header_);
    rar_.position_ = 0;
    if ((header_.Flags & RHDF_ENCRYPTED) && rar_.OnReqPassword) AskPassword(header_);
    // A path the library cannot hold would be written under a shortened name.
    bool fits = entryPathFits(nativeTarget_, ex_.FileNameW);
    int code = unrar::RARProcessFile(handle_, fits ? RAR_EXTRACT : RAR_SKIP, destPath_, nullptr);
    if (rar_.handlerError_) return false;
    if (!fits && code == 0) code = ERAR_ECREATE;
    if (rar_.OnExtract) rar_.OnExtract(&rar_, header_, code == 0);
    if (code == 0) return true;
    result_ = false;
    rar_.Error(code);
    return code == ERAR_ECREATE || code == ERAR_BAD_DATA;
}

bool RARRun::EndOfEntries(int code) {
    // With encrypted headers the end block is encrypted too and cannot be checked.
    if (code == ERAR_END_ARCHIVE && !(open_.Flags & ROADF_ENCHEADERS) &&
        !rarvolumes::EndsWithEndBlock(rar_.currentVolume_))
        code = ERAR_BAD_DATA;
    if (code == ERAR_END_ARCHIVE && anyEntry_) return result_;
    // A damaged header, a volume that never came, a missing or wrong password, or an
    // archive without a single entry: the run did not get through the archive.
    result_ = false;
    rar_.Error(code == ERAR_END_ARCHIVE ? ERAR_NO_FILES : code);
    return false;
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
    // The library converts names between the archive's Unicode and the disk's bytes with
    // the thread's character type: UTF-8 for the run, so names come out exactly as stored.
    TUtf8CharacterType names;
    runningComponent = this;
    opened_ = false;
    handlerError_ = nullptr;
    std::string nativeArchive = rarvolumes::FollowFirstVolumeLink(nativeOf(archiveName_));
    currentVolume_ = nativeArchive;

    // A target no entry name fits under is refused before anything is read.
    std::string nativeTarget = targetDir_.empty() ? "" : nativeOf(targetDir_);
    if (!pathFits(nativeTarget, 1)) {
        Error(ERAR_ECREATE);
        return false;
    }
    if (!rarvolumes::VolumesAreRegular(nativeArchive)) {
        Error(ERAR_EOPEN);
        return false;
    }

    bool result = false;
    int errorAfterClose = 0;
    {
        RARRun run(*this, nativeArchive, nativeTarget);
        result = run.Open() && run.Entries();
        errorAfterClose = run.ErrorAfterClose();
    }  // the archive is closed here, on every way out, a handler's error included
    if (handlerError_) {
        // An error raised by a handler inside a callback goes on up once the archive is closed.
        std::exception_ptr e = handlerError_;
        handlerError_ = nullptr;
        std::rethrow_exception(e);
    }
    if (errorAfterClose) Error(errorAfterClose);
    return result;
}
