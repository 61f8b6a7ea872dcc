// The TUNE library: libopenmpt decodes, SDL's audio subsystem (or a silent clock of our
// own when there is no sound) pulls the mixed sound in the background.
#include "music/SeamHooks_p.h"
#include "music/tunedll.h"

#include <SDL.h>
#include <fcntl.h>
#include <libopenmpt/libopenmpt.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace {

constexpr int kRate = 44100;
// About 186 ms a buffer: the output wakes 5 times a second, and background music needs no
// quicker answer (it starts a fifth of a second after the window, as the players of its day
// did with their buffers); each wake-up of the sound thread costs more than its mixing.
constexpr int kDefaultFrames = 8192;
constexpr int kMinFrames = 256;
constexpr int kMaxFrames = 8192;

struct ModuleDestroy {
    void operator()(openmpt_module* m) const { openmpt_module_destroy(m); }
};
using ModulePtr = std::unique_ptr<openmpt_module, ModuleDestroy>;

struct Module {
    std::vector<char> data;  // kept to start fresh plays from
    TUNEmoduleInfo info{};
};

struct Play {
    TUNEhandle handle = 0;
    TUNEhandle module = 0;
    ModulePtr decoder;
    bool finished = false;  // a play without loop that reached its end
};

ModulePtr Decode(const std::vector<char>& data) {
    return ModulePtr(openmpt_module_create_from_memory2(
        data.data(), data.size(), openmpt_log_func_silent, nullptr, openmpt_error_func_ignore,
        nullptr, nullptr, nullptr, nullptr));
}

uint16_t Clamp16(int32_t v) {
    return static_cast<uint16_t>(std::clamp<int32_t>(v, 0, 0xFFFF));
}

TUNEmoduleInfo Describe(openmpt_module* m) {
    TUNEmoduleInfo info{};
    if (const char* title = openmpt_module_get_metadata(m, "title")) {
        std::strncpy(info.title, title, sizeof info.title - 1);
        openmpt_free_string(title);
    }
    info.channels = Clamp16(openmpt_module_get_num_channels(m));
    info.orders = Clamp16(openmpt_module_get_num_orders(m));
    info.patterns = Clamp16(openmpt_module_get_num_patterns(m));
    info.instruments = Clamp16(openmpt_module_get_num_instruments(m));
    info.samples = Clamp16(openmpt_module_get_num_samples(m));
    info.subsongs = std::max<uint16_t>(1, Clamp16(openmpt_module_get_num_subsongs(m)));
    double ms = openmpt_module_get_duration_seconds(m) * 1000.0;
    info.lengthMs = ms > 0 ? static_cast<uint32_t>(std::min(ms + 0.5, 4294967295.0)) : 0;
    return info;
}

// Reads a whole file; 0 or the error code.
int ReadFile(const char* name, std::vector<char>& out) {
    // Only a regular file is read; a FIFO must not hold the program up waiting for a writer.
    int fd = open(name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? TUNE_ERROR_FILE_MISSING
                                                   : TUNE_ERROR_FILE_UNREADABLE;
    struct stat st {};
    std::FILE* f = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? fdopen(fd, "rb") : nullptr;
    if (!f) {
        close(fd);
        return TUNE_ERROR_FILE_UNREADABLE;
    }
    out.clear();
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
    bool failed = std::ferror(f) != 0;  // a folder opens but does not read
    std::fclose(f);
    return failed ? TUNE_ERROR_FILE_UNREADABLE : 0;
}

int FramesFor(int pollRate) {
    if (pollRate == 0) return kDefaultFrames;
    int frames = kMinFrames;
    while (frames < kMaxFrames && frames * pollRate < kRate * 3 / 4) frames *= 2;
    return frames;
}

class Library {
  public:
    ~Library() { Close(); }

    // Every entry point runs under this lock; the mixer has its own, shared with the
    // output thread, and is never held while the output thread is being stopped.
    std::mutex api;

    int Init() {
        if (initialised_) return TUNE_OK;
        if (seams::hooks::TuneInitFailureHook && seams::hooks::TuneInitFailureHook())
            return TUNE_ERROR_AUDIO;
        // SDL would take SIGINT and SIGTERM for a quit event nobody reads: the program
        // must still end when it is told to.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        sdl_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;  // without it: the silent output
        initialised_ = true;
        return TUNE_OK;
    }
    bool Initialised() const { return initialised_; }

    int StartBackground(int pollRate) {
        if (running_) return TUNE_OK;
        frames_ = FramesFor(pollRate);
        scratch_.assign(static_cast<size_t>(frames_) * 2, 0);
        if (sdl_ && openDevice()) {
            SDL_PauseAudioDevice(device_, 0);
        } else {
            try {
                stopSilent_ = false;
                silent_ = std::thread([this] { silentLoop(); });
            } catch (const std::system_error&) {
                return TUNE_ERROR_AUDIO;
            }
        }
        running_ = true;
        return TUNE_OK;
    }

    void StopBackground() {
        if (!running_) return;
        if (device_) {
            SDL_CloseAudioDevice(device_);  // waits for a callback in progress
            device_ = 0;
        } else {
            {
                std::lock_guard<std::mutex> lock(silentMutex_);
                stopSilent_ = true;
            }
            silentWake_.notify_all();
            silent_.join();
        }
        running_ = false;
    }

    int Load(const char* name, TUNEhandle& handle) {
        Module module;
        if (int err = ReadFile(name, module.data)) return err;
        ModulePtr probe = Decode(module.data);
        if (!probe) return TUNE_ERROR_NOT_A_MODULE;
        module.info = Describe(probe.get());
        handle = nextHandle();
        modules_.emplace(handle, std::move(module));
        return TUNE_OK;
    }

    const Module* FindModule(TUNEhandle h) const {
        auto it = modules_.find(h);
        return it == modules_.end() ? nullptr : &it->second;
    }

    int Play(TUNEhandle module, bool loop, TUNEhandle& handle) {
        const Module* m = FindModule(module);
        if (!m) return TUNE_ERROR_INVALID_HANDLE;
        auto play = std::make_unique<::Play>();
        play->decoder = Decode(m->data);
        if (!play->decoder) return TUNE_ERROR_NOT_A_MODULE;
        openmpt_module_set_repeat_count(play->decoder.get(), loop ? -1 : 0);
        play->module = module;
        play->handle = handle = nextHandle();
        std::lock_guard<std::mutex> lock(mix_);
        plays_.push_back(std::move(play));
        return TUNE_OK;
    }

    int Stop(TUNEhandle play) {
        std::unique_ptr<::Play> gone;
        {
            std::lock_guard<std::mutex> lock(mix_);
            auto it = std::find_if(plays_.begin(), plays_.end(),
                                   [&](const auto& p) { return p->handle == play; });
            if (it == plays_.end()) return TUNE_ERROR_INVALID_HANDLE;
            gone = std::move(*it);
            plays_.erase(it);
        }
        return TUNE_OK;  // the decoder goes here, outside the mixer's lock
    }

    int Free(TUNEhandle module) {
        auto it = modules_.find(module);
        if (it == modules_.end()) return TUNE_ERROR_INVALID_HANDLE;
        std::vector<std::unique_ptr<::Play>> gone;
        {
            std::lock_guard<std::mutex> lock(mix_);
            auto keep = std::stable_partition(plays_.begin(), plays_.end(),
                                              [&](const auto& p) { return p->module != module; });
            std::move(keep, plays_.end(), std::back_inserter(gone));
            plays_.erase(keep, plays_.end());
        }
        modules_.erase(it);
        return TUNE_OK;
    }

    void Close() {
        StopBackground();
        {
            std::lock_guard<std::mutex> lock(mix_);
            plays_.clear();
        }
        modules_.clear();
        if (sdl_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
        sdl_ = false;
        initialised_ = false;
    }

  private:
    TUNEhandle nextHandle() {
        if (++lastHandle_ == 0) ++lastHandle_;
        return lastHandle_;
    }

    bool openDevice() {
        SDL_AudioSpec want{};
        want.freq = kRate;
        want.format = AUDIO_S16SYS;
        want.channels = 2;
        want.samples = static_cast<Uint16>(frames_);
        want.callback = [](void* self, Uint8* out, int len) {
            static_cast<Library*>(self)->mix(reinterpret_cast<int16_t*>(out), len / 4);
        };
        want.userdata = this;
        SDL_AudioSpec have{};
        device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        return device_ != 0;
    }

    // Runs on the output thread: mixes every play into out (16-bit stereo).
    void mix(int16_t* out, int frames) {
        std::fill(out, out + static_cast<size_t>(frames) * 2, int16_t{0});
        std::lock_guard<std::mutex> lock(mix_);
        bool first = true;
        for (auto& play : plays_) {
            if (play->finished) continue;
            // The first play renders straight into the output; later ones are added.
            int done = 0;
            while (done < frames) {
                int chunk = first ? frames - done
                                  : std::min(frames - done, static_cast<int>(scratch_.size() / 2));
                int16_t* dst = first ? out + done * 2 : scratch_.data();
                size_t got =
                    openmpt_module_read_interleaved_stereo(play->decoder.get(), kRate, chunk, dst);
                if (!first) {
                    for (size_t i = 0; i < got * 2; ++i) {
                        int32_t sum = out[done * 2 + i] + scratch_[i];
                        out[done * 2 + i] = static_cast<int16_t>(std::clamp(sum, -32768, 32767));
                    }
                }
                done += static_cast<int>(got);
                if (got < static_cast<size_t>(chunk)) {
                    play->finished = true;
                    break;
                }
            }
            first = false;
        }
    }

    // The output without a sound device: mixes and discards at real-time pace, so that
    // plays advance, end and loop just as they would be heard.
    void silentLoop() {
        std::vector<int16_t> buffer(static_cast<size_t>(frames_) * 2);
        const auto period = std::chrono::microseconds(1000000LL * frames_ / kRate);
        auto next = std::chrono::steady_clock::now();
        std::unique_lock<std::mutex> lock(silentMutex_);
        while (!stopSilent_) {
            lock.unlock();
            mix(buffer.data(), frames_);
            lock.lock();
            next += period;
            auto now = std::chrono::steady_clock::now();
            if (next < now - std::chrono::seconds(1))
                next = now;  // after a stall: no catch-up burst
            silentWake_.wait_until(lock, next, [this] { return stopSilent_; });
        }
    }

    bool initialised_ = false;
    bool sdl_ = false;
    bool running_ = false;
    int frames_ = kDefaultFrames;
    SDL_AudioDeviceID device_ = 0;
    std::thread silent_;
    std::mutex silentMutex_;
    std::condition_variable silentWake_;
    bool stopSilent_ = false;
    TUNEhandle lastHandle_ = 0;
    std::map<TUNEhandle, Module> modules_;

    std::mutex mix_;  // guards plays_ and scratch_
    std::vector<std::unique_ptr<::Play>> plays_;
    std::vector<int16_t> scratch_;
};

Library& Lib() {
    static Library library;
    return library;
}

int lastError = TUNE_OK;

// Runs one entry point under the API lock and records its error.
template <typename F>
int Call(bool needsInit, F&& body) {
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.api);
    int err = needsInit && !lib.Initialised() ? TUNE_ERROR_NOT_INITIALISED : body(lib);
    lastError = err;
    return err;
}

}  // namespace

extern "C" {

TUNE_API int TUNE_CALL TUNEstartup(void) {
    Call(false, [](Library&) { return TUNE_OK; });
    return 1;
}

TUNE_API int TUNE_CALL TUNEinit(void) {
    return Call(false, [](Library& lib) { return lib.Init(); }) == TUNE_OK;
}

TUNE_API int TUNE_CALL TUNEstartBackgroundPlay(int pollRate) {
    return Call(true, [&](Library& lib) {
               return pollRate < 0 ? TUNE_ERROR_INVALID_ARGUMENT : lib.StartBackground(pollRate);
           }) == TUNE_OK;
}

TUNE_API TUNEhandle TUNE_CALL TUNEloadModule(const char* fileName) {
    TUNEhandle handle = 0;
    Call(true, [&](Library& lib) {
        return fileName ? lib.Load(fileName, handle) : TUNE_ERROR_INVALID_ARGUMENT;
    });
    return handle;
}

TUNE_API int TUNE_CALL TUNEgetModuleInfo(TUNEhandle moduleHandle, void* record) {
    return Call(true, [&](Library& lib) {
               const Module* m = lib.FindModule(moduleHandle);
               if (!m) return TUNE_ERROR_INVALID_HANDLE;
               if (!record) return TUNE_ERROR_INVALID_ARGUMENT;
               std::memcpy(record, &m->info, sizeof m->info);
               return TUNE_OK;
           }) == TUNE_OK;
}

TUNE_API TUNEhandle TUNE_CALL TUNEplayModule(TUNEhandle moduleHandle, int loop) {
    TUNEhandle handle = 0;
    Call(true, [&](Library& lib) { return lib.Play(moduleHandle, loop != 0, handle); });
    return handle;
}

TUNE_API int TUNE_CALL TUNEstopModule(TUNEhandle playHandle) {
    return Call(true, [&](Library& lib) { return lib.Stop(playHandle); }) == TUNE_OK;
}

TUNE_API int TUNE_CALL TUNEfreeModule(TUNEhandle moduleHandle) {
    return Call(true, [&](Library& lib) { return lib.Free(moduleHandle); }) == TUNE_OK;
}

TUNE_API int TUNE_CALL TUNEstopBackgroundPlay(void) {
    return Call(true, [](Library& lib) {
               lib.StopBackground();
               return TUNE_OK;
           }) == TUNE_OK;
}

TUNE_API int TUNE_CALL TUNEclose(void) {
    Call(false, [](Library& lib) {
        lib.Close();
        return TUNE_OK;
    });
    return 1;
}

TUNE_API int TUNE_CALL TUNEgetLastError(void) {
    std::lock_guard<std::mutex> lock(Lib().api);
    return lastError;
}

TUNE_API const char* TUNE_CALL TUNEgetErrorMessage(int code) {
    switch (code) {
        case TUNE_OK:
            return "No error";
        case TUNE_ERROR_NOT_INITIALISED:
            return "The music library is not initialised";
        case TUNE_ERROR_FILE_MISSING:
            return "Module file not found";
        case TUNE_ERROR_FILE_UNREADABLE:
            return "Module file cannot be read";
        case TUNE_ERROR_NOT_A_MODULE:
            return "The file is not a music module of a known format";
        case TUNE_ERROR_INVALID_HANDLE:
            return "Invalid module or play handle";
        case TUNE_ERROR_INVALID_ARGUMENT:
            return "Invalid argument";
        case TUNE_ERROR_AUDIO:
            return "The sound output could not be started";
        default:
            return "Unknown music library error";
    }
}

}  // extern "C"
