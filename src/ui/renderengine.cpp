#include "ui/renderengine.h"

#include <QFontMetrics>
#include <QPainterPath>
#include <QTextDocument>
#include <algorithm>
#include <cmath>

#include "ui/paintmanagerui.h"
#include "ui/qt/convert.h"
#include "ui/qt/imagecache.h"
#include "ui/qt/paintcontext.h"

namespace varlok::ui {

namespace {

int ToQtAlignment(unsigned style) {
    int flags = 0;
    if (style & textstyle::kCenter) {
        flags |= Qt::AlignHCenter;
    } else if (style & textstyle::kRight) {
        flags |= Qt::AlignRight;
    } else {
        flags |= Qt::AlignLeft;
    }
    if (style & textstyle::kVCenter) {
        flags |= Qt::AlignVCenter;
    } else if (style & textstyle::kBottom) {
        flags |= Qt::AlignBottom;
    } else {
        flags |= Qt::AlignTop;
    }
    if ((style & textstyle::kWordBreak) && !(style & textstyle::kSingleLine)) {
        flags |= Qt::TextWordWrap;
    }
    return flags;
}

// Turns {b}..{/b} style markup into HTML for QTextDocument.
QString MarkupToHtml(std::string_view text, const QColor& linkColour) {
    QString html;
    const QString source = qt::ToQString(text);
    int i = 0;
    while (i < source.size()) {
        const QChar c = source.at(i);
        if (c == QLatin1Char('{')) {
            const int close = source.indexOf(QLatin1Char('}'), i);
            if (close > i) {
                const QString tag = source.mid(i + 1, close - i - 1).trimmed();
                QString replacement;
                if (tag == QLatin1String("b")) {
                    replacement = QStringLiteral("<b>");
                } else if (tag == QLatin1String("/b")) {
                    replacement = QStringLiteral("</b>");
                } else if (tag == QLatin1String("i")) {
                    replacement = QStringLiteral("<i>");
                } else if (tag == QLatin1String("/i")) {
                    replacement = QStringLiteral("</i>");
                } else if (tag == QLatin1String("u")) {
                    replacement = QStringLiteral("<u>");
                } else if (tag == QLatin1String("/u")) {
                    replacement = QStringLiteral("</u>");
                } else if (tag == QLatin1String("n")) {
                    replacement = QStringLiteral("<br/>");
                } else if (tag.startsWith(QLatin1String("c "))) {
                    const QColor colour(tag.mid(2).trimmed());
                    replacement =
                        QStringLiteral("<span style=\"color:%1\">")
                            .arg(colour.isValid() ? colour.name() : QStringLiteral("inherit"));
                } else if (tag == QLatin1String("/c")) {
                    replacement = QStringLiteral("</span>");
                } else if (tag == QLatin1String("a") || tag.startsWith(QLatin1String("a "))) {
                    replacement =
                        QStringLiteral("<span style=\"color:%1; text-decoration:underline\">")
                            .arg(linkColour.name());
                } else if (tag == QLatin1String("/a")) {
                    replacement = QStringLiteral("</span>");
                }
                if (!replacement.isEmpty()) {
                    html += replacement;
                    i = close + 1;
                    continue;
                }
            }
        }
        html += QString(c).toHtmlEscaped();
        ++i;
    }
    return html;
}

// Lays marked-up text out the way DrawHtmlText draws it, wrapped at rc's
// width.
void FillHtmlDocument(QTextDocument& document, CPaintManagerUI* manager, const UiRect& rc,
                      std::string_view text, Argb colour, int font, unsigned style) {
    document.setDefaultFont(qt::MakeFont(manager, font));
    document.setDocumentMargin(0);
    const QColor base = qt::ToQColor(colour);
    QString align = QStringLiteral("left");
    if (style & textstyle::kCenter) {
        align = QStringLiteral("center");
    } else if (style & textstyle::kRight) {
        align = QStringLiteral("right");
    }
    document.setHtml(QStringLiteral("<div style=\"color:%1\" align=\"%2\">%3</div>")
                         .arg(base.name(), align, MarkupToHtml(text, QColor(0x3D, 0xB8, 0xFF))));
    document.setTextWidth(rc.Width());
}

}  // namespace

bool CRenderEngine::DrawImageString(PaintContext& context, CPaintManagerUI* manager,
                                    const UiRect& rcItem, const UiRect& rcPaint,
                                    std::string_view image, Argb colour, int level, bool lit) {
    if (image.empty()) {
        return false;
    }
    QPainter& painter = context.Painter();
    painter.save();
    painter.setClipRect(qt::ToQRect(rcPaint), Qt::IntersectClip);
    const QColor tint = lit && level > 0 ? qt::ToQColor(colour | 0xFF000000u) : QColor();
    const bool drawn = qt::DrawImageDescription(painter, manager, qt::ToQRect(rcItem), image, tint,
                                                lit ? std::clamp(level, 0, 255) : 0);
    painter.restore();
    return drawn;
}

void CRenderEngine::DrawText(PaintContext& context, CPaintManagerUI* manager, const UiRect& rc,
                             std::string_view text, Argb colour, int font, unsigned style) {
    if (text.empty() || rc.Width() <= 0 || rc.Height() <= 0) {
        return;
    }
    QPainter& painter = context.Painter();
    painter.save();
    painter.setFont(qt::MakeFont(manager, font));
    painter.setPen(qt::ToQColor(colour));
    const QRect box = qt::ToQRect(rc);
    QString shown = qt::ToQString(text);
    if (style & textstyle::kEndEllipsis) {
        shown = painter.fontMetrics().elidedText(shown, Qt::ElideRight, box.width());
    }
    painter.drawText(box, ToQtAlignment(style), shown);
    painter.restore();
}

void CRenderEngine::DrawHtmlText(PaintContext& context, CPaintManagerUI* manager, const UiRect& rc,
                                 std::string_view text, Argb colour, int font, unsigned style) {
    if (text.empty() || rc.Width() <= 0 || rc.Height() <= 0) {
        return;
    }
    QTextDocument document;
    FillHtmlDocument(document, manager, rc, text, colour, font, style);
    const double height = document.size().height();
    double top = rc.top;
    if (style & textstyle::kVCenter) {
        top = rc.top + (rc.Height() - height) / 2.0;
    } else if (style & textstyle::kBottom) {
        top = rc.bottom - height;
    }
    QPainter& painter = context.Painter();
    painter.save();
    painter.setClipRect(qt::ToQRect(rc), Qt::IntersectClip);
    painter.translate(rc.left, top);
    document.drawContents(&painter);
    painter.restore();
}

UiSize CRenderEngine::TextExtent(CPaintManagerUI* manager, const TextPlacement& placement) {
    if (placement.text.empty()) {
        return {};
    }
    const UiRect& box = placement.box;
    if (placement.html) {
        QTextDocument document;
        FillHtmlDocument(document, manager, box, placement.text, 0xFF000000u, placement.font,
                         placement.style);
        return {static_cast<int>(std::ceil(document.idealWidth())),
                static_cast<int>(std::ceil(document.size().height()))};
    }
    const QFontMetrics metrics(qt::MakeFont(manager, placement.font));
    const QRect needed =
        metrics.boundingRect(QRect(0, 0, std::max(0, box.Width()), std::max(0, box.Height())),
                             ToQtAlignment(placement.style), qt::ToQString(placement.text));
    return {needed.width(), needed.height()};
}

bool CRenderEngine::TextFits(CPaintManagerUI* manager, const TextPlacement& placement) {
    const UiSize extent = TextExtent(manager, placement);
    return extent.cx <= placement.box.Width() && extent.cy <= placement.box.Height();
}

void CRenderEngine::DrawColor(PaintContext& context, const UiRect& rc, Argb colour) {
    if ((colour >> 24) == 0) {
        return;
    }
    context.Painter().fillRect(qt::ToQRect(rc), qt::ToQColor(colour));
}

void CRenderEngine::DrawRect(PaintContext& context, const UiRect& rc, int size, Argb colour) {
    if (size <= 0 || (colour >> 24) == 0) {
        return;
    }
    QPainter& painter = context.Painter();
    const QColor c = qt::ToQColor(colour);
    const QRect r = qt::ToQRect(rc);
    painter.fillRect(QRect(r.left(), r.top(), r.width(), size), c);
    painter.fillRect(QRect(r.left(), r.bottom() + 1 - size, r.width(), size), c);
    painter.fillRect(QRect(r.left(), r.top() + size, size, r.height() - 2 * size), c);
    painter.fillRect(QRect(r.right() + 1 - size, r.top() + size, size, r.height() - 2 * size), c);
}

void CRenderEngine::DrawRoundRect(PaintContext& context, const UiRect& rc, int size, UiSize round,
                                  Argb colour) {
    if (size <= 0 || (colour >> 24) == 0) {
        return;
    }
    QPainter& painter = context.Painter();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(qt::ToQColor(colour));
    pen.setWidthF(size);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const double half = size / 2.0;
    const QRectF r = QRectF(qt::ToQRect(rc)).adjusted(half, half, -half, -half);
    painter.drawRoundedRect(r, round.cx / 2.0, round.cy / 2.0);
    painter.restore();
}

void CRenderEngine::FillEllipse(PaintContext& context, const UiRect& rc, Argb colour) {
    QPainter& painter = context.Painter();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(qt::ToQColor(colour));
    painter.drawEllipse(qt::ToQRect(rc));
    painter.restore();
}

void CRenderEngine::FillPie(PaintContext& context, const UiRect& rc, double startDegrees,
                            double sweepDegrees, Argb colour) {
    QPainter& painter = context.Painter();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(qt::ToQColor(colour));
    // Qt's angles run counter-clockwise in 1/16 degree.
    painter.drawPie(qt::ToQRect(rc), static_cast<int>(-startDegrees * 16),
                    static_cast<int>(-sweepDegrees * 16));
    painter.restore();
}

}  // namespace varlok::ui
