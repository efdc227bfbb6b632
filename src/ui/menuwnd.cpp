#include "ui/menuwnd.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <utility>

#include <QFile>

#include "ui/qt/menuwndimpl.h"
#include "ui/resourcemanager.h"
#include "ui/windowmessages.h"

namespace varlok::ui {

namespace {

constexpr std::size_t kKeptChoices = 64;

constexpr const char* kMenuStyle =
    "QMenu { background-color: #26282c; color: #e8e8e8; border: 1px solid #3a3d42;"
    " padding: 4px 0px; }"
    "QMenu::item { padding: 6px 28px 6px 24px; }"
    "QMenu::item:selected { background-color: #0199cb; color: #ffffff; }"
    "QMenu::item:disabled { color: #7a7d82; }"
    "QMenu::separator { height: 1px; background: #3a3d42; margin: 4px 8px; }";

// Choices waiting for their owner, by ticket. The owner redeems them on the
// UI thread; the lock only keeps the store sound whatever thread asks.
struct ChoiceStore {
    std::mutex mutex;
    WParam nextTicket = 1;
    std::map<WParam, MenuChoice> choices;
};

ChoiceStore& Choices() {
    static ChoiceStore store;
    return store;
}

WParam StoreChoice(MenuChoice choice) {
    ChoiceStore& store = Choices();
    const std::lock_guard lock(store.mutex);
    const WParam ticket = store.nextTicket++;
    store.choices.emplace(ticket, std::move(choice));
    while (store.choices.size() > kKeptChoices) {
        store.choices.erase(store.choices.begin());
    }
    return ticket;
}

// Menus that are open now, for DestroyMenu. UI thread only.
std::vector<CMenuWnd::Impl*>& OpenMenus() {
    static std::vector<CMenuWnd::Impl*> menus;
    return menus;
}

std::string ShownText(const qt::MenuItemSpec& spec) {
    return spec.resourceText ? CResourceManager::GetInstance().GetText(spec.info.text)
                             : spec.info.text;
}

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

std::optional<MenuChoice> TakeMenuChoice(WParam ticket) {
    ChoiceStore& store = Choices();
    const std::lock_guard lock(store.mutex);
    const auto found = store.choices.find(ticket);
    if (found == store.choices.end()) {
        return std::nullopt;
    }
    MenuChoice choice = std::move(found->second);
    store.choices.erase(found);
    return choice;
}

void CMenuWnd::Impl::Build() {
    menu.reset(new QMenu);
    menu->setStyleSheet(kMenuStyle);
    QObject::connect(menu.get(), &QMenu::aboutToHide, menu.get(), [this] { MarkClosed(); });
    // The menu open at each depth while walking the flat list.
    std::vector<QMenu*> parents = {menu.get()};
    for (std::size_t i = 0; i < items.size(); ++i) {
        Item& item = items[i];
        const MenuItemInfo& info = item.spec.info;
        parents.resize(std::min(parents.size(), static_cast<std::size_t>(info.depth) + 1));
        QMenu* parent = parents.back();
        if (info.separator) {
            item.action = parent->addSeparator();
            continue;
        }
        if (info.hasSubMenu) {
            QMenu* sub = parent->addMenu(ToQString(ShownText(item.spec)));
            sub->setStyleSheet(kMenuStyle);
            item.action = sub->menuAction();
            item.action->setEnabled(info.enabled);
            parents.push_back(sub);
            continue;
        }
        item.action = parent->addAction(ToQString(ShownText(item.spec)));
        item.action->setEnabled(info.enabled);
        if (info.checkable) {
            item.action->setCheckable(true);
            bool checked = info.checked;
            if (checks) {
                if (const auto found = checks->find(info.name); found != checks->end()) {
                    checked = found->second;
                }
            }
            item.action->setChecked(checked);
        }
        QObject::connect(item.action, &QAction::triggered, menu.get(),
                         [this, i](bool checked) { Choose(i, checked); });
    }
}

void CMenuWnd::Impl::Choose(std::size_t index, bool checked) {
    const MenuItemInfo& info = items[index].spec.info;
    if (info.checkable && checks) {
        (*checks)[info.name] = checked;
    }
    const WParam ticket = StoreChoice({info.name, info.userData, info.text});
    if (!owner.Post(kMenuCommandMessage, ticket, 0)) {
        static_cast<void>(TakeMenuChoice(ticket));
    }
}

void CMenuWnd::Impl::MarkClosed() {
    open = false;
    std::erase(OpenMenus(), this);
}

CMenuWnd::CMenuWnd() : m_impl(std::make_unique<Impl>()) {}

CMenuWnd::~CMenuWnd() {
    Close();
}

bool CMenuWnd::Init(WindowHandle owner, std::string_view layoutFile, UiPoint point,
                    std::shared_ptr<MenuCheckMap> checks) {
    Close();
    m_impl->items.clear();
    QFile file(ToQString(CResourceManager::GetInstance().ResolvePath(layoutFile)));
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    auto specs = qt::ParseMenuLayout(file.readAll());
    if (!specs) {
        return false;
    }
    for (qt::MenuItemSpec& spec : *specs) {
        m_impl->items.push_back({std::move(spec), nullptr});
    }
    m_impl->owner = owner;
    m_impl->checks = std::move(checks);
    m_impl->point = QPoint(point.x, point.y);
    m_impl->Build();
    m_impl->open = true;
    OpenMenus().push_back(m_impl.get());
    m_impl->menu->popup(m_impl->point);
    return true;
}

void CMenuWnd::AddElement(std::string_view name, std::string_view text, std::string_view userData) {
    if (!m_impl->menu) {
        return;
    }
    qt::MenuItemSpec spec;
    spec.info.name = name;
    spec.info.text = text;
    spec.info.userData = userData;
    const std::size_t index = m_impl->items.size();
    QAction* action = m_impl->menu->addAction(ToQString(text));
    Impl* impl = m_impl.get();
    QObject::connect(action, &QAction::triggered, m_impl->menu.get(),
                     [impl, index](bool checked) { impl->Choose(index, checked); });
    m_impl->items.push_back({std::move(spec), action});
}

void CMenuWnd::ResizeMenu() {
    if (m_impl->menu && m_impl->open) {
        m_impl->menu->adjustSize();
        m_impl->menu->popup(m_impl->point);
    }
}

void CMenuWnd::Close() {
    if (m_impl->menu) {
        m_impl->MarkClosed();
        m_impl->menu.reset();
    }
}

bool CMenuWnd::IsOpen() const {
    return m_impl->open;
}

std::vector<MenuItemInfo> CMenuWnd::Items() const {
    std::vector<MenuItemInfo> items;
    for (const Impl::Item& item : m_impl->items) {
        MenuItemInfo info = item.spec.info;
        info.shownText = ShownText(item.spec);
        if (item.action && info.checkable) {
            info.checked = item.action->isChecked();
        }
        items.push_back(std::move(info));
    }
    return items;
}

bool CMenuWnd::ChooseItem(std::string_view name) {
    for (const Impl::Item& item : m_impl->items) {
        const MenuItemInfo& info = item.spec.info;
        if (info.name == name && !info.separator && !info.hasSubMenu && item.action &&
            item.action->isEnabled()) {
            item.action->trigger();
            Close();
            return true;
        }
    }
    return false;
}

void CMenuWnd::DestroyMenu() {
    const std::vector<Impl*> open = OpenMenus();
    for (Impl* impl : open) {
        if (impl->menu) {
            impl->menu->hide();
        }
        impl->MarkClosed();
    }
}

}  // namespace varlok::ui
