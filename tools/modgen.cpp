// Writes the installer's background music: a 4-channel ProTracker module ("M.K.") with a
// cheerful loop of four patterns (about 31 s) and samples synthesised here: a soft pulse
// lead, a round bass, a soft chord voice for arpeggios, kick, snare and hi-hat.
// Usage: modgen <output-file>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kBaseRate = 8363.0;  // playback rate of a sample at C-2 (period 428)
constexpr int kRows = 64;
constexpr int kChannels = 4;

// Channels and sample numbers.
enum { kLeadCh, kBassCh, kDrumCh, kChordCh };
enum { kLead = 1, kBass, kKick, kSnare, kHat, kChord };

struct Sample {
    std::string name;
    std::vector<int8_t> data;
    int volume = 64;
    bool loop = false;  // loops the whole sample (single-cycle waveforms)
};

// A single cycle of `length` samples built from harmonics n with amplitude amp(n).
template <typename Amp>
std::vector<int8_t> Cycle(int length, int harmonics, Amp amp, double peak) {
    std::vector<double> wave(length, 0.0);
    for (int n = 1; n <= harmonics; ++n)
        for (int i = 0; i < length; ++i) wave[i] += amp(n, i * 2 * kPi / length);
    double max = 0;
    for (double v : wave) max = std::max(max, std::fabs(v));
    std::vector<int8_t> out(length);
    for (int i = 0; i < length; ++i)
        out[i] = static_cast<int8_t>(std::lround(wave[i] / max * peak));
    return out;
}

// Deterministic noise, so every run writes the same file.
class Noise {
  public:
    double Next() {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<double>(state_ >> 8) / (1u << 23) - 1.0;
    }

  private:
    uint32_t state_ = 0x1234567u;
};

std::vector<int8_t> OneShot(int length, double rate, double peak, auto&& fn) {
    std::vector<double> wave(length);
    for (int i = 0; i < length; ++i) wave[i] = fn(i / rate);
    double max = 0;
    for (double v : wave) max = std::max(max, std::fabs(v));
    std::vector<int8_t> out(length);
    for (int i = 0; i < length; ++i)
        out[i] = static_cast<int8_t>(std::lround(wave[i] / max * peak));
    // A one-shot's first two bytes are the silent "loop" of a ProTracker sample.
    out[0] = out[1] = 0;
    return out;
}

std::vector<Sample> MakeSamples() {
    std::vector<Sample> s(6);
    // Lead: a 25 % pulse with its upper harmonics rolled off. 32 samples a cycle puts C-2
    // at middle C.
    s[0] = {"soft pulse lead",
            Cycle(
                32, 10,
                [](int n, double t) {
                    return std::sin(kPi * n * 0.25) / n / (1 + 0.15 * n) *
                           std::cos(n * (t - kPi * 0.25));
                },
                100),
            44, true};
    // Bass: a saw with few harmonics, 64 samples a cycle (C-1 is C two octaves down).
    s[1] = {"round bass",
            Cycle(
                64, 6, [](int n, double t) { return std::sin(n * t) / (n * (1 + 0.3 * n)); }, 110),
            50, true};
    s[2] = {"kick",
            OneShot(2400, kBaseRate, 120,
                    [](double t) {
                        double phase = 2 * kPi * (50 * t + 110 * 0.03 * (1 - std::exp(-t / 0.03)));
                        return std::sin(phase) * std::exp(-t / 0.12);
                    }),
            64, false};
    Noise snareNoise;
    s[3] = {"snare",
            OneShot(2400, kBaseRate, 110,
                    [&](double t) {
                        return 0.7 * snareNoise.Next() * std::exp(-t / 0.06) +
                               0.6 * std::sin(2 * kPi * 190 * t) * std::exp(-t / 0.05);
                    }),
            46, false};
    // Hat: played at C-3, so synthesised at twice the base rate; differenced noise is bright.
    Noise hatNoise;
    double previous = 0;
    s[4] = {"hat",
            OneShot(1200, 2 * kBaseRate, 100,
                    [&](double t) {
                        double n = hatNoise.Next(), v = n - previous;
                        previous = n;
                        return v * std::exp(-t / 0.015);
                    }),
            26, false};
    // Chord voice: odd harmonics falling fast, close to a triangle.
    s[5] = {
        "soft chord",
        Cycle(
            32, 7, [](int n, double t) { return n % 2 ? std::sin(n * t) / (n * n) : 0.0; }, 100),
        22, true};
    return s;
}

// ProTracker periods, finetune 0, octaves 1 to 3.
constexpr std::array<uint16_t, 36> kPeriods = {
    856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453, 428, 404, 381, 360, 339, 320,
    302, 285, 269, 254, 240, 226, 214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120, 113};

// Semitone number of a note such as "C5" or "F#4" (C0 = 0).
int Semitone(const std::string& note) {
    static const int base[] = {9, 11, 0, 2, 4, 5, 7};  // A..G
    int s = base[note[0] - 'A'];
    size_t i = 1;
    if (note[i] == '#') ++s, ++i;
    return s + 12 * (note[i] - '0');
}

// Period of a semitone for a sample whose C-2 sounds as `cAtC2` (a semitone number).
uint16_t Period(int semitone, int cAtC2) {
    int index = semitone - cAtC2 + 12;
    if (index < 0 || index >= static_cast<int>(kPeriods.size())) {
        std::fprintf(stderr, "modgen: note out of range\n");
        std::exit(1);
    }
    return kPeriods[index];
}

constexpr int kLeadC2 = 48;  // C4: 32-sample cycles
constexpr int kBassC2 = 36;  // C3: 64-sample cycles, so C-1 is C2
constexpr int kDrumC2 = 48;

struct Cell {
    uint8_t sample = 0;
    uint16_t period = 0;
    uint8_t effect = 0;
    uint8_t param = 0;
};
using Pattern = std::array<Cell, kRows * kChannels>;

struct Bar {
    const char* chord;   // "C", "Am" ...
    const char* melody;  // eight eighth notes: a note, "." to hold, "-" to rest
};

// The song: four patterns of four bars, a chord and a melody line each.
const Bar kSong[4][4] = {
    {{"C", "E5 . G5 . E5 D5 C5 ."},
     {"G", "D5 . G4 . B4 . D5 ."},
     {"Am", "C5 . E5 . A5 . G5 E5"},
     {"F", "F5 . E5 . D5 . C5 ."}},
    {{"C", "E5 . G5 . A5 G5 E5 ."},
     {"G", "D5 . B4 . G4 . B4 D5"},
     {"Am", "E5 . C5 . A4 . C5 E5"},
     {"F", "C5 . A4 . C5 . D5 ."}},
    {{"Am", "A4 . C5 . E5 . C5 ."},
     {"F", "A4 . C5 . F5 . E5 ."},
     {"C", "E5 . G5 . E5 . C5 ."},
     {"G", "D5 . . . B4 . D5 ."}},
    {{"C", "G5 . E5 . G5 . E5 C5"},
     {"G", "D5 . D5 E5 D5 . B4 ."},
     {"F", "C5 . A4 . C5 . F5 ."},
     {"G", "G5 . . . D5 . - ."}},
};

std::vector<std::string> Split(const char* text) {
    std::vector<std::string> out;
    std::string word;
    for (const char* p = text;; ++p) {
        if (*p == ' ' || *p == 0) {
            if (!word.empty()) out.push_back(word);
            word.clear();
            if (*p == 0) break;
        } else {
            word += *p;
        }
    }
    return out;
}

void Melody(Pattern& pat, int bar, const char* line) {
    auto notes = Split(line);
    int held = -1;  // rows since the last note started, -1 while resting
    for (int eighth = 0; eighth < 8; ++eighth) {
        const std::string& token = notes.at(eighth);
        for (int half = 0; half < 2; ++half) {
            Cell& c = pat[(bar * 16 + eighth * 2 + half) * kChannels + kLeadCh];
            if (half == 0 && token == "-") {
                c.effect = 0xC;  // volume 0
                held = -1;
            } else if (half == 0 && token != ".") {
                c.sample = kLead;
                c.period = Period(Semitone(token), kLeadC2);
                held = 0;
            } else if (held >= 0) {
                ++held;
                // Long notes get a gentle vibrato and fade a little.
                if (held == 2) c.effect = 0x4, c.param = 0x33;
                if (held > 2) c.effect = 0x6, c.param = 0x01;
            }
        }
    }
}

int Root(const std::string& chord) {
    return Semitone(chord.substr(0, 1) + "0");
}
bool Minor(const std::string& chord) {
    return chord.size() > 1 && chord[1] == 'm';
}

void Bass(Pattern& pat, int bar, const std::string& chord) {
    int root = 24 + Root(chord);  // octave 2
    for (int eighth = 0; eighth < 8; ++eighth) {
        Cell& c = pat[(bar * 16 + eighth * 2) * kChannels + kBassCh];
        c.sample = kBass;
        c.period = Period(root + (eighth % 2 ? 12 : 0), kBassC2);
        c.effect = 0xE, c.param = 0xC4;  // cut after four ticks: a bouncing staccato
    }
}

void Drums(Pattern& pat, int bar, bool last, bool fill) {
    auto hit = [&](int row, int sample, int period) {
        Cell& c = pat[(bar * 16 + row) * kChannels + kDrumCh];
        c.sample = static_cast<uint8_t>(sample);
        c.period = static_cast<uint16_t>(period);
    };
    const uint16_t c2 = Period(kDrumC2, kDrumC2), c3 = Period(kDrumC2 + 12, kDrumC2);
    hit(0, kKick, c2);
    hit(2, kHat, c3);
    hit(4, kSnare, c2);
    hit(6, kHat, c3);
    hit(8, kKick, c2);
    hit(10, last ? kKick : kHat, last ? c2 : c3);
    hit(12, kSnare, c2);
    hit(14, kHat, c3);
    if (fill) hit(13, kSnare, c2), hit(14, kSnare, c2), hit(15, kSnare, c2);
}

void Chords(Pattern& pat, int bar, const std::string& chord) {
    int root = Root(chord);
    int semitone = (root >= 7 ? 36 : 48) + root;  // keep the voice between G3 and F#4
    for (int row = 0; row < 16; ++row) {
        Cell& c = pat[(bar * 16 + row) * kChannels + kChordCh];
        if (row == 0) c.sample = kChord, c.period = Period(semitone, kLeadC2);
        c.effect = 0x0;
        c.param = Minor(chord) ? 0x37 : 0x47;  // arpeggio, repeated each row
    }
}

std::vector<Pattern> MakePatterns() {
    std::vector<Pattern> patterns(4);
    for (int p = 0; p < 4; ++p) {
        for (int bar = 0; bar < 4; ++bar) {
            const Bar& b = kSong[p][bar];
            Melody(patterns[p], bar, b.melody);
            Bass(patterns[p], bar, b.chord);
            Drums(patterns[p], bar, bar == 3, p == 3 && bar == 3);
            if (p > 0) Chords(patterns[p], bar, b.chord);  // the first pattern is the intro
        }
    }
    // Channel panning at the song's start, milder than the Amiga's hard left and right. The
    // chord voice, still sounding when the song loops, is silenced for the intro first.
    const uint8_t pan[kChannels] = {0x60, 0x80, 0x80, 0xA0};
    for (int ch = 0; ch < kChannels; ++ch) {
        Cell& c = patterns[0][(ch == kChordCh ? kChannels : 0) + ch];
        c.effect = 0x8;
        c.param = pan[ch];
    }
    patterns[0][kChordCh].effect = 0xC;
    return patterns;
}

void Put16(std::string& out, unsigned v) {
    out += static_cast<char>((v >> 8) & 0xFF);
    out += static_cast<char>(v & 0xFF);
}

void PutText(std::string& out, const std::string& text, size_t size) {
    std::string field = text.substr(0, size);
    field.resize(size, '\0');
    out += field;
}

std::string BuildModule() {
    auto samples = MakeSamples();
    auto patterns = MakePatterns();
    std::string out;
    PutText(out, "Tarnwick Theme", 20);
    for (int i = 0; i < 31; ++i) {
        if (i >= static_cast<int>(samples.size())) {
            PutText(out, "", 22);
            Put16(out, 0), out += '\0', out += '\0', Put16(out, 0), Put16(out, 1);
            continue;
        }
        const Sample& s = samples[i];
        unsigned words = static_cast<unsigned>(s.data.size() / 2);
        PutText(out, s.name, 22);
        Put16(out, words);
        out += '\0';  // finetune
        out += static_cast<char>(s.volume);
        Put16(out, 0);
        Put16(out, s.loop ? words : 1);
    }
    out += static_cast<char>(patterns.size());  // orders
    out += static_cast<char>(0x7F);
    for (int i = 0; i < 128; ++i)
        out += static_cast<char>(i < static_cast<int>(patterns.size()) ? i : 0);
    out += "M.K.";
    for (const Pattern& pat : patterns) {
        for (const Cell& c : pat) {
            out += static_cast<char>((c.sample & 0xF0) | (c.period >> 8));
            out += static_cast<char>(c.period & 0xFF);
            out += static_cast<char>(((c.sample & 0x0F) << 4) | c.effect);
            out += static_cast<char>(c.param);
        }
    }
    for (const Sample& s : samples)
        out.append(reinterpret_cast<const char*>(s.data.data()), s.data.size());
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "Usage: modgen <output-file>\n");
        return 2;
    }
    std::string module = BuildModule();
    std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
    file.write(module.data(), static_cast<std::streamsize>(module.size()));
    file.close();
    if (!file) {
        std::fprintf(stderr, "modgen: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
