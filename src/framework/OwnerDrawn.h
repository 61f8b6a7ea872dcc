// Lists and drop-down lists whose items the control draws itself: the toolkit keeps
// selection, scrolling and keys, the control paints each item on its canvas.
#pragma once

#include <QImage>
#include <QSize>
#include <string>
#include <vector>

#include "framework/Bitmaps.h"
#include "framework/Canvas.h"
#include "framework/Controls.h"

class OwnerDrawComboWidget;
class OwnerDrawListWidget;

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
    // Paints item index into an image of the given logical size at a device pixel ratio, as
    // the list shows it.
    QImage PaintItem(int index, QSize size, TOwnerDrawState state, qreal ratio = 1.0);
    // What the user does: pick item index in the drop-down list. Errors go to the error
    // box, as for any input.
    void PickItem(int index);
    // A drop-down list with its entries; pressing one picks it.
    void DescribeAccessible(TAccessibleInfo& info) const override;
    void AccessiblePress(int item) override;

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
    QImage PaintItem(int index, QSize size, TOwnerDrawState state, qreal ratio = 1.0);

    // Input as the toolkit delivers it, after its own handling (selection on a double
    // click, keyboard movement). Errors go to the error box.
    void UserDblClick();
    void UserKeyPress(char key);
    // A list with its entries; pressing one selects it and opens it, as a double click does.
    void DescribeAccessible(TAccessibleInfo& info) const override;
    void AccessiblePress(int item) override;

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
