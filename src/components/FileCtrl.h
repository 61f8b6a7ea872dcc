// The drive selector and the directory list. Both navigate by changing the process's
// current directory and reading it back, so after every change the process's current
// directory is the list's CurrentDir (the make-directory dialog relies on that).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/Controls.h"
#include "framework/Graphics.h"

class TDirectoryListBox;
class DriveComboWidget;
class DirectoryListWidget;

enum class TTextCase { tcLowerCase, tcUpperCase };

// Item state for owner drawing.
enum TOwnerDrawStateFlag : unsigned { odSelected = 1, odFocused = 2 };

class TDriveComboBox : public TWinControl {
public:
    explicit TDriveComboBox(TComponent* owner);
    ~TDriveComboBox() override;

    // The selected drive letter, #0 for none.
    char DriveLetter() const { return driveLetter_; }
    void SetDriveLetter(char letter);
    TTextCase TextCase() const { return textCase_; }
    void SetTextCase(TTextCase c);
    TDirectoryListBox* DirList() const { return dirList_; }
    void SetDirList(TDirectoryListBox* list);

    // The drive items as listed: text and the bitmap of the drive type.
    int ItemCount() const { return static_cast<int>(items_.size()); }
    const std::string& ItemText(int i) const { return items_.at(static_cast<size_t>(i)).Text; }
    int ItemIndex() const { return itemIndex_; }
    // What the user does: pick item i in the drop-down list.
    void PickItem(int index);
    // Paints item i into rect of canvas, as the list shows it.
    void DrawItem(TCanvas& canvas, int index, const TRect& rect, unsigned state) const;
    // Rebuilds the drive items from the platform's drives.
    void BuildList();

    TNotifyEvent OnChange;

protected:
    void CreateWnd() override;

private:
    friend class TDirectoryListBox;
    struct Item {
        std::string Text;
        const TBitmap* Bitmap;
    };
    void changeDrive(char letter);
    void raiseChange();
    void selectItem(int index);
    std::string volumeText(char letter) const;
    std::string networkText(char letter) const;

    char driveLetter_ = 0;
    TTextCase textCase_ = TTextCase::tcLowerCase;
    TDirectoryListBox* dirList_ = nullptr;
    std::vector<Item> items_;
    int itemIndex_ = -1;
    TBitmap floppy_, hard_, network_, cdrom_, ram_;
    DriveComboWidget* combo_;
};

class TDirectoryListBox : public TWinControl {
public:
    explicit TDirectoryListBox(TComponent* owner);
    ~TDirectoryListBox() override;

    const std::string& CurrentDir() const { return currentDir_; }
    void SetCurrentDir(const std::string& path);
    TDriveComboBox* DriveCombo() const { return driveCombo_; }

    // Entries: the root and ancestors, the current directory, its sub-directories.
    enum class TEntryKind { Ancestor, Current, SubDirectory };
    int ItemCount() const { return static_cast<int>(entries_.size()); }
    const std::string& ItemText(int i) const { return entries_.at(static_cast<size_t>(i)).Text; }
    TEntryKind ItemKind(int i) const { return entries_.at(static_cast<size_t>(i)).Kind; }
    int ItemIndex() const;
    void SetItemIndex(int i);
    // The path an entry stands for ("" past the last entry).
    std::string GetItemPath(int index) const;
    // Opens the selected entry, as a double click or the Enter key does.
    void OpenCurrent();
    // Left edge of an entry's bitmap, relative to the item rectangle.
    int Indentation(int index) const;
    void DrawItem(TCanvas& canvas, int index, const TRect& rect, unsigned state) const;
    // Follows the linked selector (or a directory change) onto another drive.
    void DriveChange(char letter);
    bool KeepsCase() const { return keepsCase_; }
    bool CaseSensitive() const { return caseSensitive_; }

    TNotifyEvent OnChange;

protected:
    void CreateWnd() override;

private:
    friend class TDriveComboBox;
    struct Entry {
        std::string Text;
        TEntryKind Kind;
    };
    void BuildList();
    const TBitmap& bitmapOf(TEntryKind kind) const;
    void changed();

    std::string currentDir_;
    TDriveComboBox* driveCombo_ = nullptr;
    bool keepsCase_ = true;
    bool caseSensitive_ = false;
    bool settingDir_ = false;
    int currentIndex_ = -1;
    std::vector<Entry> entries_;
    TBitmap openFolder_, closedFolder_, currentFolder_;
    DirectoryListWidget* list_;
};

// The drive part of a platform path: "C:" or "\\server\share".
std::string ExtractFileDrive(const std::string& path);
