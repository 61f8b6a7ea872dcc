#include "framework/StdCtrls.h"

#include <QAbstractTextDocumentLayout>
#include <QEvent>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBlock>

#include "framework/SysUtils.h"

// ---- TLabel
// --------------------------------------------------------------------------------------

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
}

void TLabel::SetAutoSize(bool a) {
    if (a == autoSize_) return;
    autoSize_ = a;
    adjustBounds();
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

// ---- toolkit widgets
// -----------------------------------------------------------------------------

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

namespace {

// Forwards a toolkit widget's clicks to its control.
class ClickForwarder : public QObject {
  public:
    ClickForwarder(TControl* control, QObject* parent) : QObject(parent), control_(control) {}

  protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::MouseButtonPress) {
            auto* m = static_cast<QMouseEvent*>(e);
            if (m->button() == Qt::LeftButton) pressed_ = true;
        } else if (e->type() == QEvent::MouseButtonRelease) {
            auto* m = static_cast<QMouseEvent*>(e);
            if (m->button() == Qt::LeftButton && pressed_) {
                pressed_ = false;
                Dispatch([this] { control_->Click(); });
            }
        }
        return false;
    }

  private:
    TControl* control_;
    bool pressed_ = false;
};

}  // namespace

TEdit::TEdit(TComponent* owner) : TWinControl(owner) {
    edit_ = new QLineEdit();
    edit_->setFrame(true);
    SetWidget(edit_);
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
    edit_->setText(QString::fromStdString(text));
}

void TEdit::FontChanged() {
    ApplyFont(edit_, Font());
    ApplyColors(edit_, Color(), Font().Color());
}

TMemo::TMemo(TComponent* owner) : TWinControl(owner) {
    editor_ = new QPlainTextEdit();
    editor_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    editor_->setTabChangesFocus(true);
    SetWidget(editor_);
    editor_->viewport()->installEventFilter(new ClickForwarder(this, editor_));
    SetColor(clWindow);
    FontChanged();
    SetScrollBars(TScrollStyle::ssNone);
    SetBounds(0, 0, 185, 89);
}

namespace {

// Characters of UTF-8 text as the memo counts them (UTF-16 units).
size_t memoLength(const std::string& utf8) {
    size_t n = 0;
    for (unsigned char c : utf8) {
        if ((c & 0xC0) != 0x80) ++n;  // not a continuation byte
        if (c >= 0xF0) ++n;           // outside the basic plane: a surrogate pair
    }
    return n;
}

void checkCapacity(size_t length, size_t capacity) {
    if (length > capacity) throw EOutOfResources("Text exceeds memo capacity");
}

// The toolkit looks for a break opportunity across the whole rest of a run without one,
// for every line it wraps off that run: quadratic in the run's length. A run longer than
// any line of the box breaks anywhere in any case, so it gets a zero-width break
// opportunity after each of its characters; the box's text is read without them.
constexpr char16_t kBreak = 0x200B;
constexpr qsizetype kLongRun = 256;

QString withBreaks(const QString& line) {
    QString out;
    qsizetype runStart = 0;
    auto flush = [&](qsizetype end) {
        if (end - runStart <= kLongRun) {
            out += QStringView(line).mid(runStart, end - runStart);
            return;
        }
        out.reserve(out.size() + 2 * (end - runStart));
        for (qsizetype i = runStart; i < end; ++i) {
            out += line[i];
            // Never between the halves of a surrogate pair.
            if (!line[i].isHighSurrogate()) out += QChar(kBreak);
        }
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
    checkCapacity(memoLength(text), Capacity + 2);
    TStringList lines;
    lines.SetText(text);
    SetLines(lines);
}

void TMemo::SetLines(const TStringList& lines) {
    size_t length = 0;
    for (int i = 0; i < lines.Count(); ++i) length += memoLength(lines[i]) + (i ? 2 : 0);
    checkCapacity(length, Capacity);
    QString all;
    for (int i = 0; i < lines.Count(); ++i) {
        if (i) all += '\n';
        all += withBreaks(QString::fromStdString(lines[i]));
    }
    editor_->setPlainText(all);
    editor_->moveCursor(QTextCursor::Start);
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
