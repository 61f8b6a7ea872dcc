#include "framework/Menus.h"

#include <QAction>
#include <QMenu>
#include <sstream>

#include "framework/SysUtils.h"
#include "platform/Platform.h"

TShortCut ShortCutOf(int key, TShiftState shift) {
    return static_cast<int>(((shift & (ssShift | ssAlt | ssCtrl)) << 16) |
                            static_cast<unsigned>(platform::AsciiUpper(key) & 0xFFFF));
}

TShortCut TextToShortCut(const std::string& text) {
    TShiftState shift = 0;
    std::string rest = text;
    for (;;) {
        auto plus = rest.find('+');
        if (plus == std::string::npos || plus + 1 >= rest.size()) break;
        std::string mod = AnsiLowerCaseFileName(rest.substr(0, plus));
        if (mod == "ctrl")
            shift |= ssCtrl;
        else if (mod == "alt")
            shift |= ssAlt;
        else if (mod == "shift")
            shift |= ssShift;
        else
            return 0;
        rest = rest.substr(plus + 1);
    }
    if (rest.size() != 1) return 0;
    return ShortCutOf(rest[0], shift);
}

void TMenuItem::Click() {
    if (enabled_ && OnClick) OnClick(this);
}

bool TPopupMenu::IsShortCut(TShortCut shortCut) {
    for (TMenuItem* item : items_)
        if (item->ShortCut() != 0 && item->ShortCut() == shortCut && item->Enabled()) {
            item->Click();
            return true;
        }
    return false;
}

namespace {

QString shortCutText(TShortCut s) {
    if (!s) return {};
    QString out;
    unsigned shift = static_cast<unsigned>(s) >> 16;
    if (shift & ssShift) out += "Shift+";
    if (shift & ssCtrl) out += "Ctrl+";
    if (shift & ssAlt) out += "Alt+";
    out += QChar(s & 0xFFFF);
    return out;
}

}  // namespace

void TPopupMenu::Popup(int x, int y) {
    auto* menu = new QMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (TMenuItem* item : items_) {
        QAction* a = menu->addAction(QString::fromStdString(item->Caption()));
        a->setShortcut(QKeySequence(shortCutText(item->ShortCut())));
        a->setShortcutVisibleInContextMenu(true);
        a->setEnabled(item->Enabled());
        QObject::connect(a, &QAction::triggered, [item] { Dispatch([item] { item->Click(); }); });
    }
    menu->popup(QPoint(x, y));
}
