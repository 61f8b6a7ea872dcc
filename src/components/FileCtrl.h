// The drive selector and the directory list. Both navigate by changing the process's
// current directory and reading it back, so after every change the process's current
// directory is the list's CurrentDir (the make-directory dialog relies on that).
#pragma once

#include <string>
#include <vector>

#include "framework/Bitmaps.h"
#include "framework/OwnerDrawn.h"

class TDirectoryListBox;

enum class TTextCase { tcLowerCase, tcUpperCase };

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
    void DescribeAccessible(TAccessibleInfo& info) const override;

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
    void DescribeAccessible(TAccessibleInfo& info) const override;
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
