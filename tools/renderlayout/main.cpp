// renderlayout --resources DIR --layout FILE --out PNG [--language FILE] [--dpi N]
//
// Builds a layout the way a window of the program does (res.xml names,
// styles, fonts, the program's own controls) without a display and writes
// what it shows to a PNG, round corners transparent. Exit codes: 0 written,
// 1 bad arguments, 2 the layout could not be built, 3 the PNG could not be
// written.

#include <QApplication>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ui/paintmanagerui.h"
#include "ui/qt/windowwidget.h"
#include "ui/resourcemanager.h"
#include "ui/windowimplbase.h"
#if __has_include("ui/customcontrols.h")
#include "ui/customcontrols.h"
#define VARLOK_HAVE_CUSTOM_CONTROLS 1
#endif

namespace {

class RenderWindow : public varlok::ui::WindowImplBase {
public:
    explicit RenderWindow(std::string layout) : m_layout(std::move(layout)) {}

protected:
    std::string GetWindowClassName() const override { return "RenderLayout"; }
    std::string GetSkinFile() override { return m_layout; }

private:
    std::string m_layout;
};

int Usage() {
    std::fprintf(stderr,
                 "usage: renderlayout --resources DIR --layout FILE --out PNG "
                 "[--language FILE] [--dpi N]\n");
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string resources;
    std::string layout;
    std::string out;
    std::string language;
    int dpi = 96;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) {
            return Usage();
        }
        const std::string value = argv[++i];
        if (arg == "--resources") {
            resources = value;
        } else if (arg == "--layout") {
            layout = value;
        } else if (arg == "--out") {
            out = value;
        } else if (arg == "--language") {
            language = value;
        } else if (arg == "--dpi") {
            dpi = std::atoi(value.c_str());
        } else {
            return Usage();
        }
    }
    if (resources.empty() || layout.empty() || out.empty()) {
        return Usage();
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    using varlok::ui::CResourceManager;
    CResourceManager& manager = CResourceManager::GetInstance();
    manager.SetResourcePath(resources);
    if (QFileInfo::exists(QString::fromStdString(manager.ResolvePath("res.xml")))) {
        manager.LoadResource("res.xml");
    }
    if (!language.empty() && !manager.LoadLanguage(language)) {
        std::fprintf(stderr, "renderlayout: cannot read language file %s\n", language.c_str());
    }
#ifdef VARLOK_HAVE_CUSTOM_CONTROLS
    varlok::ui::RegisterCustomControls();
#endif
    RenderWindow window(layout);
    if (!window.Create(nullptr, "renderlayout")) {
        std::fprintf(stderr, "renderlayout: cannot build layout %s\n", layout.c_str());
        return 2;
    }
    window.ShowWindow();
    if (dpi != 96 && !window.GetPaintManager().SetDPI(dpi)) {
        std::fprintf(stderr, "renderlayout: DPI %d out of range\n", dpi);
        return 1;
    }
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
    }
    window.GetPaintManager().UpdateLayout();
    QWidget* widget = window.GetWindowWidget();
    QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        const varlok::ui::UiSize corner = window.GetPaintManager().GetRoundCorner();
        if (corner.cx > 0 || corner.cy > 0) {
            QPainterPath shape;
            shape.addRoundedRect(QRectF(image.rect()),
                                 window.GetPaintManager().ScaleValue(corner.cx) / 2.0,
                                 window.GetPaintManager().ScaleValue(corner.cy) / 2.0);
            painter.setClipPath(shape);
        }
        widget->render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    }
    if (!image.save(QString::fromStdString(out), "PNG")) {
        std::fprintf(stderr, "renderlayout: cannot write %s\n", out.c_str());
        return 3;
    }
    return 0;
}
