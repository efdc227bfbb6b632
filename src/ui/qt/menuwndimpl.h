#pragma once

// The Qt side of CMenuWnd: the QMenu tree and the items it was built from.

#include <memory>
#include <vector>

#include <QMenu>
#include <QPoint>
#include <QPointer>

#include "ui/menuwnd.h"
#include "ui/qt/menulayout.h"

namespace varlok::ui {

struct CMenuWnd::Impl {
    // A menu may be closed from a slot of its own action: deletion waits
    // for the event loop.
    struct DeleteLater {
        void operator()(QMenu* popup) const {
            popup->hide();
            popup->disconnect();
            popup->deleteLater();
        }
    };

    struct Item {
        qt::MenuItemSpec spec;
        QPointer<QAction> action;
    };

    WindowHandle owner;
    std::shared_ptr<MenuCheckMap> checks;
    std::unique_ptr<QMenu, DeleteLater> menu;
    std::vector<Item> items;
    QPoint point;
    bool open = false;

    void Build();
    void Choose(std::size_t index, bool checked);
    void MarkClosed();
};

}  // namespace varlok::ui
