#include "components/FileCtrl.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QPainter>
#include <QStyledItemDelegate>
#include <cctype>

#include "framework/StringList.h"
#include "framework/SysUtils.h"
#include "platform/Platform.h"

namespace {

char upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }
char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

void loadBitmap(TBitmap& bitmap, const char* name) { bitmap.LoadFromResourceName(name); }

// Paints an owner-drawn item into a widget through the framework canvas.
template <class Draw>
void paintThroughCanvas(QPainter* painter, const QRect& rect, Draw draw) {
    QImage image(rect.size(), QImage::Format_RGB32);
    TCanvas canvas(&image);
    draw(canvas, TRect{0, 0, rect.width(), rect.height()});
    painter->drawImage(rect.topLeft(), image);
}

unsigned stateOf(const QStyleOptionViewItem& option) {
    unsigned s = 0;
    if (option.state & QStyle::State_Selected) s |= odSelected;
    if (option.state & QStyle::State_HasFocus) s |= odFocused;
    return s;
}

void fillItemBackground(TCanvas& c, const TRect& r, unsigned state, TColor background) {
    c.Brush() = {(state & odSelected) ? clHighlight : background, TBrushStyle::bsSolid};
    c.FillRect(r);
    c.Font().SetColor((state & odSelected) ? clHighlightText : clWindowText);
}

void drawBitmap(TCanvas& c, const TBitmap& b, int x, const TRect& r) {
    int y = (r.Top + r.Bottom - b.Height()) / 2;
    c.DrawTransparent(x, y, b.Image(), b.TransparentColor());
}

int countBackslashes(const std::string& s) {
    int n = 0;
    for (char ch : s) n += ch == '\\';
    return n;
}

}  // namespace

std::string ExtractFileDrive(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        // \\server\share
        size_t server = path.find('\\', 2);
        if (server == std::string::npos) return path;
        size_t share = path.find('\\', server + 1);
        return share == std::string::npos ? path : path.substr(0, share);
    }
    return "";
}

// ---- toolkit widgets -------------------------------------------------------------------------

class DriveComboWidget : public QComboBox {
public:
    explicit DriveComboWidget(TDriveComboBox* owner) : owner_(owner) {
        struct Delegate : QStyledItemDelegate {
            TDriveComboBox* owner;
            explicit Delegate(TDriveComboBox* o) : owner(o) {}
            void paint(QPainter* p, const QStyleOptionViewItem& o, const QModelIndex& i) const override {
                paintThroughCanvas(p, o.rect, [&](TCanvas& c, const TRect& r) {
                    owner->DrawItem(c, i.row(), r, stateOf(o));
                });
            }
            QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
                return QSize(100, 16);
            }
        };
        setItemDelegate(new Delegate(owner));
        connect(this, qOverload<int>(&QComboBox::activated), [this](int index) {
            Dispatch([&] { owner_->PickItem(index); });
        });
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        QRect r = rect();
        p.fillRect(r, Qt::white);
        p.setPen(QColor(128, 128, 128));
        p.drawRect(r.adjusted(0, 0, -1, -1));
        int arrow = 16;
        QRect text = r.adjusted(2, 2, -arrow - 2, -2);
        unsigned state = hasFocus() ? odSelected | odFocused : 0;
        if (owner_->ItemIndex() >= 0)
            paintThroughCanvas(&p, text, [&](TCanvas& c, const TRect& tr) {
                owner_->DrawItem(c, owner_->ItemIndex(), tr, state);
            });
        QRect button(r.right() - arrow, r.top() + 1, arrow, r.height() - 2);
        p.fillRect(button, QColor(192, 192, 192));
        p.setPen(Qt::black);
        int cx = button.center().x(), cy = button.center().y();
        for (int i = 0; i < 4; ++i) p.drawLine(cx - 3 + i, cy - 1 + i, cx + 3 - i, cy - 1 + i);
    }

private:
    TDriveComboBox* owner_;
};

class DirectoryListWidget : public QListWidget {
public:
    explicit DirectoryListWidget(TDirectoryListBox* owner) : owner_(owner) {
        struct Delegate : QStyledItemDelegate {
            TDirectoryListBox* owner;
            explicit Delegate(TDirectoryListBox* o) : owner(o) {}
            void paint(QPainter* p, const QStyleOptionViewItem& o, const QModelIndex& i) const override {
                paintThroughCanvas(p, o.rect, [&](TCanvas& c, const TRect& r) {
                    owner->DrawItem(c, i.row(), r, stateOf(o));
                });
            }
            QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
                return QSize(100, 16);
            }
        };
        setItemDelegate(new Delegate(owner));
        setUniformItemSizes(true);
        connect(this, &QListWidget::itemDoubleClicked, [this] { Dispatch([&] { owner_->OpenCurrent(); }); });
    }

protected:
    void keyPressEvent(QKeyEvent* e) override {
        QListWidget::keyPressEvent(e);
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
            Dispatch([&] { owner_->OpenCurrent(); });
            e->accept();
        }
    }

private:
    TDirectoryListBox* owner_;
};

// ---- TDriveComboBox --------------------------------------------------------------------------

TDriveComboBox::TDriveComboBox(TComponent* owner) : TWinControl(owner) {
    combo_ = new DriveComboWidget(this);
    SetWidget(combo_);
    loadBitmap(floppy_, "FLOPPY");
    loadBitmap(hard_, "HARD");
    loadBitmap(network_, "NETWORK");
    loadBitmap(cdrom_, "CDROM");
    loadBitmap(ram_, "RAM");
    std::string cwd = platform::GetCurrentDirectory();
    driveLetter_ = (!cwd.empty() && cwd[0] != '\\') ? lower(cwd[0]) : 0;
    SetBounds(0, 0, 145, 19);
}

TDriveComboBox::~TDriveComboBox() {
    if (dirList_) dirList_->driveCombo_ = nullptr;
}

void TDriveComboBox::SetDirList(TDirectoryListBox* list) {
    if (list == dirList_) return;
    if (dirList_) dirList_->driveCombo_ = nullptr;
    dirList_ = list;
    if (dirList_) dirList_->driveCombo_ = this;
}

std::string TDriveComboBox::volumeText(char letter) const {
    std::string root = std::string(1, letter) + ":\\";
    platform::VolumeInformation info;
    // No "insert a disk" prompts while the list is built.
    unsigned old = platform::SetErrorMode(platform::SEM_FAILCRITICALERRORS);
    unsigned code = platform::GetVolumeInformation(root, info);
    platform::SetErrorMode(old);
    std::string label = code == 0 ? info.Label : "";
    label = std::islower(static_cast<unsigned char>(letter)) ? AnsiLowerCaseFileName(label)
                                                             : AnsiUpperCaseFileName(label);
    return Format("[%s]", label.c_str());
}

std::string TDriveComboBox::networkText(char letter) const {
    std::string remote;
    if (platform::GetNetworkConnection(std::string(1, upper(letter)) + ":", remote) != 0)
        return volumeText(letter);
    return std::islower(static_cast<unsigned char>(letter)) ? AnsiLowerCaseFileName(remote)
                                                            : AnsiUpperCaseFileName(remote);
}

void TDriveComboBox::BuildList() {
    items_.clear();
    itemIndex_ = -1;
    uint32_t drives = platform::GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (!(drives & (1u << i))) continue;
        char letter = static_cast<char>('a' + i);
        unsigned type = platform::GetDriveType(std::string(1, letter) + ":\\");
        if (textCase_ == TTextCase::tcUpperCase) letter = upper(letter);
        std::string l(1, letter);
        switch (type) {
            case platform::DRIVE_REMOVABLE: items_.push_back({l + ":", &floppy_}); break;
            case platform::DRIVE_FIXED:
                items_.push_back({Format("%s: %s", l.c_str(), volumeText(letter).c_str()), &hard_});
                break;
            case platform::DRIVE_REMOTE:
                items_.push_back({Format("%s: %s", l.c_str(), networkText(letter).c_str()), &network_});
                break;
            case platform::DRIVE_CDROM:
                items_.push_back({Format("%s: %s", l.c_str(), volumeText(letter).c_str()), &cdrom_});
                break;
            case platform::DRIVE_RAMDISK:
                items_.push_back({Format("%s: %s", l.c_str(), volumeText(letter).c_str()), &ram_});
                break;
            default: break;
        }
    }
    QSignalBlocker block(combo_);
    combo_->clear();
    for (const Item& item : items_) combo_->addItem(QString::fromStdString(item.Text));
    combo_->setCurrentIndex(-1);
}

void TDriveComboBox::selectItem(int index) {
    itemIndex_ = index;
    QSignalBlocker block(combo_);
    combo_->setCurrentIndex(index);
    combo_->update();
}

void TDriveComboBox::changeDrive(char d) {
    if (itemIndex_ >= 0 && upper(d) == upper(driveLetter_)) return;
    if (d == 0) {
        driveLetter_ = 0;
        selectItem(-1);
    } else {
        driveLetter_ = textCase_ == TTextCase::tcUpperCase ? upper(d) : lower(d);
        for (int i = 0; i < ItemCount(); ++i) {
            const std::string& t = items_[static_cast<size_t>(i)].Text;
            if (t.size() >= 2 && upper(t[0]) == upper(driveLetter_) && t[1] == ':') {
                selectItem(i);
                break;
            }
        }
        if (dirList_) dirList_->DriveChange(driveLetter_);
    }
    raiseChange();
}

// A handler's error is reported like one from a window message: the selector (and the
// window being shown around it) carries on.
void TDriveComboBox::raiseChange() {
    if (OnChange) Dispatch([this] { OnChange(this); });
}

void TDriveComboBox::SetDriveLetter(char letter) { changeDrive(letter); }

void TDriveComboBox::SetTextCase(TTextCase c) {
    textCase_ = c;
    BuildList();
    changeDrive(driveLetter_);
}

void TDriveComboBox::CreateWnd() {
    BuildList();
    changeDrive(driveLetter_);
}

void TDriveComboBox::PickItem(int index) {
    if (index < 0 || index >= ItemCount()) return;
    // The click changes the drive to the picked item's letter; the selection itself then
    // raises the change event once more.
    SetDriveLetter(items_[static_cast<size_t>(index)].Text[0]);
    selectItem(index);
    raiseChange();
}

void TDriveComboBox::DrawItem(TCanvas& c, int index, const TRect& r, unsigned state) const {
    fillItemBackground(c, r, state, clWindow);
    if (index < 0 || index >= ItemCount()) return;
    const Item& item = items_[static_cast<size_t>(index)];
    int textLeft = r.Left + 16 + 6;
    if (item.Bitmap && !item.Bitmap->Empty()) {
        drawBitmap(c, *item.Bitmap, r.Left + 2, r);
        textLeft = r.Left + item.Bitmap->Width() + 6;
    }
    c.SetFont(Font());
    c.Font().SetColor((state & odSelected) ? clHighlightText : clWindowText);
    c.Brush().Style = TBrushStyle::bsClear;
    TRect tr{textLeft, r.Top, r.Right, r.Bottom};
    c.DrawText(item.Text, tr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

// ---- TDirectoryListBox -----------------------------------------------------------------------

TDirectoryListBox::TDirectoryListBox(TComponent* owner) : TWinControl(owner) {
    list_ = new DirectoryListWidget(this);
    SetWidget(list_);
    loadBitmap(openFolder_, "OPENFOLDER");
    loadBitmap(closedFolder_, "CLOSEDFOLDER");
    loadBitmap(currentFolder_, "CURRENTFOLDER");
    currentDir_ = platform::GetCurrentDirectory();
    SetBounds(0, 0, 145, 97);
}

TDirectoryListBox::~TDirectoryListBox() {
    if (driveCombo_) driveCombo_->dirList_ = nullptr;
}

const TBitmap& TDirectoryListBox::bitmapOf(TEntryKind kind) const {
    switch (kind) {
        case TEntryKind::Ancestor: return openFolder_;
        case TEntryKind::Current: return currentFolder_;
        default: return closedFolder_;
    }
}

void TDirectoryListBox::CreateWnd() { BuildList(); }

void TDirectoryListBox::BuildList() {
    entries_.clear();
    std::string root = ExtractFileDrive(currentDir_) + "\\";
    platform::VolumeInformation info;
    if (platform::GetVolumeInformation(root, info) == 0) {
        keepsCase_ = info.FileSystemFlags & (platform::FS_CASE_SENSITIVE | platform::FS_CASE_IS_PRESERVED);
        caseSensitive_ = info.FileSystemFlags & platform::FS_CASE_SENSITIVE;
    } else {
        // Unknown volume: show names as they are, compare them ignoring case.
        keepsCase_ = true;
        caseSensitive_ = false;
    }
    std::string rest = currentDir_;
    int level = 0;
    if (root.size() > 1 && root[1] == '\\') {
        entries_.push_back({root, TEntryKind::Ancestor});
        rest = currentDir_.size() > root.size() ? currentDir_.substr(root.size()) : "";
        level = 1;
    }
    if (!rest.empty()) {
        if (rest.back() != '\\') {
            size_t start = 0;
            for (size_t slash; (slash = rest.find('\\', start)) != std::string::npos; start = slash + 1) {
                std::string piece = rest.substr(start, slash - start);
                if (level == 0) piece += "\\";
                entries_.push_back({piece, TEntryKind::Ancestor});
                ++level;
            }
            entries_.push_back({rest.substr(start), TEntryKind::Current});
        } else {
            entries_.push_back({rest, TEntryKind::Current});
        }
    }
    currentIndex_ = static_cast<int>(entries_.size()) - 1;

    std::string pattern = currentDir_;
    if (pattern.empty() || pattern.back() != '\\') pattern += "\\";
    pattern += "*.*";
    std::vector<platform::FindData> found;
    TStringList subs;
    subs.SetSorted(true);
    if (platform::FindFiles(pattern, found) == 0) {
        for (const auto& f : found) {
            if (f.Attributes & (platform::FILE_ATTRIBUTE_HIDDEN | platform::FILE_ATTRIBUTE_SYSTEM |
                                platform::FILE_ATTRIBUTE_VOLUME))
                continue;
            if (!(f.Attributes & platform::FILE_ATTRIBUTE_DIRECTORY) || f.Name == "." || f.Name == "..")
                continue;
            subs.Add(f.Name);
        }
    }
    for (const auto& s : subs.Items()) entries_.push_back({s, TEntryKind::SubDirectory});

    QSignalBlocker block(list_);
    list_->clear();
    for (const Entry& e : entries_) list_->addItem(QString::fromStdString(e.Text));
    if (HandleAllocated()) list_->setCurrentRow(currentIndex_);
}

int TDirectoryListBox::ItemIndex() const { return list_->currentRow(); }

void TDirectoryListBox::SetItemIndex(int i) { list_->setCurrentRow(i); }

int TDirectoryListBox::Indentation(int index) const {
    if (index < 0 || index >= ItemCount()) return 0;
    if (entries_[static_cast<size_t>(index)].Kind == TEntryKind::SubDirectory)
        return (countBackslashes(currentDir_) + 1) * 4 + 2;
    return index * 4 + 2;
}

void TDirectoryListBox::DrawItem(TCanvas& c, int index, const TRect& r, unsigned state) const {
    fillItemBackground(c, r, state, clWindow);
    if (index < 0 || index >= ItemCount()) return;
    const Entry& e = entries_[static_cast<size_t>(index)];
    int indent = Indentation(index);
    const TBitmap& b = bitmapOf(e.Kind);
    int bitmapWidth = b.Empty() ? 16 : b.Width();
    if (!b.Empty()) drawBitmap(c, b, r.Left + indent, r);
    std::string text = (keepsCase_ || caseSensitive_) ? e.Text
                                                        : QString::fromStdString(e.Text).toLower().toStdString();
    c.SetFont(Font());
    c.Font().SetColor((state & odSelected) ? clHighlightText : clWindowText);
    c.Brush().Style = TBrushStyle::bsClear;
    c.TextOut(r.Left + bitmapWidth + indent + 4, r.Top, text);
}

std::string TDirectoryListBox::GetItemPath(int index) const {
    if (index < 0 || index >= ItemCount()) return "";
    std::string drive = ExtractFileDrive(currentDir_);
    if (index == 0) return drive + "\\";
    const Entry& e = entries_[static_cast<size_t>(index)];
    if (e.Kind == TEntryKind::SubDirectory) {
        std::string dir = currentDir_;
        if (dir.empty() || dir.back() != '\\') dir += "\\";
        return dir + e.Text;
    }
    if (e.Kind == TEntryKind::Current) return currentDir_;
    // An ancestor: the path up to, not including, its (index + 1)-th backslash. UTF-8
    // never puts a backslash inside a character, so bytes can be scanned one by one.
    std::string rest = currentDir_.substr(drive.size());
    int seen = 0;
    for (size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == '\\' && ++seen == index + 1) return drive + rest.substr(0, i);
    }
    return drive + rest;
}

void TDirectoryListBox::OpenCurrent() { SetCurrentDir(GetItemPath(ItemIndex())); }

void TDirectoryListBox::changed() {
    if (OnChange) OnChange(this);
}

void TDirectoryListBox::DriveChange(char letter) {
    if (!currentDir_.empty() && upper(letter) == upper(currentDir_[0])) return;
    if (letter == 0) return;
    unsigned code = platform::SetCurrentDirectory(std::string(1, letter) + ":");
    if (code != 0) throw EInOutError(static_cast<int>(code));
    currentDir_ = platform::GetCurrentDirectory();
    if (!settingDir_) {
        BuildList();
        changed();
    }
}

void TDirectoryListBox::SetCurrentDir(const std::string& path) {
    if (path.empty()) return;
    bool same = caseSensitive_ ? AnsiCompareStr(path, currentDir_) == 0
                               : AnsiLowerCaseFileName(path) == AnsiLowerCaseFileName(currentDir_);
    if (same) return;
    // Resolve the path: change into it, read it back, and change back.
    std::string saved = platform::GetCurrentDirectory();
    unsigned code = platform::SetCurrentDirectory(path);
    if (code != 0) throw EInOutError(static_cast<int>(code));
    std::string resolved = platform::GetCurrentDirectory();
    platform::SetCurrentDirectory(saved);

    char drive = resolved.empty() ? 0 : resolved[0];
    bool driveLetter = resolved.size() >= 2 && resolved[1] == ':';
    if (driveLetter && (currentDir_.empty() || upper(drive) != upper(currentDir_[0]))) {
        settingDir_ = true;
        try {
            if (driveCombo_) driveCombo_->SetDriveLetter(drive);
            else DriveChange(drive);
        } catch (...) {
            settingDir_ = false;
            throw;
        }
        settingDir_ = false;
    }
    if (platform::GetFileAttributes(currentDir_) != platform::INVALID_FILE_ATTRIBUTES)
        platform::SetCurrentDirectory(currentDir_);
    code = platform::SetCurrentDirectory(resolved);
    if (code != 0) throw EInOutError(static_cast<int>(code));
    currentDir_ = platform::GetCurrentDirectory();
    BuildList();
    changed();
}
