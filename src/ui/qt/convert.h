#pragma once

// Conversions between the boundary's plain types and Qt's.

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <string>
#include <string_view>

#include "ui/paintmanagerui.h"
#include "ui/uitypes.h"

namespace varlok::ui::qt {

inline QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string ToStdString(const QString& text) {
    return text.toStdString();
}

inline QColor ToQColor(Argb colour) {
    return QColor::fromRgba(colour);
}

inline QRect ToQRect(const UiRect& rc) {
    return QRect(rc.left, rc.top, rc.Width(), rc.Height());
}

inline UiRect ToUiRect(const QRect& rc) {
    return UiRect{rc.left(), rc.top(), rc.left() + rc.width(), rc.top() + rc.height()};
}

// The font of index in manager (the default font for -1), at the manager's
// interface scale. Without a manager: the application font.
QFont MakeFont(const CPaintManagerUI* manager, int index);

}  // namespace varlok::ui::qt
