#include "app/mousepages.h"

#include <algorithm>
#include <array>

#include "keys/page/cursorpage.h"
#include "keys/page/keypage.h"
#include "keys/page/macropage.h"
#include "lighting/page/lightingpage.h"
#include "lighting/page/mousepreviewstream.h"
#include "profiles/page/profilelistspage.h"
#include "settings/page/performancepage.h"

namespace varlok::app {

namespace {

// The pages of the mouse, in the order they are built: their views follow
// the model's changes in this order.
using PageFactory = std::unique_ptr<ui::Page> (*)(const settings::PageContext&);
template <typename PageType>
std::unique_ptr<ui::Page> MakePage(const settings::PageContext& context) {
    return std::make_unique<PageType>(context);
}
constexpr std::array<PageFactory, 7> kPages = {
    &MakePage<settings::PerformancePage>,
    &MakePage<lighting::LightingPage>,
    &MakePage<profiles::ProfileListsPage>,
    &MakePage<keys::KeyPage>,
    &MakePage<keys::CursorPage>,
    &MakePage<keys::MacroPage>,
    &MakePage<lighting::MousePreviewStream>,
};
// The order their routes go into the table, in which the handlers of one
// event run: the profile lists fill first, the lighting previews follow the
// lighting section.
constexpr std::array<std::size_t, kPages.size()> kRouteOrder = {2, 0, 1, 6, 3, 4, 5};

}  // namespace

MousePages::MousePages(const settings::PageContext& context) {
    for (const PageFactory make : kPages) {
        m_pages.push_back(make(context));
    }
}

MousePages::~MousePages() {
    Clear();
}

void MousePages::RegisterRoutes(ui::RouteTable& routes) const {
    for (const std::size_t index : kRouteOrder) {
        m_pages[index]->RegisterRoutes(routes);
    }
}

bool MousePages::HasUnsavedEdits() const {
    return std::ranges::any_of(m_pages, [](const auto& page) { return page->HasUnsavedEdits(); });
}

void MousePages::Clear() {
    while (!m_pages.empty()) {
        m_pages.pop_back();
    }
}

}  // namespace varlok::app
