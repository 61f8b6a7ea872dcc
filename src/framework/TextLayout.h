// Line breaking as pure functions of the text, a width and a way of measuring: the canvas
// wraps its text with them, the memo finds where a run without spaces breaks.
#pragma once

#include <QStringView>
#include <functional>
#include <vector>

// A piece of a text: its first character and its length (in UTF-16 units).
struct TTextSpan {
    qsizetype Start = 0, Length = 0;
    bool operator==(const TTextSpan&) const = default;
};

// The width of text[start, end).
using TSpanWidth = std::function<double(qsizetype start, qsizetype end)>;

// The lines a paragraph wraps into at `width`, as the platform's DrawText wraps: greedily at
// spaces, each line ending before the space whose next word would overflow it; a word wider
// than the width stays whole on a line of its own. An empty line drops the space before the
// next word. An empty paragraph is one empty line.
std::vector<TTextSpan> WrapAtSpaces(QStringView paragraph, double width, const TSpanWidth& measure);

// The advance of one character.
using TCharAdvance = std::function<double(char32_t)>;

// Where a run without break opportunities breaks at `width`: the index at which each line
// after the first begins. Every line holds as many characters as fit (at least one) and
// never ends between the halves of a surrogate pair. Each advance is asked for once, so a
// run costs time linear in its length.
std::vector<qsizetype> RunBreaks(QStringView run, double width, const TCharAdvance& advance);
