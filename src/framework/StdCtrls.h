// Standard controls: label, edit box and memo. Their toolkit widgets stay inside the
// framework (StdCtrls_p.h).
#pragma once

#include <QString>
#include <vector>

#include "framework/Controls.h"
#include "framework/StringList.h"

enum class TTextAlign { taLeftJustify, taRightJustify, taCenter };

// A windowless line (or block) of text; sizes itself to its text unless AutoSize is off.
class TLabel : public TGraphicControl {
  public:
    explicit TLabel(TComponent* owner);

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool a);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool t);
    TTextAlign Alignment() const { return alignment_; }
    void SetAlignment(TTextAlign a);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool w);
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool s);
    // A label with text is static text; one without text that reacts to clicks is a
    // hot-spot, a push button.
    void DescribeAccessible(TAccessibleInfo& info) const override;

  protected:
    void Paint() override;
    void FontChanged() override;
    // Sizes the label to the text its stored description gave it (at its first paint).
    void Loaded() override;
    void MeasureBounds() override;

  private:
    unsigned textFlags() const;
    // Asks for a measure of the text when the label sizes itself; the caller invalidates.
    void adjustBounds();

    std::string caption_;
    bool autoSize_ = true;
    bool transparent_ = false;
    TTextAlign alignment_ = TTextAlign::taLeftJustify;
    bool wordWrap_ = false;
    bool showAccelChar_ = true;
};

// The toolkit boxes behind the edit and the memo (StdCtrls.cpp).
class EditWidget;
class MemoWidget;

class TEdit : public TWinControl {
  public:
    explicit TEdit(TComponent* owner);
    std::string Text() const;
    void SetText(const std::string& text);
    void DescribeAccessible(TAccessibleInfo& info) const override;
    TNotifyEvent OnChange;

  protected:
    void FontChanged() override;

  private:
    EditWidget* edit_;
};

enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

class TMemo : public TWinControl {
  public:
    explicit TMemo(TComponent* owner);

    // The most characters a memo holds, line breaks counted as CR LF. Far above any text a
    // user reads in one box, yet it keeps a runaway text from taking all memory; setting a
    // longer text raises EOutOfResources and leaves the memo as it was.
    static constexpr size_t Capacity = 8 * 1024 * 1024;

    // The text with CR LF between lines.
    std::string Text() const;
    // Each CR LF, lone CR or lone LF ends a line.
    void SetText(const std::string& text);
    // Sets the lines directly (each string one line).
    void SetLines(const TStringList& lines);
    int LineCount() const;
    std::string Line(int i) const;
    void Clear();

    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool r);
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle s);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool w);
    bool WantTabs() const { return wantTabs_; }
    void SetWantTabs(bool w);
    void SetColor(TColor c) override;
    void DescribeAccessible(TAccessibleInfo& info) const override;

  protected:
    void FontChanged() override;

  private:
    // The width lines wrap at (infinite without word wrap).
    double wrapWidth() const;
    // Puts the lines into the box, with breaks in their long runs for the current width.
    void show(const std::vector<QString>& lines);
    // The same text with breaks for another width, at the same scroll position.
    void rebreak();

    MemoWidget* editor_;
    double breaksWidth_ = 0;
    bool hasRunBreaks_ = false;
    bool readOnly_ = false;
    bool wordWrap_ = true;
    bool wantTabs_ = false;
    TScrollStyle scrollBars_ = TScrollStyle::ssNone;
};
