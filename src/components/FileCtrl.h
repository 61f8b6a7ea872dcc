// The drive selector and the directory list. Both navigate by changing the process's
// current directory and reading it back, so after every change the process's current
// directory is the list's CurrentDir (the make-directory dialog relies on that).
#pragma once

#include <QImage>
#include <QSize>
#include <string>
#include <vector>

#include "framework/Bitmaps.h"
#include "framework/Controls.h"

class TDirectoryListBox;
class OwnerDrawComboWidget;
class OwnerDrawListWidget;

enum class TTextCase { tcLowerCase, tcUpperCase };

// Item state for owner drawing.
enum TOwnerDrawStateFlag : unsigned { odSelected = 1, odFocused = 2, odComboBoxEdit = 0x1000 };
using TOwnerDrawState = unsigned;

// A drop-down list whose items the control draws itself, all of one height. Each item is a
// text and a bitmap. Selection, scrolling and keys are the toolkit's; a pick from the list
// runs Click and then Change.
class TOwnerDrawComboBox : public TWinControl {
  public:
    explicit TOwnerDrawComboBox(TComponent* owner);

    int ItemCount() const { return static_cast<int>(items_.size()); }
    const std::string& ItemText(int i) const { return items_.at(static_cast<size_t>(i)).Text; }
    const TBitmap* ItemBitmap(int i) const { return items_.at(static_cast<size_t>(i)).Bitmap; }
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);
    int ItemHeight() const { return itemHeight_; }
    // The canvas DrawItem paints on: its brush and font are set for the item's state.
    TCanvas& Canvas() { return canvas_; }
    // Paints item index into an image of the given size, as the list shows it.
    QImage PaintItem(int index, QSize size, TOwnerDrawState state);
    // What the user does: pick item index in the drop-down list. Errors go to the error
    // box, as for any input.
    void PickItem(int index);

    TNotifyEvent OnChange;

  protected:
    virtual void DrawItem(int index, const TRect& rect, TOwnerDrawState state);
    virtual void Change();
    void ClearItems();
    void AddItem(const std::string& text, const TBitmap* bitmap);
    void SetItemHeight(int height);
    // The toolkit's selection change: the item is selected, then Click, then Change.
    void Select(int index);

  private:
    struct Item {
        std::string Text;
        const TBitmap* Bitmap;
    };
    std::vector<Item> items_;
    int itemIndex_ = -1;
    int itemHeight_ = 16;
    TCanvas canvas_;
    OwnerDrawComboWidget* combo_;
};

// A list whose items the control draws itself, all of one height, unsorted.
class TOwnerDrawListBox : public TWinControl {
  public:
    explicit TOwnerDrawListBox(TComponent* owner);

    int ItemCount() const { return static_cast<int>(items_.size()); }
    const std::string& ItemText(int i) const { return items_.at(static_cast<size_t>(i)).Text; }
    const TBitmap* ItemBitmap(int i) const { return items_.at(static_cast<size_t>(i)).Bitmap; }
    int ItemIndex() const;
    void SetItemIndex(int index);
    int ItemHeight() const { return itemHeight_; }
    TCanvas& Canvas() { return canvas_; }
    QImage PaintItem(int index, QSize size, TOwnerDrawState state);

    // Input as the toolkit delivers it, after its own handling (selection on a double
    // click, keyboard movement). Errors go to the error box.
    void UserDblClick();
    void UserKeyPress(char key);

  protected:
    virtual void DrawItem(int index, const TRect& rect, TOwnerDrawState state);
    // A character key, after OnKeyPress (which may change or swallow it with 0).
    virtual void KeyPress(char& key);
    // Entries change in a batch: no repaint per entry.
    void BeginUpdate();
    void EndUpdate();
    void ClearItems();
    void AddItem(const std::string& text, const TBitmap* bitmap);
    void AddItems(const std::vector<std::string>& texts, const TBitmap* bitmap);
    void SetItemHeight(int height);

  private:
    struct Item {
        std::string Text;
        const TBitmap* Bitmap;
    };
    std::vector<Item> items_;
    int itemHeight_ = 16;
    TCanvas canvas_;
    OwnerDrawListWidget* list_;
};

class TDriveComboBox : public TOwnerDrawComboBox {
  public:
    explicit TDriveComboBox(TComponent* owner);
    ~TDriveComboBox() override;

    // The selected drive letter, #0 for none.
    char DriveLetter() const { return driveLetter_; }
    void SetDriveLetter(char letter);
    TTextCase TextCase() const { return textCase_; }
    void SetTextCase(TTextCase textCase);
    TDirectoryListBox* DirList() const { return dirList_; }
    void SetDirList(TDirectoryListBox* list);
    // Rebuilds the drive items from the platform's drives.
    void BuildList();

  protected:
    void CreateWnd() override;
    void Click() override;
    void DrawItem(int index, const TRect& rect, TOwnerDrawState state) override;
    void FontChanged() override;

  private:
    friend class TDirectoryListBox;
    std::string volumeText(char letter) const;
    std::string networkText(char letter) const;
    void measure();

    char driveLetter_ = 0;
    TTextCase textCase_ = TTextCase::tcLowerCase;
    TDirectoryListBox* dirList_ = nullptr;
    TBitmap floppy_, hard_, network_, cdrom_, ram_;
};

class TDirectoryListBox : public TOwnerDrawListBox {
  public:
    explicit TDirectoryListBox(TComponent* owner);
    ~TDirectoryListBox() override;

    const std::string& CurrentDir() const { return currentDir_; }
    void SetCurrentDir(const std::string& path);
    // The selector this list follows (set through its DirList), or null.
    TDriveComboBox* DriveCombo() const { return driveCombo_; }

    // Entries: the root and ancestors, the current directory, its sub-directories. The
    // kind is told by the entry's bitmap.
    enum class TEntryKind { Ancestor, Current, SubDirectory };
    TEntryKind ItemKind(int i) const;
    // The path an entry stands for ("" past the last entry).
    std::string GetItemPath(int index) const;
    // Opens the selected entry, as a double click or the Enter key does.
    void OpenCurrent();
    // Left edge of an entry's bitmap, relative to the item rectangle.
    int Indentation(int index) const;
    // Follows the linked selector (or a directory change) onto another drive.
    void DriveChange(char letter);
    bool KeepsCase() const { return keepsCase_; }
    bool CaseSensitive() const { return caseSensitive_; }

    TNotifyEvent OnChange;

  protected:
    void CreateWnd() override;
    void DrawItem(int index, const TRect& rect, TOwnerDrawState state) override;
    void DblClick() override;
    void KeyPress(char& key) override;
    void FontChanged() override;

  private:
    friend class TDriveComboBox;
    void BuildList();
    void Change();
    void measure();

    std::string currentDir_;
    // Selectors that link here; the last one linked is the one followed.
    std::vector<TDriveComboBox*> linkedBy_;
    TDriveComboBox* driveCombo_ = nullptr;
    bool keepsCase_ = true;
    bool caseSensitive_ = false;
    bool settingDir_ = false;
    TBitmap openFolder_, closedFolder_, currentFolder_;
};

// The drive part of a platform path: "C:" or "\\server\share".
std::string ExtractFileDrive(const std::string& path);
// Index of the (n)-th backslash (n from 1) of a path, stepping over whole multi-byte
// characters; npos when there are fewer.
size_t NthBackslash(const std::string& path, int n);
