#include "forms/Unit4.h"

#include <iconv.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "forms/InstallOptions.h"
#include "forms/Placement.h"
#include "framework/SysUtils.h"
#include "platform/Platform.h"

TForm4* Form4 = nullptr;

namespace {

// The message line keeps at most this many characters, as the one-line text box holds.
constexpr size_t kMessageLength = 255;

// One pixel wider than the client area: its right edge is cut off.
constexpr Placement kMemo1{0, 0, 515, 422};

// The first count characters of UTF-8 text, never splitting one.
std::string leftChars(const std::string& utf8, size_t count) {
    size_t chars = 0;
    for (size_t i = 0; i < utf8.size(); ++i) {
        if ((static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) continue;
        if (chars++ == count) return utf8.substr(0, i);
    }
    return utf8;
}

}  // namespace

TForm4::TForm4(TComponent* owner) : TForm(owner) {
    ReadState([this] {
        SetName("Form4");
        SetCaption("NFO");
        SetBorderStyle(TFormBorderStyle::bsSingle);
        SetBorderIcons(biSystemMenu);
        SetColor(clBtnFace);
        SetClientSize(514, 422);

        Memo1 = place(this, new TMemo(this), kMemo1);
        Memo1->SetName("Memo1");
        Memo1->SetColor(clBlack);
        Memo1->Font().SetName("Terminal");
        Memo1->Font().SetHeight(-11);
        Memo1->Font().SetColor(clWhite);
        Memo1->Font().SetCharset(OEM_CHARSET);
        Memo1->SetReadOnly(true);
        Memo1->SetScrollBars(TScrollStyle::ssBoth);
        Memo1->SetWantTabs(true);
        Memo1->SetTabOrder(0);
    });
    OnActivate = [this](TObject* s) { FormActivate(s); };
    Memo1->OnClick = [this](TObject* s) { Memo1Click(s); };
}

void TForm4::DoShow() {
    loadFailed_ = false;
    // The memo is first in the tab order: it takes the keyboard, so the keys scroll it.
    Memo1->SetFocus();
    TForm::DoShow();
}

void TForm4::FormActivate(TObject*) {
    // The error box hands the activation back when it closes; loading again would only
    // raise the same error again, so after a failure the viewer waits for its next opening.
    if (loadFailed_) return;
    const std::string path = ProgramDirectory() + InstallOptions.NFO;
    Memo1->Clear();
    try {
        // Whatever its line ends, a text three bytes longer than the memo's capacity is too
        // long for it; reading further would change nothing but the memory it takes.
        std::optional<std::string> bytes =
            ReadTextFileBytes(platform::ToNative(path), TMemo::Capacity + 3);
        if (!bytes) {
            TStringList lines;
            lines.Add(leftChars("Can`t load file " + InstallOptions.NFO, kMessageLength));
            Memo1->SetLines(lines);
            return;
        }
        Memo1->SetText(OemToUtf8(*bytes));
    } catch (...) {
        loadFailed_ = true;
        throw;
    }
    SetCaption(InstallOptions.NFO);
}

void TForm4::Memo1Click(TObject*) {
    Close();
}

std::optional<std::string> ReadTextFileBytes(const std::string& nativePath, size_t maxBytes) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (nativePath.empty() || !fs::is_regular_file(nativePath, ec)) return std::nullopt;
    std::ifstream in(nativePath, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text;
    uintmax_t size = fs::file_size(nativePath, ec);
    if (!ec) text.reserve(static_cast<size_t>(std::min<uintmax_t>(size, maxBytes)));
    char chunk[65536];
    while (text.size() < maxBytes) {
        size_t want = std::min(sizeof chunk, maxBytes - text.size());
        in.read(chunk, static_cast<std::streamsize>(want));
        size_t got = static_cast<size_t>(in.gcount());
        if (const void* nul = std::memchr(chunk, 0, got)) {
            text.append(chunk, static_cast<size_t>(static_cast<const char*>(nul) - chunk));
            break;
        }
        text.append(chunk, got);
        if (in.bad()) throw Exception("Stream read error");
        if (got < want) break;  // end of file
    }
    return text;
}

std::string OemToUtf8(const std::string& bytes) {
    iconv_t cd = iconv_open("UTF-8", "CP437");
    if (cd == reinterpret_cast<iconv_t>(-1)) throw Exception("Code page 437 is not available");
    // Every character of the code page takes at most three bytes in UTF-8.
    std::string out(bytes.size() * 3, '\0');
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char* to = out.data();
    size_t outLeft = out.size();
    size_t result = iconv(cd, &in, &inLeft, &to, &outLeft);
    iconv_close(cd);
    if (result == static_cast<size_t>(-1)) throw Exception("Text cannot be converted");
    out.resize(out.size() - outLeft);
    return out;
}
