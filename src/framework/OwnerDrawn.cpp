#include "framework/OwnerDrawn.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QPainter>
#include <QStyledItemDelegate>
#include <algorithm>

#include "framework/Accessibility.h"
#include "framework/Controls_p.h"
#include "framework/Messages.h"

namespace {

// Sets the canvas up for one item the way the toolkit hands it to an owner-drawn control
// (brush and text colour by state, the control's font) and lets draw paint it.
template <class Draw>
QImage paintItem(TCanvas& canvas, const TFont& font, TColor background, QSize size, qreal ratio,
                 TOwnerDrawState state, Draw draw) {
    QImage image = MakeImage(std::max(1, size.width()), std::max(1, size.height()), ratio);
    image.fill(ToQColor(background));
    canvas.SetTarget(&image);
    canvas.SetFont(font);
    bool selected = state & odSelected;
    canvas.Brush() = {selected ? clHighlight : background, TBrushStyle::bsSolid};
    canvas.Font().SetColor(selected ? clHighlightText : font.Color());
    canvas.Pen() = TPen{};
    canvas.ClearClipRect();
    draw(TRect{0, 0, size.width(), size.height()});
    canvas.SetTarget(nullptr);
    return image;
}

TOwnerDrawState stateOf(const QStyleOptionViewItem& option) {
    TOwnerDrawState s = 0;
    if (option.state & QStyle::State_Selected) s |= odSelected;
    if (option.state & QStyle::State_HasFocus) s |= odFocused;
    return s;
}

}  // namespace

// ---- toolkit widgets -------------------------------------------------------------------------

// Items of fixed height, each painted by the owning control.
template <class Owner>
class OwnerDrawDelegate : public QStyledItemDelegate {
  public:
    // The view owns its delegate and frees it with itself.
    OwnerDrawDelegate(Owner* owner, QObject* view) : QStyledItemDelegate(view), owner_(owner) {}
    void paint(QPainter* p, const QStyleOptionViewItem& o, const QModelIndex& i) const override {
        p->drawImage(o.rect.topLeft(), owner_->PaintItem(i.row(), o.rect.size(), stateOf(o),
                                                         p->device()->devicePixelRatioF()));
    }
    QSize sizeHint(const QStyleOptionViewItem& o, const QModelIndex&) const override {
        return QSize(o.rect.width(), owner_->ItemHeight());
    }

  private:
    Owner* owner_;
};

class OwnerDrawComboWidget : public QComboBox {
  public:
    explicit OwnerDrawComboWidget(TOwnerDrawComboBox* owner) : owner_(owner), alive_(owner) {
        setItemDelegate(new OwnerDrawDelegate(owner, this));
        // Picks from the list and from the keys of the closed box alike.
        connect(this, qOverload<int>(&QComboBox::activated), [this](int index) {
            if (alive_.Alive()) owner_->PickItem(index);
        });
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        if (!alive_.Alive()) return;
        QPainter p(this);
        QRect r = rect();
        p.fillRect(r, ToQColor(owner_->Color()));
        p.setPen(ToQColor(clBtnShadow));
        p.drawRect(r.adjusted(0, 0, -1, -1));
        const int arrow = 16;
        QRect item = r.adjusted(3, 3, -arrow - 3, -3);
        if (owner_->ItemIndex() >= 0 && item.isValid()) {
            TOwnerDrawState state = odComboBoxEdit | (hasFocus() ? odSelected | odFocused : 0);
            p.drawImage(item.topLeft(), owner_->PaintItem(owner_->ItemIndex(), item.size(), state,
                                                          devicePixelRatioF()));
        }
        QRect button(r.right() - arrow, r.top() + 1, arrow, r.height() - 2);
        p.fillRect(button, ToQColor(clBtnFace));
        p.setPen(ToQColor(clBtnText));
        int cx = button.center().x(), cy = button.center().y();
        for (int i = 0; i < 4; ++i) p.drawLine(cx - 3 + i, cy - 1 + i, cx + 3 - i, cy - 1 + i);
    }

  private:
    TOwnerDrawComboBox* owner_;
    TControlGuard alive_;
};

class OwnerDrawListWidget : public QListWidget {
  public:
    explicit OwnerDrawListWidget(TOwnerDrawListBox* owner) : owner_(owner), alive_(owner) {
        setItemDelegate(new OwnerDrawDelegate(owner, this));
        setUniformItemSizes(true);
        setSelectionMode(QAbstractItemView::SingleSelection);
    }

  protected:
    void mouseDoubleClickEvent(QMouseEvent* e) override {
        QListWidget::mouseDoubleClickEvent(e);
        if (alive_.Alive()) owner_->UserDblClick();
    }
    void keyPressEvent(QKeyEvent* e) override {
        QListWidget::keyPressEvent(e);
        char key = 0;
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
            key = VK_RETURN;
        else if (e->text().size() == 1 && e->text()[0].unicode() < 128)
            key = static_cast<char>(e->text()[0].unicode());
        if (key && alive_.Alive()) owner_->UserKeyPress(key);
    }

  private:
    TOwnerDrawListBox* owner_;
    TControlGuard alive_;
};

// ---- TOwnerDrawComboBox ----------------------------------------------------------------------

TOwnerDrawComboBox::TOwnerDrawComboBox(TComponent* owner) : TWinControl(owner) {
    combo_ = new OwnerDrawComboWidget(this);
    SetWidget(*this, combo_);
    SetColor(clWindow);
}

void TOwnerDrawComboBox::SetItemIndex(int index) {
    if (index < -1 || index >= ItemCount()) index = -1;
    itemIndex_ = index;
    QSignalBlocker block(combo_);
    combo_->setCurrentIndex(index);
    combo_->update();
}

void TOwnerDrawComboBox::ClearItems() {
    {
        QSignalBlocker block(combo_);
        combo_->clear();
    }
    items_.clear();
    itemIndex_ = -1;
    accessibility::Changed(this, accessibility::TChange::Items);
}

void TOwnerDrawComboBox::AddItem(const std::string& text, const TBitmap* bitmap) {
    items_.push_back({text, bitmap});
    QSignalBlocker block(combo_);
    combo_->addItem(QString::fromStdString(text));
    combo_->setCurrentIndex(itemIndex_);
}

void TOwnerDrawComboBox::SetItemHeight(int height) {
    if (height == itemHeight_) return;
    itemHeight_ = height;
    combo_->update();
}

QImage TOwnerDrawComboBox::PaintItem(int index, QSize size, TOwnerDrawState state, qreal ratio) {
    return paintItem(canvas_, Font(), Color(), size, ratio, state,
                     [&](const TRect& r) { DrawItem(index, r, state); });
}

void TOwnerDrawComboBox::DrawItem(int index, const TRect& rect, TOwnerDrawState) {
    canvas_.FillRect(rect);
    if (index < 0 || index >= ItemCount()) return;
    TRect r{rect.Left + 2, rect.Top, rect.Right, rect.Bottom};
    canvas_.DrawText(ItemText(index), r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

void TOwnerDrawComboBox::Change() {
    if (OnChange) OnChange(this);
}

void TOwnerDrawComboBox::Select(int index) {
    if (index < 0 || index >= ItemCount()) return;
    SetItemIndex(index);
    Click();
    Change();
}

void TOwnerDrawComboBox::PickItem(int index) {
    Dispatch([&] { Select(index); });
}

namespace {

template <class List>
void describeItems(const List& list, TAccessibleInfo& info) {
    for (int i = 0; i < list.ItemCount(); ++i) info.Items.push_back(list.ItemText(i));
    info.ItemIndex = list.ItemIndex();
}

}  // namespace

void TOwnerDrawComboBox::DescribeAccessible(TAccessibleInfo& info) const {
    TWinControl::DescribeAccessible(info);
    info.Role = TAccessibleRole::ComboBox;
    info.Pressable = false;
    describeItems(*this, info);
}

void TOwnerDrawComboBox::AccessiblePress(int item) {
    if (item >= 0) Select(item);
}

// ---- TOwnerDrawListBox -----------------------------------------------------------------------

TOwnerDrawListBox::TOwnerDrawListBox(TComponent* owner) : TWinControl(owner) {
    list_ = new OwnerDrawListWidget(this);
    SetWidget(*this, list_);
    SetColor(clWindow);
}

int TOwnerDrawListBox::ItemIndex() const {
    return list_->currentRow();
}

void TOwnerDrawListBox::SetItemIndex(int index) {
    if (index < -1 || index >= ItemCount()) index = -1;
    list_->setCurrentRow(index);
}

void TOwnerDrawListBox::BeginUpdate() {
    list_->setUpdatesEnabled(false);
}

void TOwnerDrawListBox::EndUpdate() {
    list_->setUpdatesEnabled(true);
    list_->viewport()->update();
}

void TOwnerDrawListBox::ClearItems() {
    // The toolkit still tells of the old entries while it clears them.
    list_->clear();
    items_.clear();
    accessibility::Changed(this, accessibility::TChange::Items);
}

void TOwnerDrawListBox::AddItem(const std::string& text, const TBitmap* bitmap) {
    items_.push_back({text, bitmap});
    list_->addItem(QString::fromStdString(text));
}

void TOwnerDrawListBox::AddItems(const std::vector<std::string>& texts, const TBitmap* bitmap) {
    QStringList all;
    all.reserve(static_cast<qsizetype>(texts.size()));
    for (const std::string& t : texts) {
        items_.push_back({t, bitmap});
        all.push_back(QString::fromStdString(t));
    }
    list_->addItems(all);
}

void TOwnerDrawListBox::SetItemHeight(int height) {
    if (height == itemHeight_) return;
    itemHeight_ = height;
    list_->doItemsLayout();
    list_->viewport()->update();
}

QImage TOwnerDrawListBox::PaintItem(int index, QSize size, TOwnerDrawState state, qreal ratio) {
    return paintItem(canvas_, Font(), Color(), size, ratio, state,
                     [&](const TRect& r) { DrawItem(index, r, state); });
}

void TOwnerDrawListBox::DrawItem(int index, const TRect& rect, TOwnerDrawState) {
    canvas_.FillRect(rect);
    if (index >= 0 && index < ItemCount())
        canvas_.TextOut(rect.Left + 2, rect.Top, ItemText(index));
}

void TOwnerDrawListBox::KeyPress(char& key) {
    if (OnKeyPress) OnKeyPress(this, key);
}

void TOwnerDrawListBox::UserDblClick() {
    Dispatch([this] { DblClick(); });
}

void TOwnerDrawListBox::DescribeAccessible(TAccessibleInfo& info) const {
    TWinControl::DescribeAccessible(info);
    info.Role = TAccessibleRole::List;
    info.Pressable = false;
    describeItems(*this, info);
}

void TOwnerDrawListBox::AccessiblePress(int item) {
    if (item < 0) return;
    SetItemIndex(item);
    DblClick();
}

void TOwnerDrawListBox::UserKeyPress(char key) {
    Dispatch([&] { KeyPress(key); });
}
