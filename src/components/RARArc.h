// TRAR: unpacks a RAR archive, possibly split into volumes on several disks, through the
// unrar library, and reports everything it learns through events. It shows nothing and
// raises no errors of its own; an error raised by a handler leaves Extract (the archive
// is closed first).
//
// Paths: ArchiveName and TargetDir are platform paths; the volume path given to
// OnVolumeChange and the header's ArcName and FileName come back as platform paths with
// backslashes. Native paths exist only at the library boundary.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <string>

#include "framework/Classes.h"
#include "framework/StringList.h"

// The library's per-entry header record, as handlers receive it.
struct RARHeaderData {
    char ArcName[260];
    char FileName[260];
    unsigned int Flags;
    unsigned int PackSize;
    unsigned int UnpSize;
    unsigned int HostOS;
    unsigned int FileCRC;
    unsigned int FileTime;
    unsigned int UnpVer;
    unsigned int Method;
    unsigned int FileAttr;
    char* CmtBuf;
    unsigned int CmtBufSize;
    unsigned int CmtSize;
    unsigned int CmtState;
};

// The archive comment of a run.
struct TComment {
    uint32_t CommentSize;
    char CommentText[65536];
};

// Library result codes the component and its users meet.
enum RARResult : int {
    ERAR_SUCCESS = 0,
    ERAR_END_ARCHIVE = 10,
    ERAR_NO_MEMORY = 11,
    ERAR_BAD_DATA = 12,
    ERAR_BAD_ARCHIVE = 13,
    ERAR_UNKNOWN_FORMAT = 14,
    ERAR_EOPEN = 15,
    ERAR_ECREATE = 16,
    ERAR_ECLOSE = 17,
    ERAR_EREAD = 18,
    ERAR_EWRITE = 19,
    ERAR_SMALL_BUF = 20,
    ERAR_UNKNOWN = 21,
    ERAR_MISSING_PASSWORD = 22,
    ERAR_EREFERENCE = 23,
    ERAR_BAD_PASSWORD = 24,
    // A run that found no entry at all: the value unrar's "no files to extract" carries,
    // which the library's interface knows only as the end of the archive.
    ERAR_NO_FILES = ERAR_END_ARCHIVE,
};
// Volume modes: the next volume was not found / has been opened.
constexpr int RAR_VOL_ASK = 0;
constexpr int RAR_VOL_NOTIFY = 1;
// Header flag of an encrypted entry.
constexpr unsigned RHDF_ENCRYPTED = 0x04;
// Size of the volume path buffer the library hands to OnVolumeChange.
constexpr size_t RAR_VOLUME_NAME_SIZE = 2048;

using TChangeVolProc = std::function<int(TObject* Sender, char* ArcName, int Mode)>;
// Position is the running count of bytes unpacked for the current entry.
using TProcessDataProc =
    std::function<int(TObject* Sender, unsigned char* Addr, int BlockSize, int64_t Position)>;
using TErrorProc = std::function<void(TObject* Sender, int Error)>;
using TCommentProc = std::function<void(TObject* Sender, const TComment& Comment)>;
using TListFileProc = std::function<void(TObject* Sender, RARHeaderData& ListedFile)>;
using TFileBeingExtracted = std::function<void(TObject* Sender, RARHeaderData& eFile)>;
using TFileExtracted = std::function<void(TObject* Sender, RARHeaderData& eFile, bool Result)>;
using TFileBeingTested = std::function<void(TObject* Sender, RARHeaderData& eFile)>;
using TFileTested = std::function<void(TObject* Sender, RARHeaderData& eFile, bool Result)>;
using TReqPassword =
    std::function<void(TObject* Sender, RARHeaderData& eFile, std::string& Password)>;

class TRAR : public TComponent {
  public:
    explicit TRAR(TComponent* owner = nullptr);

    const std::string& ArchiveName() const { return archiveName_; }
    void SetArchiveName(const std::string& name) { archiveName_ = name; }
    TStringList& FilesToExtract() { return filesToExtract_; }
    void SetFilesToExtract(const TStringList& list) { filesToExtract_.Assign(list); }
    TStringList& FilesToTest() { return filesToTest_; }
    void SetFilesToTest(const TStringList& list) { filesToTest_.Assign(list); }
    const std::string& TargetDir() const { return targetDir_; }
    void SetTargetDir(const std::string& dir) { targetDir_ = dir; }
    bool Stop() const { return stop_; }
    void SetStop(bool stop) { stop_ = stop; }

    // One complete run over the archive into TargetDir. True when nothing failed.
    bool Extract();
    // True while a run is in progress (in the whole program only one may be).
    static bool Running();
    // Whether the last run got the archive open (false: it could not be opened at all).
    bool Opened() const { return opened_; }
    // Unpacked size of the entry being unpacked, in full 64 bits (the header record holds
    // only the low 32); already the entry's own inside its OnExtracting.
    uint64_t EntrySize() const { return entrySize_; }

    TProcessDataProc OnProcessData;
    TChangeVolProc OnVolumeChange;
    TErrorProc OnError;
    TCommentProc OnComment;
    TListFileProc OnListFile;
    TFileBeingExtracted OnExtracting;
    TFileExtracted OnExtract;
    TFileBeingTested OnTesting;
    TFileTested OnTested;
    TReqPassword OnReqPassword;

  private:
    friend struct RARCallbacks;
    friend class RARRun;
    int VolumeCallback(char* nativeName, int mode);
    int DataCallback(unsigned char* addr, int size);
    void Error(int code);

    std::string archiveName_;
    std::string targetDir_;
    TStringList filesToExtract_;
    TStringList filesToTest_;
    bool stop_ = false;
    bool opened_ = false;

    // State of the run in progress.
    int64_t position_ = 0;
    uint64_t entrySize_ = 0;
    std::string currentVolume_;        // native path of the volume being read
    std::exception_ptr handlerError_;  // an error raised by a handler inside a callback
};
