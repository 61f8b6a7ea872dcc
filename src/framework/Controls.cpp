#include "framework/Controls.h"

#include <QEvent>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>
#include <cstdio>

#include "framework/Accessibility.h"
#include "framework/Controls_p.h"
#include "framework/ScreenUpdates_p.h"

// ---- Dispatch -----------------------------------------------------------------------------------

namespace {

std::function<void(const std::exception&)>& exceptionHandler() {
    static std::function<void(const std::exception&)> h;
    return h;
}

}  // namespace

void SetExceptionHandler(std::function<void(const std::exception&)> handler) {
    exceptionHandler() = std::move(handler);
}

void Dispatch(const std::function<void()>& handler) {
    auto report = [](const std::exception& e) {
        if (exceptionHandler()) {
            try {
                exceptionHandler()(e);
            } catch (...) {
                std::fprintf(stderr, "error while reporting an error: %s\n", e.what());
            }
        } else {
            std::fprintf(stderr, "%s\n", e.what());
        }
    };
    try {
        handler();
    } catch (const std::exception& e) {
        report(e);
    } catch (...) {
        report(std::runtime_error("Unknown error"));
    }
}

TShiftState ShiftStateOf(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons) {
    TShiftState s = 0;
    if (mods & Qt::ShiftModifier) s |= ssShift;
    if (mods & Qt::AltModifier) s |= ssAlt;
    if (mods & Qt::ControlModifier) s |= ssCtrl;
    if (buttons & Qt::LeftButton) s |= ssLeft;
    if (buttons & Qt::RightButton) s |= ssRight;
    if (buttons & Qt::MiddleButton) s |= ssMiddle;
    return s;
}

TMouseButton MouseButtonOf(Qt::MouseButton b) {
    if (b == Qt::RightButton) return TMouseButton::mbRight;
    if (b == Qt::MiddleButton) return TMouseButton::mbMiddle;
    return TMouseButton::mbLeft;
}

// ---- TControl -----------------------------------------------------------------------------------

namespace {

void syncGeometry(const TControl& c) {
    QWidget* w = WidgetOf(c);
    if (w && !w->isWindow()) w->setGeometry(c.Left(), c.Top(), c.Width(), c.Height());
}

}  // namespace

TControl::TControl(TComponent* owner)
    : TComponent(owner), private_(std::make_unique<TControlPrivate>()) {
    font_.OnChange = [this](TFont*) { FontChanged(); };
}

TControl::~TControl() {
    if (parent_) parent_->removeControl(this);
    if (QWidget* widget = private_->widget) {
        accessibility::Attach(widget, nullptr);
        widget->hide();
        // The toolkit may still hold events for the widget; let it go at its own pace.
        widget->setParent(nullptr);
        widget->deleteLater();
        private_->widget = nullptr;
    }
}

TControlPrivate& PrivateOf(const TControl& control) {
    return *control.private_;
}

void SetWidget(TControl& control, QWidget* widget) {
    PrivateOf(control).widget = widget;
    widget->setMouseTracking(true);
    accessibility::Attach(widget, &control);
    syncGeometry(control);
}

void SettleBoundsBelow(const TWinControl& container) {
    for (const TControl* c : container.Controls()) {
        c->SettleBounds();
        if (auto* w = dynamic_cast<const TWinControl*>(c)) SettleBoundsBelow(*w);
    }
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == parent_) return;
    if (parent_) parent_->removeControl(this);
    parent_ = parent;
    if (parent_) {
        parent_->insertControl(this);
        if (private_->widget) {
            private_->widget->setParent(ClientWidgetOf(*parent_));
            syncGeometry(*this);
            private_->widget->setVisible(visible_);
        }
    } else if (private_->widget) {
        private_->widget->setParent(nullptr);
    }
}

TForm* TControl::ParentForm() const {
    const TControl* c = this;
    while (c) {
        if (TForm* f = c->AsForm()) return f;
        c = c->parent_;
    }
    return nullptr;
}

void TControl::settleBounds() {
    boundsPending_ = false;
    MeasureBounds();
}

void TControl::SetBounds(int left, int top, int width, int height) {
    settled();
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    left_ = left;
    top_ = top;
    width_ = std::max(0, width);
    height_ = std::max(0, height);
    syncGeometry(*this);
}

void TControl::SetVisible(bool v) {
    if (v == visible_) return;
    visible_ = v;
    if (private_->widget && parent_) private_->widget->setVisible(v);
}

bool TControl::Showing() const {
    if (!visible_) return false;
    if (!parent_) return AsForm() != nullptr;
    return parent_->Showing();
}

void TControl::SetEnabled(bool e) {
    if (e == enabled_) return;
    enabled_ = e;
    Invalidate();
    accessibility::Changed(this, accessibility::TChange::State);
}

void TControl::SetHint(const std::string& h) {
    hint_ = h;
    if (QWidget* w = private_->widget)
        w->setToolTip(showHint_ ? QString::fromStdString(hint_) : QString());
}

void TControl::SetShowHint(bool s) {
    showHint_ = s;
    SetHint(hint_);
}

void TControl::SetColor(TColor c) {
    if (c == color_) return;
    color_ = c;
    Invalidate();
}

void TControl::Invalidate() {
    if (private_->widget) private_->widget->update();
}

void TControl::Repaint() {
    if (private_->widget) private_->widget->repaint();
}

void TControl::DescribeAccessible(TAccessibleInfo& info) const {
    info.Description = hint_;
    info.Shortcut = accessibleShortcut_;
    info.Pressable = static_cast<bool>(OnClick);
}

void TControl::AccessiblePress(int item) {
    if (item < 0) Click();
}

void TControl::Click() {
    if (OnClick) OnClick(this);
}

void TControl::DblClick() {
    if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == TMouseButton::mbLeft) mouseDown_ = true;
    if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    bool wasDown = mouseDown_ && button == TMouseButton::mbLeft;
    mouseDown_ = false;
    TControlGuard guard(this);
    if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
    if (!guard.Alive()) return;
    if (wasDown && enabled_ && ClientRect().Contains(x, y)) Click();
}

// ---- TGraphicControl ----------------------------------------------------------------------------

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner) {
    SetWidget(*this, new ControlWidget(this));
}

void TGraphicControl::SetBounds(int left, int top, int width, int height) {
    bool resized = width != Width() || height != Height();
    TControl::SetBounds(left, top, width, height);
    if (resized) Invalidate();
}

void TGraphicControl::paintSurface() {
    int w = std::max(1, Width()), h = std::max(1, Height());
    // Drawn at the screen's own pixels: as many per logical pixel as its ratio gives.
    QWidget* widget = WidgetOf(*this);
    const qreal ratio = widget ? widget->devicePixelRatioF() : 1.0;
    if (surface_.width() != DevicePixel(w, ratio) || surface_.height() != DevicePixel(h, ratio) ||
        surface_.devicePixelRatio() != ratio)
        surface_ = MakeImage(w, h, ratio, QImage::Format_ARGB32_Premultiplied);
    if (!(ControlStyle() & csOpaque)) surface_.fill(Qt::transparent);
    canvas_ = TCanvas(&surface_);
    canvas_.SetFont(Font());
    canvas_.Brush().Color = Color();
    ++paintCount_;
    Paint();
    dirty_ = false;
    if (widget && !(ControlStyle() & csOpaque)) screen_updates::SetCovering(widget, &surface_);
}

bool TGraphicControl::ShowPicture(const QImage& picture) {
    if (picture.size() != surface_.size() || picture.format() != surface_.format() ||
        picture.devicePixelRatio() != surface_.devicePixelRatio())
        return false;
    surface_ = picture;  // the canvas keeps its target: a later drawing detaches a copy
    return true;
}

void TGraphicControl::Repaint() {
    paintSurface();
    if (QWidget* widget = WidgetOf(*this)) screen_updates::Request(widget);
}

void TGraphicControl::Invalidate() {
    dirty_ = true;
    QWidget* widget = WidgetOf(*this);
    if (widget && !(ControlStyle() & csOpaque)) screen_updates::SetCovering(widget, nullptr);
    if (widget) screen_updates::Request(widget);
}

// ---- TWinControl --------------------------------------------------------------------------------

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
    for (TControl* c : controls_) c->parent_ = nullptr;
    controls_.clear();
}

void TWinControl::insertControl(TControl* c) {
    controls_.push_back(c);
}

void TWinControl::removeControl(TControl* c) {
    std::erase(controls_, c);
}

void TWinControl::HandleNeeded() {
    if (handleAllocated_) return;
    handleAllocated_ = true;
    CreateWnd();
    CreateChildHandles();
}

void TWinControl::CreateChildHandles() {
    // Copy: a window creation may add controls.
    std::vector<TControl*> children = controls_;
    for (TControl* c : children)
        if (auto* w = dynamic_cast<TWinControl*>(c)) w->HandleNeeded();
}

void TWinControl::SetFocus() {
    if (private_->widget) private_->widget->setFocus(Qt::OtherFocusReason);
}

bool TWinControl::Focused() const {
    return private_->widget && private_->widget->hasFocus();
}

// ---- ControlWidget ------------------------------------------------------------------------------

ControlWidget::ControlWidget(TControl* control, QWidget* parent)
    : QWidget(parent), control_(control), alive_(control) {
    setMouseTracking(true);
}

void ControlWidget::paintEvent(QPaintEvent*) {
    if (!alive_.Alive()) return;
    auto* g = dynamic_cast<TGraphicControl*>(control_);
    if (!g) return;
    Dispatch([&] {
        // A window moved to a screen of another density paints anew at its ratio.
        if (g->dirty_ || g->surface_.devicePixelRatio() != devicePixelRatioF()) g->paintSurface();
    });
    QPainter p(this);
    p.drawImage(0, 0, g->surface_);
}

void ControlWidget::mousePressEvent(QMouseEvent* e) {
    if (!alive_.Alive()) return;
    if (e->button() == Qt::RightButton) {
        e->ignore();  // the form opens its context menu
        return;
    }
    QPoint pos = e->position().toPoint();
    Dispatch([&] {
        control_->MouseDown(MouseButtonOf(e->button()), ShiftStateOf(e->modifiers(), e->buttons()),
                            pos.x(), pos.y());
    });
}

void ControlWidget::mouseReleaseEvent(QMouseEvent* e) {
    if (!alive_.Alive()) return;
    if (e->button() == Qt::RightButton) {
        e->ignore();
        return;
    }
    QPoint pos = e->position().toPoint();
    Dispatch([&] {
        control_->MouseUp(MouseButtonOf(e->button()), ShiftStateOf(e->modifiers(), e->buttons()),
                          pos.x(), pos.y());
    });
}

void ControlWidget::mouseDoubleClickEvent(QMouseEvent* e) {
    if (!alive_.Alive() || e->button() != Qt::LeftButton) return;
    QPoint pos = e->position().toPoint();
    Dispatch([&] {
        control_->MouseDown(TMouseButton::mbLeft,
                            ShiftStateOf(e->modifiers(), e->buttons()) | ssDouble, pos.x(),
                            pos.y());
        if (alive_.Alive()) control_->DblClick();
    });
}

void ControlWidget::mouseMoveEvent(QMouseEvent* e) {
    if (!alive_.Alive()) return;
    QPoint pos = e->position().toPoint();
    Dispatch(
        [&] { control_->MouseMove(ShiftStateOf(e->modifiers(), e->buttons()), pos.x(), pos.y()); });
}

bool ControlWidget::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip && alive_.Alive()) {
        // A control with hints off shows none, and none from beneath it either.
        if (!control_->ShowHint() || control_->Hint().empty()) {
            QToolTip::hideText();
            e->accept();
            return true;
        }
    }
    return QWidget::event(e);
}
