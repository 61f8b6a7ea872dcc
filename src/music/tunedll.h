// TUNE: the module-music library the installer plays its background music with.
//
// A shared library ("install") that loads tracker modules of every format libopenmpt
// recognises, whatever the file's extension, and plays them in the background on the sound
// output's own thread. All calls may come from any one thread (the program uses its GUI
// thread); they are serialised inside the library.
//
// Order of use: TUNEstartup, TUNEinit, TUNEstartBackgroundPlay(0), then load and play
// modules; at the end TUNEstopBackgroundPlay and TUNEclose. Modules may be loaded and played
// before background play starts; they are heard once it runs.
//
// Boolean results are int, false when zero. Handles are 32-bit, 0 meaning failure; module
// and play handles come from one counter, so a handle of one kind is never valid as the
// other. Every call except TUNEgetLastError and TUNEgetErrorMessage sets the last error
// (TUNE_OK on success).
//
// Sound output: 44.1 kHz, 16-bit stereo, through SDL's audio subsystem. When SDL's audio
// cannot be started or no device can be opened, the library plays into a silent output
// that runs at real-time pace, so a machine without sound still plays (and loops) the
// music unheard.
#pragma once

#include <stdint.h>

#if defined(_WIN32)
#if defined(TUNE_BUILDING)
#define TUNE_API __declspec(dllexport)
#else
#define TUNE_API __declspec(dllimport)
#endif
#if !defined(_WIN64)
#define TUNE_CALL __stdcall
#endif
#else
#define TUNE_API __attribute__((visibility("default")))
#endif
#ifndef TUNE_CALL
#define TUNE_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef uint32_t TUNEhandle;

// Error codes of TUNEgetLastError.
enum {
    TUNE_OK = 0,
    TUNE_ERROR_NOT_INITIALISED = 1,   // TUNEinit has not succeeded, or TUNEclose was called
    TUNE_ERROR_FILE_MISSING = 2,      // no file of that name
    TUNE_ERROR_FILE_UNREADABLE = 3,   // the file exists but cannot be read (access, folder)
    TUNE_ERROR_NOT_A_MODULE = 4,      // the file is not a module of a known format
    TUNE_ERROR_INVALID_HANDLE = 5,    // not a handle of this kind, or already freed/stopped
    TUNE_ERROR_INVALID_ARGUMENT = 6,  // null pointer, negative polling rate
    TUNE_ERROR_AUDIO = 7              // the sound output could not be started
};

// What TUNEgetModuleInfo fills: 48 bytes, native byte order.
typedef struct TUNEmoduleInfo {
    char title[32];     // zero-terminated, cut to 31 bytes (UTF-8)
    uint16_t channels;  // pattern channels
    uint16_t orders;    // entries of the order list
    uint16_t patterns;
    uint16_t instruments;  // 0 for formats that only have samples
    uint16_t samples;
    uint16_t subsongs;  // at least 1
    uint32_t lengthMs;  // one pass through the first sub-song, in milliseconds
} TUNEmoduleInfo;

#ifdef __cplusplus
static_assert(sizeof(TUNEmoduleInfo) == 48, "the module-info record is 48 bytes");
#else
_Static_assert(sizeof(TUNEmoduleInfo) == 48, "the module-info record is 48 bytes");
#endif

// Prepares the library's state; always true.
TUNE_API int TUNE_CALL TUNEstartup(void);
// Starts the sound system (falling back to the silent output when there is no sound).
// True when the library is ready; calling it again while ready is harmless.
TUNE_API int TUNE_CALL TUNEinit(void);
// Starts playing in the background. pollRate is how many times a second the output asks
// for sound; 0 takes the default (about 5). Other rates are rounded to a buffer of a power
// of two between 256 and 8192 frames (about 170 down to 5 a second). True when the background
// play runs, also when it already ran.
TUNE_API int TUNE_CALL TUNEstartBackgroundPlay(int pollRate);
// Loads a module; the name is opened as given (a bare name in the current directory).
// Returns the module handle, 0 on failure.
TUNE_API TUNEhandle TUNE_CALL TUNEloadModule(const char* fileName);
// Fills the 48-byte record at record (a TUNEmoduleInfo). True on success.
TUNE_API int TUNE_CALL TUNEgetModuleInfo(TUNEhandle moduleHandle, void* record);
// Starts the module from its beginning, looping for ever when loop is not zero, once
// otherwise. Several plays mix. Returns the play handle, 0 on failure.
TUNE_API TUNEhandle TUNE_CALL TUNEplayModule(TUNEhandle moduleHandle, int loop);
// Stops a play; its handle is invalid afterwards. True on success (also for a play that
// has already reached its end).
TUNE_API int TUNE_CALL TUNEstopModule(TUNEhandle playHandle);
// Frees a module; its plays stop and their handles become invalid. True on success.
TUNE_API int TUNE_CALL TUNEfreeModule(TUNEhandle moduleHandle);
// Stops the background play; modules and plays are kept and go on when it starts again.
// True on success, also when it did not run.
TUNE_API int TUNE_CALL TUNEstopBackgroundPlay(void);
// Stops everything, frees every module and shuts the sound system down. Always true.
TUNE_API int TUNE_CALL TUNEclose(void);
// The code of the last error (TUNE_OK after a call that succeeded).
TUNE_API int TUNE_CALL TUNEgetLastError(void);
// An English message for an error code; never null, static storage.
TUNE_API const char* TUNE_CALL TUNEgetErrorMessage(int code);

#ifdef __cplusplus
}
#endif
