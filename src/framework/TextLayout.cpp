#include "framework/TextLayout.h"

std::vector<TTextSpan> WrapAtSpaces(QStringView paragraph, double width,
                                    const TSpanWidth& measure) {
    std::vector<TTextSpan> lines;
    qsizetype lineStart = 0, lineEnd = 0;
    qsizetype wordStart = 0;
    const qsizetype n = paragraph.size();
    for (qsizetype i = 0; i <= n; ++i) {
        if (i < n && paragraph[i] != u' ') continue;
        const qsizetype wordEnd = i;
        if (lineEnd == lineStart) {
            lineStart = wordStart;
        } else if (measure(lineStart, wordEnd) > width) {
            lines.push_back({lineStart, lineEnd - lineStart});
            lineStart = wordStart;
        }
        lineEnd = wordEnd;
        wordStart = i + 1;
    }
    lines.push_back({lineStart, lineEnd - lineStart});
    return lines;
}

std::vector<qsizetype> RunBreaks(QStringView run, double width, const TCharAdvance& advance) {
    std::vector<qsizetype> breaks;
    double lineWidth = 0;
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < run.size();) {
        char32_t c = run[i].unicode();
        qsizetype units = 1;
        if (run[i].isHighSurrogate() && i + 1 < run.size() && run[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(run[i], run[i + 1]);
            units = 2;
        }
        const double a = advance(c);
        if (i > lineStart && lineWidth + a > width) {
            breaks.push_back(i);
            lineStart = i;
            lineWidth = 0;
        }
        lineWidth += a;
        i += units;
    }
    return breaks;
}
