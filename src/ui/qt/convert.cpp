#include "ui/qt/convert.h"

#include <QApplication>

namespace varlok::ui::qt {

QFont MakeFont(const CPaintManagerUI* manager, int index) {
    if (manager == nullptr) {
        return QApplication::font();
    }
    const FontInfo info = manager->GetFont(index);
    QFont font = QApplication::font();
    if (!info.family.empty()) {
        font.setFamily(ToQString(info.family));
    }
    font.setPixelSize(std::max(1, manager->ScaleValue(info.size)));
    font.setBold(info.bold);
    font.setItalic(info.italic);
    font.setUnderline(info.underline);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

}  // namespace varlok::ui::qt
