#include "components/FileCtrl.h"

#include <algorithm>

#include "framework/Accessibility.h"
#include "framework/Messages.h"
#include "framework/StringList.h"
#include "framework/SysUtils.h"
#include "platform/Platform.h"

namespace {

using platform::AsciiLower;
using platform::AsciiUpper;

int countBackslashes(const std::string& s) {
    int n = 0;
    for (size_t i = NextBackslash(s, 0); i != std::string::npos; i = NextBackslash(s, i + 1)) ++n;
    return n;
}

// The drive letter a platform path names, #0 for a path without one.
char driveOf(const std::string& path) {
    return path.size() >= 2 && path[1] == ':' ? path[0] : 0;
}

void drawCentredTransparent(TCanvas& c, const TBitmap& b, int x, const TRect& r) {
    c.DrawTransparent(x, (r.Top + r.Bottom - b.Height()) / 2, b.Image(), b.TransparentColor());
}

int textHeight(const TFont& font) {
    TCanvas measure;
    measure.SetFont(font);
    return measure.TextMetrics().Height;
}

// The volume-label query must not prompt for a medium; the previous mode comes back
// however the query ends.
class CriticalErrorsFailed {
  public:
    CriticalErrorsFailed() : saved_(platform::SetErrorMode(platform::SEM_FAILCRITICALERRORS)) {}
    ~CriticalErrorsFailed() { platform::SetErrorMode(saved_); }

  private:
    unsigned saved_;
};

std::string casedLike(char letter, const std::string& text) {
    return letter >= 'a' && letter <= 'z' ? AnsiLowerCaseFileName(text)
                                          : AnsiUpperCaseFileName(text);
}

void throwIfFailed(unsigned code) {
    if (code != 0) throw EInOutError(static_cast<int>(code));
}

}  // namespace

// ---- TDriveComboBox --------------------------------------------------------------------------

TDriveComboBox::TDriveComboBox(TComponent* owner) : TOwnerDrawComboBox(owner) {
    floppy_.LoadFromResourceName("FLOPPY");
    hard_.LoadFromResourceName("HARD");
    network_.LoadFromResourceName("NETWORK");
    cdrom_.LoadFromResourceName("CDROM");
    ram_.LoadFromResourceName("RAM");
    std::string cwd = platform::GetCurrentDirectory();
    driveLetter_ = (!cwd.empty() && cwd[0] != '\\') ? AsciiLower(cwd[0]) : 0;
    measure();
    SetBounds(0, 0, 145, 19);
}

TDriveComboBox::~TDriveComboBox() {
    if (!dirList_) return;
    std::erase(dirList_->linkedBy_, this);
    if (dirList_->driveCombo_ == this) dirList_->driveCombo_ = nullptr;
}

void TDriveComboBox::measure() {
    SetItemHeight(std::max(textHeight(Font()), floppy_.Height()));
}

void TDriveComboBox::FontChanged() {
    TOwnerDrawComboBox::FontChanged();
    measure();
    // The item height belongs to the window: it is made afresh.
    if (HandleAllocated()) {
        DestroyHandleState();
        HandleNeeded();
    }
}

void TDriveComboBox::SetDirList(TDirectoryListBox* list) {
    if (list == dirList_) return;
    if (dirList_) {
        dirList_->driveCombo_ = nullptr;
        std::erase(dirList_->linkedBy_, this);
    }
    dirList_ = list;
    if (dirList_) {
        dirList_->driveCombo_ = this;
        dirList_->linkedBy_.push_back(this);
    }
}

std::string TDriveComboBox::volumeText(char letter) const {
    platform::VolumeInformation info;
    unsigned code;
    {
        CriticalErrorsFailed quiet;
        code = platform::GetVolumeInformation(std::string(1, letter) + ":\\", info);
    }
    return Format("[%s]", casedLike(letter, code == 0 ? info.Label : "").c_str());
}

std::string TDriveComboBox::networkText(char letter) const {
    std::string remote;
    if (platform::GetNetworkConnection(std::string(1, AsciiUpper(letter)) + ":", remote) != 0)
        return volumeText(letter);
    return casedLike(letter, remote);
}

void TDriveComboBox::BuildList() {
    ClearItems();
    uint32_t drives = platform::GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (!(drives & (1u << i))) continue;
        char letter = static_cast<char>('a' + i);
        unsigned type = platform::GetDriveType(std::string(1, letter) + ":\\");
        if (textCase_ == TTextCase::tcUpperCase) letter = AsciiUpper(letter);
        const std::string l(1, letter);
        switch (type) {
            case platform::DRIVE_REMOVABLE:  // its medium is left alone
                AddItem(l + ":", &floppy_);
                break;
            case platform::DRIVE_FIXED:
                AddItem(Format("%s: %s", l.c_str(), volumeText(letter).c_str()), &hard_);
                break;
            case platform::DRIVE_REMOTE:
                AddItem(Format("%s: %s", l.c_str(), networkText(letter).c_str()), &network_);
                break;
            case platform::DRIVE_CDROM:
                AddItem(Format("%s: %s", l.c_str(), volumeText(letter).c_str()), &cdrom_);
                break;
            case platform::DRIVE_RAMDISK:
                AddItem(Format("%s: %s", l.c_str(), volumeText(letter).c_str()), &ram_);
                break;
            default:
                break;
        }
    }
}

void TDriveComboBox::SetDriveLetter(char d) {
    if (ItemIndex() >= 0 && AsciiUpper(d) == AsciiUpper(driveLetter_)) return;
    if (d == 0) {
        driveLetter_ = 0;
        SetItemIndex(-1);
    } else {
        driveLetter_ = textCase_ == TTextCase::tcUpperCase ? AsciiUpper(d) : AsciiLower(d);
        for (int i = 0; i < ItemCount(); ++i) {
            const std::string& t = ItemText(i);
            if (t.size() >= 2 && AsciiUpper(t[0]) == AsciiUpper(driveLetter_) && t[1] == ':') {
                SetItemIndex(i);
                break;
            }
        }
    }
    if (dirList_) dirList_->DriveChange(driveLetter_);
    Change();
}

void TDriveComboBox::SetTextCase(TTextCase textCase) {
    if (textCase == textCase_) return;
    textCase_ = textCase;
    if (!HandleAllocated()) {
        // The list is built with the window; the letter follows the case already.
        if (driveLetter_)
            driveLetter_ = textCase_ == TTextCase::tcUpperCase ? AsciiUpper(driveLetter_)
                                                               : AsciiLower(driveLetter_);
        return;
    }
    BuildList();
    SetDriveLetter(driveLetter_);
}

void TDriveComboBox::CreateWnd() {
    TOwnerDrawComboBox::CreateWnd();
    BuildList();
    // No item is selected now, so this always raises OnChange. An error ends the change,
    // not the showing of the window.
    Dispatch([this] { SetDriveLetter(driveLetter_); });
}

void TDriveComboBox::DescribeAccessible(TAccessibleInfo& info) const {
    TOwnerDrawComboBox::DescribeAccessible(info);
    info.Name = "Drive";
}

void TDriveComboBox::Click() {
    TOwnerDrawComboBox::Click();
    if (ItemIndex() >= 0 && !ItemText(ItemIndex()).empty())
        SetDriveLetter(ItemText(ItemIndex())[0]);
}

void TDriveComboBox::DrawItem(int index, const TRect& rect, TOwnerDrawState) {
    TCanvas& c = Canvas();
    c.FillRect(rect);
    if (index < 0 || index >= ItemCount()) return;
    int textLeft = rect.Left + 16 + 6;
    if (const TBitmap* b = ItemBitmap(index); b && !b->Empty()) {
        drawCentredTransparent(c, *b, rect.Left + 2, rect);
        textLeft = rect.Left + b->Width() + 6;
    }
    TRect r{textLeft, rect.Top, rect.Right, rect.Bottom};
    c.DrawText(ItemText(index), r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

// ---- TDirectoryListBox -----------------------------------------------------------------------

TDirectoryListBox::TDirectoryListBox(TComponent* owner) : TOwnerDrawListBox(owner) {
    openFolder_.LoadFromResourceName("OPENFOLDER");
    closedFolder_.LoadFromResourceName("CLOSEDFOLDER");
    currentFolder_.LoadFromResourceName("CURRENTFOLDER");
    currentDir_ = platform::GetCurrentDirectory();
    measure();
    SetBounds(0, 0, 145, 97);
}

TDirectoryListBox::~TDirectoryListBox() {
    for (TDriveComboBox* combo : linkedBy_) combo->dirList_ = nullptr;
}

void TDirectoryListBox::measure() {
    SetItemHeight(std::max(textHeight(Font()), openFolder_.Height() + 1));
}

void TDirectoryListBox::FontChanged() {
    TOwnerDrawListBox::FontChanged();
    measure();
}

TDirectoryListBox::TEntryKind TDirectoryListBox::ItemKind(int i) const {
    const TBitmap* b = ItemBitmap(i);
    if (b == &openFolder_) return TEntryKind::Ancestor;
    if (b == &currentFolder_) return TEntryKind::Current;
    return TEntryKind::SubDirectory;
}

void TDirectoryListBox::CreateWnd() {
    TOwnerDrawListBox::CreateWnd();
    BuildList();
}

void TDirectoryListBox::BuildList() {
    BeginUpdate();
    ClearItems();
    std::string root = ExtractFileDrive(currentDir_) + "\\";
    platform::VolumeInformation info;
    if (platform::GetVolumeInformation(root, info) == 0) {
        keepsCase_ =
            info.FileSystemFlags & (platform::FS_CASE_SENSITIVE | platform::FS_CASE_IS_PRESERVED);
        caseSensitive_ = info.FileSystemFlags & platform::FS_CASE_SENSITIVE;
    } else {
        // Unknown volume: names are shown as they are and compared ignoring case.
        keepsCase_ = true;
        caseSensitive_ = false;
    }

    std::string rest = currentDir_;
    int level = 0;
    if (root.size() > 1 && root[1] == '\\') {
        AddItem(root, &openFolder_);
        rest = currentDir_.size() > root.size() ? currentDir_.substr(root.size()) : "";
        level = 1;
    }
    if (!rest.empty()) {
        if (rest.back() != '\\') {
            size_t start = 0;
            for (size_t slash; (slash = NextBackslash(rest, start)) != std::string::npos;
                 start = slash + 1) {
                std::string piece = rest.substr(start, slash - start);
                if (level == 0) piece += "\\";
                AddItem(piece, &openFolder_);
                ++level;
            }
            AddItem(rest.substr(start), &currentFolder_);
        } else {
            AddItem(rest, &currentFolder_);
        }
    }
    int currentIndex = ItemCount() - 1;

    std::string pattern = currentDir_;
    if (pattern.empty() || pattern.back() != '\\') pattern += "\\";
    pattern += "*.*";
    std::vector<platform::FindData> found;
    std::vector<std::string> names;
    if (platform::FindFiles(pattern, platform::FILE_ATTRIBUTE_DIRECTORY, found) == 0) {
        for (const platform::FindData& f : found)
            if ((f.Attributes & platform::FILE_ATTRIBUTE_DIRECTORY) && f.Name != "." &&
                f.Name != "..")
                names.push_back(f.Name);
    }
    TStringList subs;
    subs.SetSorted(true);  // equal names, ignoring case, are dropped
    subs.AddStrings(names);
    AddItems(subs.Items(), &closedFolder_);
    EndUpdate();
    if (HandleAllocated()) SetItemIndex(currentIndex);
}

int TDirectoryListBox::Indentation(int index) const {
    if (index < 0 || index >= ItemCount()) return 0;
    if (ItemKind(index) == TEntryKind::SubDirectory)
        return (countBackslashes(currentDir_) + 1) * 4 + 2;
    return index * 4 + 2;
}

void TDirectoryListBox::DrawItem(int index, const TRect& rect, TOwnerDrawState) {
    TCanvas& c = Canvas();
    c.FillRect(rect);
    if (index < 0 || index >= ItemCount()) return;
    int indent = Indentation(index);
    int bitmapWidth = 16;
    if (const TBitmap* b = ItemBitmap(index); b && !b->Empty()) {
        drawCentredTransparent(c, *b, rect.Left + indent, rect);
        bitmapWidth = b->Width();
    }
    const std::string& text = ItemText(index);
    c.TextOut(
        rect.Left + bitmapWidth + indent + 4, rect.Top,
        keepsCase_ || caseSensitive_ ? text : QString::fromStdString(text).toLower().toStdString());
}

std::string TDirectoryListBox::GetItemPath(int index) const {
    if (index < 0 || index >= ItemCount()) return "";
    std::string drive = ExtractFileDrive(currentDir_);
    if (index == 0) return drive + "\\";
    switch (ItemKind(index)) {
        case TEntryKind::SubDirectory: {
            std::string dir = currentDir_;
            if (dir.empty() || dir.back() != '\\') dir += "\\";
            return dir + ItemText(index);
        }
        case TEntryKind::Current:
            return currentDir_;
        default: {
            std::string rest = currentDir_.substr(drive.size());
            size_t end = NthBackslash(rest, index + 1);
            return drive + (end == std::string::npos ? rest : rest.substr(0, end));
        }
    }
}

void TDirectoryListBox::DescribeAccessible(TAccessibleInfo& info) const {
    TOwnerDrawListBox::DescribeAccessible(info);
    info.Name = "Directory";
    info.Description = currentDir_;
}

void TDirectoryListBox::OpenCurrent() {
    SetCurrentDir(GetItemPath(ItemIndex()));
}

void TDirectoryListBox::DblClick() {
    TOwnerDrawListBox::DblClick();
    OpenCurrent();
}

void TDirectoryListBox::KeyPress(char& key) {
    TOwnerDrawListBox::KeyPress(key);
    if (key == VK_RETURN) OpenCurrent();
}

void TDirectoryListBox::Change() {
    if (OnChange) OnChange(this);
}

void TDirectoryListBox::DriveChange(char letter) {
    if (AsciiUpper(letter) == AsciiUpper(currentDir_.empty() ? 0 : currentDir_[0])) return;
    if (letter != 0) {
        throwIfFailed(platform::SetCurrentDirectory(std::string(1, letter) + ":"));
        currentDir_ = platform::GetCurrentDirectory();
    }
    if (!settingDir_) {
        BuildList();
        Change();
    }
}

void TDirectoryListBox::SetCurrentDir(const std::string& path) {
    if (path.empty()) return;
    bool same = caseSensitive_ ? path == currentDir_
                               : AnsiLowerCaseFileName(path) == AnsiLowerCaseFileName(currentDir_);
    if (same) return;

    // Resolve the path on its drive by changing into it, then change back.
    std::string saved = platform::GetCurrentDirectory();
    // Its drive is the letter it names, else that of the process's current directory. A
    // network path is entered whole.
    std::string drive = driveOf(path) ? path.substr(0, 2) : "";
    std::string rest = path.substr(drive.size());
    if (drive.empty() && rest.rfind("\\\\", 0) != 0 && driveOf(saved)) drive = saved.substr(0, 2);
    std::string resolved;
    unsigned code = drive.empty() ? 0 : platform::SetCurrentDirectory(drive);
    if (code == 0 && !rest.empty()) code = platform::SetCurrentDirectory(drive + rest);
    if (code == 0) resolved = platform::GetCurrentDirectory();
    platform::SetCurrentDirectory(saved);
    throwIfFailed(code);

    char newDrive = driveOf(resolved);
    if (AsciiUpper(newDrive) != AsciiUpper(driveOf(currentDir_))) {
        // The selector moves to the drive and this list follows it without a rebuild.
        settingDir_ = true;
        try {
            if (driveCombo_)
                driveCombo_->SetDriveLetter(newDrive);
            else
                DriveChange(newDrive);
        } catch (...) {
            settingDir_ = false;
            throw;
        }
        settingDir_ = false;
    }
    uint32_t attributes = platform::GetFileAttributes(currentDir_);
    if (attributes != platform::INVALID_FILE_ATTRIBUTES &&
        (attributes & platform::FILE_ATTRIBUTE_DIRECTORY))
        platform::SetCurrentDirectory(currentDir_);
    throwIfFailed(platform::SetCurrentDirectory(resolved));
    currentDir_ = platform::GetCurrentDirectory();
    BuildList();
    Change();
}
