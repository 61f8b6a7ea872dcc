// Line breaking measured with one unit per character (per code point for runs).
#include <gtest/gtest.h>

#include <QList>
#include <QString>

#include "framework/TextLayout.h"

namespace {

using Spans = std::vector<TTextSpan>;

TEST(TextLayout, WrapAtSpacesBreaksBeforeTheWordThatOverflows) {
    struct Case {
        const char16_t* text;
        double width;
        Spans lines;
    } cases[] = {
        {u"", 5, {{0, 0}}},
        {u"aa bb cc", 5, {{0, 5}, {6, 2}}},
        {u"aa bb cc", 100, {{0, 8}}},
        {u"aaaaaaa b", 3, {{0, 7}, {8, 1}}},  // too wide a word stays whole
        {u" ab", 10, {{1, 2}}},               // an empty line drops the space
        {u"ab  cd", 2, {{0, 2}, {4, 2}}},
    };
    for (const Case& c : cases) {
        QStringView text(c.text);
        auto measure = [](qsizetype start, qsizetype end) { return double(end - start); };
        EXPECT_EQ(WrapAtSpaces(text, c.width, measure), c.lines) << text.toString().toStdString();
    }
}

TEST(TextLayout, RunBreaksFillEachLineAndMeasureEachCharacterOnce) {
    struct Case {
        const char16_t* text;
        double width;
        std::vector<qsizetype> breaks;
    } cases[] = {
        {u"", 3, {}},
        {u"abcdefg", 3, {3, 6}},
        {u"abc", 3, {}},
        {u"abc", 0.5, {1, 2}},         // at least one character a line
        {u"a\U0001F600b", 2, {1, 3}},  // the pair (advance 2) stays whole
        {u"\U0001F600\U0001F600", 1, {2}},
    };
    for (const Case& c : cases) {
        QStringView text(c.text);
        int asked = 0;
        auto advance = [&](char32_t ch) {
            ++asked;
            return ch > 0xFFFF ? 2.0 : 1.0;
        };
        EXPECT_EQ(RunBreaks(text, c.width, advance), c.breaks) << text.toString().toStdString();
        EXPECT_EQ(asked, text.toString().toUcs4().size());
    }
}

}  // namespace
