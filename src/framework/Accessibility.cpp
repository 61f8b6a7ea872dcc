#include "framework/Accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QListWidget>
#include <QPointer>
#include <QTimer>
#include <algorithm>

#include "framework/Controls_p.h"
#include "framework/Forms.h"
#include "platform/Platform.h"

namespace accessibility {

namespace {

// The control behind a toolkit widget (SetWidget records it, the control's end
// clears it).
constexpr const char* kControlProperty = "tarnwickControl";

TControl* controlOf(const QObject* object) {
    return object ? static_cast<TControl*>(object->property(kControlProperty).value<void*>())
                  : nullptr;
}

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

QAccessible::Role toolkitRole(TAccessibleRole r) {
    switch (r) {
        case TAccessibleRole::Window:
            return QAccessible::Window;
        case TAccessibleRole::Dialog:
            return QAccessible::Dialog;
        case TAccessibleRole::Alert:
            return QAccessible::AlertMessage;
        case TAccessibleRole::PushButton:
            return QAccessible::PushButton;
        case TAccessibleRole::StaticText:
            return QAccessible::StaticText;
        case TAccessibleRole::Graphic:
            return QAccessible::Graphic;
        case TAccessibleRole::ProgressBar:
            return QAccessible::ProgressBar;
        case TAccessibleRole::ComboBox:
            return QAccessible::ComboBox;
        case TAccessibleRole::List:
            return QAccessible::List;
        case TAccessibleRole::EditableText:
            return QAccessible::EditableText;
        case TAccessibleRole::Client:
            break;
    }
    return QAccessible::Client;
}

bool hasItems(TAccessibleRole r) {
    return r == TAccessibleRole::List || r == TAccessibleRole::ComboBox;
}

// Controls that take a value or text from the user, which the label before them names.
bool namedByLabel(TAccessibleRole r) {
    return hasItems(r) || r == TAccessibleRole::EditableText || r == TAccessibleRole::ProgressBar;
}

// How far a label may stand from the control it names.
constexpr int kLabelGap = 12;

// The gap from a label to a control it stands above or left of; -1 when it does not.
int gapBefore(const TRect& label, const TRect& control) {
    bool overlapsColumns = label.Left < control.Right && control.Left < label.Right;
    bool overlapsRows = label.Top < control.Bottom && control.Top < label.Bottom;
    if (overlapsColumns && label.Bottom <= control.Top) return control.Top - label.Bottom;
    if (overlapsRows && label.Right <= control.Left) return control.Left - label.Right;
    return -1;
}

const TControl* labelBefore(const TControl* c) {
    if (!c->Parent()) return nullptr;
    const TControl* best = nullptr;
    int bestGap = kLabelGap + 1;
    for (const TControl* s : c->Parent()->Controls()) {
        if (s == c) continue;
        TAccessibleInfo own;
        s->DescribeAccessible(own);
        if (own.Role != TAccessibleRole::StaticText || own.Name.empty()) continue;
        int gap = gapBefore(s->BoundsRect(), c->BoundsRect());
        if (gap >= 0 && gap < bestGap) {
            best = s;
            bestGap = gap;
        }
    }
    return best;
}

bool contains(const TRect& outer, const TRect& inner) {
    return outer.Left <= inner.Left && outer.Top <= inner.Top && outer.Right >= inner.Right &&
           outer.Bottom >= inner.Bottom;
}

// A control laid over another (a hot-spot on a picture) takes the hint of the one beneath.
std::string hintBeneath(const TControl* c) {
    if (!c->Parent()) return {};
    for (const TControl* s : c->Parent()->Controls()) {
        if (s == c) break;  // the controls after it lie above it
        if (!s->Hint().empty() && contains(s->BoundsRect(), c->BoundsRect())) return s->Hint();
    }
    return {};
}

// ---- the toolkit's interfaces

class ControlAccessible;

// An entry of a list or drop-down list.
class ItemAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
  public:
    ItemAccessible(ControlAccessible* list, TControl* control, int index)
        : list_(list), control_(control), alive_(control), index_(index) {}

    bool isValid() const override {
        return alive_.Alive() && index_ < static_cast<int>(Describe(control_).Items.size());
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int) const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name || !isValid()) return {};
        return q(Describe(control_).Items[static_cast<size_t>(index_)]);
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!alive_.Alive() || !WidgetOf(*control_)) return {};
        QWidget* w = WidgetOf(*control_);
        if (auto* view = qobject_cast<QListWidget*>(w)) {
            QRect r = view->visualItemRect(view->item(index_));
            return QRect(view->viewport()->mapToGlobal(r.topLeft()), r.size());
        }
        return QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.selectable = true;
        s.focusable = true;
        bool current = Describe(control_).ItemIndex == index_;
        s.selected = current;
        s.focused = current && WidgetOf(*control_) && WidgetOf(*control_)->hasFocus();
        s.invisible = !control_->Showing();
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                 : nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override;
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

  private:
    ControlAccessible* list_;
    TControl* control_;
    TControlGuard alive_;
    int index_;
};

// Runs a press once the toolkit's accessibility call has returned: a press may open a
// modal window, whose loop must not run inside the call.
void pressLater(TControl* c, int item) {
    TControlGuard alive(c);
    QTimer::singleShot(0, WidgetOf(*c), [c, alive, item] {
        if (!alive.Alive()) return;
        TForm* form = c->ParentForm();
        // A window under a modal one takes no input, and neither does a disabled control.
        if (!c->Enabled() || !c->Showing() || (form && !form->WindowEnabled())) return;
        Dispatch([&] { c->AccessiblePress(item); });
    });
}

// A form or a control of the framework, as it describes itself.
class ControlAccessible : public QAccessibleWidget,
                          public QAccessibleValueInterface,
                          public QAccessibleTextInterface {
  public:
    ControlAccessible(QWidget* w, TControl* c) : QAccessibleWidget(w), control_(c), alive_(c) {}
    ~ControlAccessible() override { resetItems(); }

    TAccessibleInfo info() const { return alive_.Alive() ? Describe(control_) : TAccessibleInfo{}; }
    bool isValid() const override { return QAccessibleWidget::isValid() && alive_.Alive(); }
    // A size still to be measured (a label's new text) is settled for the reader.
    QRect rect() const override {
        if (alive_.Alive()) control_->SettleBounds();
        return QAccessibleWidget::rect();
    }

    QAccessible::Role role() const override { return toolkitRole(info().Role); }
    QString text(QAccessible::Text t) const override {
        TAccessibleInfo i = info();
        switch (t) {
            case QAccessible::Name:
                return q(i.Name);
            case QAccessible::Description:
                return q(i.Description);
            case QAccessible::Accelerator:
                return q(i.Shortcut);
            case QAccessible::Value:
                if (i.ItemIndex >= 0 && i.ItemIndex < static_cast<int>(i.Items.size()))
                    return q(i.Items[static_cast<size_t>(i.ItemIndex)]);
                return q(i.Text);
            default:
                return {};
        }
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        if (!alive_.Alive()) return s;
        TForm* form = control_->ParentForm();
        s.disabled = !control_->Enabled() || (form && !form->WindowEnabled());
        s.invisible = !control_->Showing();
        if (control_->AsForm()) {
            s.modal = control_->AsForm()->Modal();
            s.active = control_->AsForm()->Active();
        }
        if (info().Role == TAccessibleRole::StaticText) s.readOnly = true;
        return s;
    }

    // Entries of a list are its children.
    int childCount() const override {
        TAccessibleInfo i = info();
        return hasItems(i.Role) ? static_cast<int>(i.Items.size())
                                : QAccessibleWidget::childCount();
    }
    QAccessibleInterface* child(int index) const override {
        TAccessibleInfo i = info();
        if (!hasItems(i.Role)) return QAccessibleWidget::child(index);
        if (index < 0 || index >= static_cast<int>(i.Items.size())) return nullptr;
        if (items_.size() <= static_cast<size_t>(index)) items_.resize(i.Items.size(), 0);
        QAccessible::Id& id = items_[static_cast<size_t>(index)];
        if (!id)
            id = QAccessible::registerAccessibleInterface(
                new ItemAccessible(const_cast<ControlAccessible*>(this), control_, index));
        return QAccessible::accessibleInterface(id);
    }
    int indexOfChild(const QAccessibleInterface* c) const override {
        if (!hasItems(info().Role)) return QAccessibleWidget::indexOfChild(c);
        for (size_t k = 0; k < items_.size(); ++k)
            if (items_[k] && QAccessible::accessibleInterface(items_[k]) == c)
                return static_cast<int>(k);
        return -1;
    }
    QAccessibleInterface* focusChild() const override {
        TAccessibleInfo i = info();
        if (hasItems(i.Role) && i.ItemIndex >= 0 && widget()->hasFocus()) return child(i.ItemIndex);
        return QAccessibleWidget::focusChild();
    }
    // The entries changed: their interfaces go, new ones come when asked for.
    void resetItems() {
        for (QAccessible::Id id : items_)
            if (id) QAccessible::deleteAccessibleInterface(id);
        items_.clear();
    }

    void* interface_cast(QAccessible::InterfaceType t) override {
        TAccessibleInfo i = info();
        if (t == QAccessible::ValueInterface && i.HasValue)
            return static_cast<QAccessibleValueInterface*>(this);
        if (t == QAccessible::TextInterface && !i.Text.empty())
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    // Press.
    QStringList actionNames() const override {
        QStringList names = QAccessibleWidget::actionNames();
        if (info().Pressable) names.prepend(pressAction());
        return names;
    }
    void doAction(const QString& name) override {
        if (name == pressAction() && info().Pressable)
            pressLater(control_, -1);
        else
            QAccessibleWidget::doAction(name);
    }
    QStringList keyBindingsForAction(const QString& name) const override {
        TAccessibleInfo i = info();
        if (name == pressAction() && !i.Shortcut.empty()) return {q(i.Shortcut)};
        return QAccessibleWidget::keyBindingsForAction(name);
    }

    // Value: a gauge's progress through its range.
    QVariant currentValue() const override { return info().Value; }
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override { return info().Maximum; }
    QVariant minimumValue() const override { return info().Minimum; }
    QVariant minimumStepSize() const override { return 1; }

    // Text, read only.
    QString text(int start, int end) const override { return textOf().mid(start, end - start); }
    int characterCount() const override { return static_cast<int>(textOf().size()); }
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* start, int* end) const override {
        *start = 0;
        *end = characterCount();
        return {};
    }

  private:
    QString textOf() const { return q(info().Text); }

    TControl* control_;
    TControlGuard alive_;
    mutable std::vector<QAccessible::Id> items_;
};

QWindow* ItemAccessible::window() const {
    return list_->window();
}
QAccessibleInterface* ItemAccessible::parent() const {
    return list_;
}
void ItemAccessible::doAction(const QString& name) {
    if (name == pressAction() && isValid()) pressLater(control_, index_);
}

// Edit boxes keep the toolkit's own interfaces (text, caret, editing); only their name
// and description come from the framework.
void nameToolkitWidget(QWidget* w, const TControl* c) {
    TAccessibleInfo i = Describe(c);
    if (w->accessibleName() != q(i.Name)) w->setAccessibleName(q(i.Name));
    if (w->accessibleDescription() != q(i.Description))
        w->setAccessibleDescription(q(i.Description));
}

QAccessibleInterface* factory(const QString&, QObject* object) {
    auto* w = qobject_cast<QWidget*>(object);
    TControl* c = controlOf(object);
    if (!w || !c) return nullptr;
    TAccessibleInfo i;
    c->DescribeAccessible(i);
    if (i.Role == TAccessibleRole::EditableText) {
        nameToolkitWidget(w, c);
        return nullptr;
    }
    return new ControlAccessible(w, c);
}

void notify(QWidget* w, QAccessible::Event e) {
    QAccessibleEvent event(w, e);
    QAccessible::updateAccessibility(&event);
}

void nameChanged(const TControl* c) {
    QWidget* w = WidgetOf(*c);
    if (!w) return;
    TAccessibleInfo own;
    c->DescribeAccessible(own);
    if (own.Role == TAccessibleRole::EditableText)
        nameToolkitWidget(w, c);  // the toolkit tells of the new name itself
    else
        notify(w, QAccessible::NameChanged);
}

}  // namespace

void Install() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    QAccessible::installFactory(factory);
}

void Attach(QWidget* widget, TControl* control) {
    widget->setProperty(kControlProperty, QVariant::fromValue(static_cast<void*>(control)));
}

TAccessibleInfo Describe(const TControl* c) {
    TAccessibleInfo info;
    c->DescribeAccessible(info);
    if (info.Name.empty() && namedByLabel(info.Role))
        if (const TControl* label = labelBefore(c)) {
            TAccessibleInfo own;
            label->DescribeAccessible(own);
            info.Name = own.Name;
        }
    if (info.Name.empty()) info.Name = c->Hint();
    if (info.Name.empty() && info.Role != TAccessibleRole::StaticText) info.Name = hintBeneath(c);
    TForm* form = c->Parent() ? c->Parent()->AsForm() : nullptr;
    if (info.Name.empty() && form && namedByLabel(info.Role) &&
        contains(c->BoundsRect(), form->ClientRect()))
        info.Name = form->Caption();
    if (info.Description == info.Name) info.Description.clear();
    return info;
}

void Changed(const TControl* c, TChange what) {
    QWidget* w = WidgetOf(*c);
    if (!w || !QAccessible::isActive()) return;
    switch (what) {
        case TChange::Name:
            nameChanged(c);
            // A label's text names the controls it stands before.
            if (c->Parent())
                for (const TControl* s : c->Parent()->Controls()) {
                    TAccessibleInfo own;
                    s->DescribeAccessible(own);
                    if (s != c && namedByLabel(own.Role) && own.Name.empty() && labelBefore(s) == c)
                        nameChanged(s);
                }
            break;
        case TChange::Value: {
            QAccessibleValueChangeEvent event(w, Describe(c).Value);
            QAccessible::updateAccessibility(&event);
            break;
        }
        case TChange::State: {
            QAccessible::State s;
            s.disabled = true;
            QAccessibleStateChangeEvent event(w, s);
            QAccessible::updateAccessibility(&event);
            break;
        }
        case TChange::Items:
            if (auto* i =
                    dynamic_cast<ControlAccessible*>(QAccessible::queryAccessibleInterface(w)))
                i->resetItems();
            notify(w, QAccessible::ObjectReorder);
            break;
    }
}

void Announce(const TControl* window) {
    QWidget* w = WidgetOf(*window);
    if (!w) return;
    // Once the window is on the screen.
    QTimer::singleShot(0, w, [w] {
        if (QAccessible::isActive()) notify(w, QAccessible::Alert);
    });
}

// Dots that lead from a label to its figure, not part of what it says.
constexpr size_t kLeader = 5;

std::string SpokenCaption(const std::string& caption, bool accelChars) {
    std::string out;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (accelChars && caption[i] == '&') {
            if (++i == caption.size()) break;  // "&x" reads "x", "&&" reads "&"
        }
        out += caption[i];
    }
    // A dot leader only leads the eye to what stands beside it.
    size_t end = out.find_last_not_of('.');
    if (end != std::string::npos && out.size() - end > kLeader) out.erase(end + 1);
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

std::string AltShortcut(const std::string& caption) {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        return std::string("Alt+") + platform::AsciiUpper(caption[i + 1]);
    }
    return {};
}

}  // namespace accessibility
