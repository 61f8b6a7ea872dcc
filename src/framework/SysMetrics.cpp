#include "framework/SysMetrics.h"

#include <QGuiApplication>
#include <QScreen>
#include <map>

#include "framework/SeamHooks_p.h"

std::function<bool()>& seams::hooks::NonClientMetricsHook() {
    static std::function<bool()> available;
    return available;
}
std::function<int()>& seams::hooks::ScreenDepthHook() {
    static std::function<int()> depth;
    return depth;
}

int GetSystemMetrics(int index) {
    static const std::map<int, int> table = {
        {SM_CXVSCROLL, 16}, {SM_CYHSCROLL, 16}, {SM_CYCAPTION, 19}, {SM_CXBORDER, 1},
        {SM_CYBORDER, 1},   {SM_CXDLGFRAME, 3}, {SM_CYDLGFRAME, 3}, {SM_CXICON, 32},
        {SM_CYICON, 32},    {SM_CXFRAME, 4},    {SM_CYFRAME, 4},    {SM_CXSIZE, 18},
        {SM_CYSIZE, 18},    {SM_CXSMICON, 16},  {SM_CYSMICON, 16},  {SM_CYSMCAPTION, 15},
        {SM_CXSMSIZE, 12},  {SM_CYSMSIZE, 14},
    };
    if (index == SM_CXSCREEN || index == SM_CYSCREEN) {
        QScreen* s = qGuiApp ? QGuiApplication::primaryScreen() : nullptr;
        if (!s) return index == SM_CXSCREEN ? 800 : 600;
        return index == SM_CXSCREEN ? s->geometry().width() : s->geometry().height();
    }
    auto it = table.find(index);
    return it == table.end() ? 0 : it->second;
}

TFont StockSystemFont() {
    TFont f;
    f.SetName("System");
    f.SetHeight(16);
    f.SetStyle(fsBold);
    f.SetColor(clWindowText);
    return f;
}

bool GetCaptionFont(TFont& font) {
    if (const auto& available = seams::hooks::NonClientMetricsHook(); available && !available())
        return false;
    font.SetName(kDefaultFontName);
    font.SetHeight(kDefaultFontHeight);
    font.SetStyle(fsBold);
    return true;
}

int ScreenColorDepth() {
    if (const auto& depth = seams::hooks::ScreenDepthHook()) return depth();
    QScreen* s = qGuiApp ? QGuiApplication::primaryScreen() : nullptr;
    return s ? s->depth() : 24;
}
