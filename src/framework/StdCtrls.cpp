#include "framework/StdCtrls.h"

#include <QAbstractTextDocumentLayout>
#include <QEvent>
#include <QFocusEvent>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <algorithm>
#include <functional>
#include <limits>
#include <vector>

#include "framework/Accessibility.h"
#include "framework/Controls_p.h"
#include "framework/StdCtrls_p.h"
#include "framework/SysUtils.h"
#include "framework/TextLayout.h"
#include "framework/Utf8.h"

// ---- TLabel -------------------------------------------------------------------------------------

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner) {
    SetBounds(0, 0, 65, 17);
}

unsigned TLabel::textFlags() const {
    unsigned f = DT_EXPANDTABS;
    if (wordWrap_) f |= DT_WORDBREAK;
    if (!showAccelChar_) f |= DT_NOPREFIX;
    if (alignment_ == TTextAlign::taCenter)
        f |= DT_CENTER;
    else if (alignment_ == TTextAlign::taRightJustify)
        f |= DT_RIGHT;
    return f;
}

void TLabel::adjustBounds() {
    if (!autoSize_ || IsLoading()) return;
    DeferBounds();
}

void TLabel::MeasureBounds() {
    TCanvas probe;
    probe.SetFont(Font());
    TRect r{0, 0, wordWrap_ ? Width() : 0, 0};
    probe.DrawText(caption_.empty() ? " " : caption_, r, textFlags() | DT_CALCRECT);
    int w = caption_.empty() && !wordWrap_ ? 0 : (wordWrap_ ? Width() : r.Width());
    SetBounds(Left(), Top(), w, r.Height());
}

void TLabel::SetCaption(const std::string& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    adjustBounds();
    Invalidate();
    accessibility::Changed(this, accessibility::TChange::Name);
}

void TLabel::SetAutoSize(bool a) {
    if (a == autoSize_) return;
    SettleBounds();  // a size asked for while it was on still applies
    autoSize_ = a;
    adjustBounds();
    Invalidate();  // the paint settles the size
}

void TLabel::SetTransparent(bool t) {
    if (t == transparent_) return;
    transparent_ = t;
    Invalidate();
}

void TLabel::SetAlignment(TTextAlign a) {
    if (a == alignment_) return;
    alignment_ = a;
    Invalidate();
}

void TLabel::SetWordWrap(bool w) {
    if (w == wordWrap_) return;
    wordWrap_ = w;
    adjustBounds();
    Invalidate();
}

void TLabel::SetShowAccelChar(bool s) {
    if (s == showAccelChar_) return;
    showAccelChar_ = s;
    adjustBounds();
    Invalidate();
}

void TLabel::FontChanged() {
    adjustBounds();
    Invalidate();
}

void TLabel::Loaded() {
    TGraphicControl::Loaded();
    adjustBounds();
    Invalidate();
}

void TLabel::DescribeAccessible(TAccessibleInfo& info) const {
    TGraphicControl::DescribeAccessible(info);
    if (caption_.empty() && info.Pressable) {
        info.Role = TAccessibleRole::PushButton;
        return;
    }
    info.Role = TAccessibleRole::StaticText;
    info.Name = accessibility::SpokenCaption(caption_, showAccelChar_);
    info.Text = info.Name;
}

void TLabel::Paint() {
    TCanvas& c = Canvas();
    TRect r = ClientRect();
    if (!transparent_) {
        c.Brush() = {Color(), TBrushStyle::bsSolid};
        c.FillRect(r);
    }
    c.Brush().Style = TBrushStyle::bsClear;
    c.SetFont(Font());
    if (!Enabled()) {
        TRect lower = r.Offset(1, 1);
        c.Font().SetColor(clBtnHighlight);
        c.DrawText(caption_, lower, textFlags());
        c.Font().SetColor(clBtnShadow);
    }
    c.DrawText(caption_, r, textFlags());
}

// ---- toolkit widgets ----------------------------------------------------------------------------

namespace {

// Applies a framework font and colours to a toolkit widget.
void ApplyFont(QWidget* w, const TFont& font) {
    w->setFont(font.ToQFont());
}

void ApplyColors(QWidget* w, TColor background, TColor text) {
    QPalette pal = w->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::Base, ToQColor(background));
        pal.setColor(group, QPalette::Window, ToQColor(background));
        pal.setColor(group, QPalette::Text, ToQColor(text));
        pal.setColor(group, QPalette::WindowText, ToQColor(text));
    }
    w->setPalette(pal);
}

// Forwards a toolkit widget's clicks to its control.
class ClickForwarder : public QObject {
  public:
    ClickForwarder(TControl* control, QObject* parent)
        : QObject(parent), control_(control), alive_(control) {}

  protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::MouseButtonPress) {
            auto* m = static_cast<QMouseEvent*>(e);
            if (m->button() == Qt::LeftButton) pressed_ = true;
        } else if (e->type() == QEvent::MouseButtonRelease) {
            auto* m = static_cast<QMouseEvent*>(e);
            if (m->button() == Qt::LeftButton && pressed_ && alive_.Alive()) {
                pressed_ = false;
                Dispatch([this] { control_->Click(); });
            }
        }
        return false;
    }

  private:
    TControl* control_;
    TControlGuard alive_;
    bool pressed_ = false;
};

// Calls back when the widget it watches gets another width.
class WidthWatcher : public QObject {
  public:
    WidthWatcher(std::function<void()> changed, QObject* parent)
        : QObject(parent), changed_(std::move(changed)) {}

  protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Resize) {
            auto* r = static_cast<QResizeEvent*>(e);
            if (r->size().width() != r->oldSize().width()) changed_();
        }
        return false;
    }

  private:
    std::function<void()> changed_;
};

}  // namespace

// An edit selects all its text when the focus arrives by any way but the mouse (Tab, an
// accelerator, its window opening), so the first key typed replaces the text; a click
// places the caret.
class EditWidget : public QLineEdit {
  protected:
    void focusInEvent(QFocusEvent* e) override {
        QLineEdit::focusInEvent(e);
        if (e->reason() != Qt::MouseFocusReason) selectAll();
    }
};

// The memo's box, a class of the framework's own so that the header names none of the
// toolkit's.
class MemoWidget : public QPlainTextEdit {};

QLineEdit* LineEditOf(const TEdit& edit) {
    return static_cast<QLineEdit*>(WidgetOf(edit));
}

QPlainTextEdit* EditorOf(const TMemo& memo) {
    return static_cast<QPlainTextEdit*>(WidgetOf(memo));
}

TEdit::TEdit(TComponent* owner) : TWinControl(owner) {
    edit_ = new EditWidget();
    edit_->setFrame(true);
    SetWidget(*this, edit_);
    SetColor(clWindow);
    ApplyColors(edit_, clWindow, clWindowText);
    // The window's font from the start, not the toolkit's default.
    ApplyFont(edit_, Font());
    QObject::connect(edit_, &QLineEdit::textChanged, [this] {
        if (OnChange) Dispatch([this] { OnChange(this); });
    });
    SetBounds(0, 0, 121, 21);
}

std::string TEdit::Text() const {
    return edit_->text().toStdString();
}

void TEdit::SetText(const std::string& text) {
    if (Text() == text) return;
    // Text set while all of it is selected (its window has just opened) stays selected.
    bool allSelected =
        edit_->hasFocus() && edit_->hasSelectedText() && edit_->selectedText() == edit_->text();
    edit_->setText(QString::fromStdString(text));
    if (allSelected) edit_->selectAll();
}

void TEdit::DescribeAccessible(TAccessibleInfo& info) const {
    TWinControl::DescribeAccessible(info);
    info.Role = TAccessibleRole::EditableText;
}

void TEdit::FontChanged() {
    ApplyFont(edit_, Font());
    ApplyColors(edit_, Color(), Font().Color());
}

TMemo::TMemo(TComponent* owner) : TWinControl(owner) {
    editor_ = new MemoWidget();
    editor_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    editor_->setTabChangesFocus(true);
    SetWidget(*this, editor_);
    editor_->viewport()->installEventFilter(new ClickForwarder(this, editor_));
    // The breaks in long runs follow the width the box wraps at.
    editor_->viewport()->installEventFilter(new WidthWatcher(
        [this] {
            if (hasRunBreaks_ && wrapWidth() != breaksWidth_) rebreak();
        },
        editor_));
    SetColor(clWindow);
    FontChanged();
    SetScrollBars(TScrollStyle::ssNone);
    SetBounds(0, 0, 185, 89);
}

namespace {

void checkCapacity(size_t length, size_t capacity) {
    if (length > capacity) throw EOutOfResources("Text exceeds memo capacity");
}

// The toolkit looks for a break opportunity across the whole rest of a run without one,
// for every line it wraps off that run: quadratic in the run's length. So a long run gets
// a zero-width break opportunity where each of its lines ends at the box's width, found
// by adding up its characters' advances once; the box's text is read without them.
constexpr char16_t kBreak = 0x200B;
constexpr qsizetype kLongRun = 256;

// Advances of one font, each character measured once.
class AdvanceCache {
  public:
    explicit AdvanceCache(const QFont& font) : metrics_(font) {}
    double operator()(char32_t c) {
        if (c >= basic_.size()) return metrics_.horizontalAdvance(QString::fromUcs4(&c, 1));
        double& a = basic_[c];
        if (a < 0) a = metrics_.horizontalAdvance(QChar(static_cast<char16_t>(c)));
        return a;
    }

  private:
    QFontMetricsF metrics_;
    std::vector<double> basic_ = std::vector<double>(0x10000, -1.0);
};

QString withBreaks(const QString& line, double width, AdvanceCache& advance) {
    QString out;
    qsizetype runStart = 0;
    auto flush = [&](qsizetype end) {
        QStringView run = QStringView(line).mid(runStart, end - runStart);
        if (run.size() <= kLongRun) {
            out += run;
            return;
        }
        qsizetype from = 0;
        for (qsizetype at : RunBreaks(run, width, std::ref(advance))) {
            out += run.mid(from, at - from);
            out += QChar(kBreak);
            from = at;
        }
        out += run.mid(from);
    };
    for (qsizetype i = 0; i < line.size(); ++i)
        if (line[i].isSpace()) {
            flush(i);
            out += line[i];
            runStart = i + 1;
        }
    flush(line.size());
    return out;
}

std::string withoutBreaks(QString text) {
    text.remove(QChar(kBreak));
    return text.toStdString();
}

}  // namespace

std::string TMemo::Text() const {
    std::string out;
    for (QTextBlock b = editor_->document()->begin(); b.isValid(); b = b.next()) {
        if (b != editor_->document()->begin()) out += "\r\n";
        out += withoutBreaks(b.text());
    }
    return out;
}

void TMemo::SetText(const std::string& text) {
    // A first check before splitting, so that a far too long text costs no copies: the
    // lines come to at least this length less a final line break.
    checkCapacity(Utf8Utf16Length(text), Capacity + 2);
    TStringList lines;
    lines.SetText(text);
    SetLines(lines);
}

void TMemo::SetLines(const TStringList& lines) {
    size_t length = 0;
    for (int i = 0; i < lines.Count(); ++i) length += Utf8Utf16Length(lines[i]) + (i ? 2 : 0);
    checkCapacity(length, Capacity);
    std::vector<QString> text;
    text.reserve(lines.Count());
    for (int i = 0; i < lines.Count(); ++i) text.push_back(QString::fromStdString(lines[i]));
    show(text);
    editor_->moveCursor(QTextCursor::Start);
}

double TMemo::wrapWidth() const {
    if (!wordWrap_) return std::numeric_limits<double>::infinity();
    // The document wraps at the viewport's width less its margins; a glyph reaching past
    // its advance must still fit.
    QFontMetricsF metrics(editor_->font());
    return editor_->viewport()->width() - 2 * editor_->document()->documentMargin() +
           std::min(0.0, metrics.minRightBearing());
}

void TMemo::show(const std::vector<QString>& lines) {
    AdvanceCache advance(editor_->font());
    breaksWidth_ = wrapWidth();
    hasRunBreaks_ = false;
    QString all;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i) all += '\n';
        qsizetype before = all.size() + lines[i].size();
        all += withBreaks(lines[i], breaksWidth_, advance);
        if (all.size() != before) hasRunBreaks_ = true;
    }
    editor_->setPlainText(all);
}

void TMemo::rebreak() {
    std::vector<QString> lines;
    for (QTextBlock b = editor_->document()->begin(); b.isValid(); b = b.next())
        lines.push_back(b.text().remove(QChar(kBreak)));
    int scrolled = editor_->verticalScrollBar()->value();
    show(lines);
    editor_->verticalScrollBar()->setValue(scrolled);
}

void TMemo::DescribeAccessible(TAccessibleInfo& info) const {
    TWinControl::DescribeAccessible(info);
    info.Role = TAccessibleRole::EditableText;
}

int TMemo::LineCount() const {
    if (editor_->document()->isEmpty()) return 0;
    return editor_->document()->blockCount();
}

std::string TMemo::Line(int i) const {
    return withoutBreaks(editor_->document()->findBlockByNumber(i).text());
}

void TMemo::Clear() {
    editor_->clear();
    hasRunBreaks_ = false;
}

void TMemo::SetReadOnly(bool r) {
    readOnly_ = r;
    editor_->setReadOnly(r);
    // A read-only edit box still moves its caret and scrolls with the keyboard.
    if (r)
        editor_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void TMemo::SetScrollBars(TScrollStyle s) {
    scrollBars_ = s;
    bool h = s == TScrollStyle::ssHorizontal || s == TScrollStyle::ssBoth;
    bool v = s == TScrollStyle::ssVertical || s == TScrollStyle::ssBoth;
    editor_->setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    editor_->setVerticalScrollBarPolicy(v ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

void TMemo::SetWordWrap(bool w) {
    wordWrap_ = w;
    editor_->setLineWrapMode(w ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    if (hasRunBreaks_) rebreak();
}

void TMemo::SetWantTabs(bool w) {
    wantTabs_ = w;
    editor_->setTabChangesFocus(!w);
}

void TMemo::SetColor(TColor c) {
    TWinControl::SetColor(c);
    ApplyColors(editor_, c, Font().Color());
}

void TMemo::FontChanged() {
    ApplyFont(editor_, Font());
    ApplyColors(editor_, Color(), Font().Color());
    // Tab stops every eight average character widths, as an edit box sets them.
    editor_->setTabStopDistance(8 * QFontMetricsF(editor_->font()).averageCharWidth());
}
