#pragma once

#include <memory>
#include <vector>

#include "settings/page/pagecontext.h"
#include "ui/routetable.h"

namespace varlok::app {

// The mouse's pages, built from one table with one context. They are built
// in a fixed order, in which their views follow the model's changes, and
// register their routes in an order of their own, in which the handlers of
// one event run. Adding a page means adding it to the table in
// mousepages.cpp. UI thread only.
class MousePages {
public:
    // Builds every page; the context's references must outlive the pages.
    explicit MousePages(const settings::PageContext& context);
    // Ends the pages last to first.
    ~MousePages();
    MousePages(const MousePages&) = delete;
    MousePages& operator=(const MousePages&) = delete;

    // Every page's routes, in the route order.
    void RegisterRoutes(ui::RouteTable& routes) const;
    // Whether any page holds edits the user has not saved or dropped.
    [[nodiscard]] bool HasUnsavedEdits() const;
    // Ends the pages last to first now (the window does it before it lets
    // go of what they use); later calls find none.
    void Clear();

private:
    std::vector<std::unique_ptr<ui::Page>> m_pages;
};

}  // namespace varlok::app
