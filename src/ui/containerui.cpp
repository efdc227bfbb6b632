#include "ui/containerui.h"

#include <algorithm>

#include "ui/listinfo.h"
#include "ui/paintmanagerui.h"
#include "ui/qt/attributes.h"
#include "ui/qt/controlwidget.h"
#include "ui/qt/convert.h"
#include "ui/qt/deferreddeletion.h"
#include "ui/qt/paintcontext.h"
#include "ui/renderengine.h"

namespace varlok::ui {

namespace {
constexpr int kScrollBarWidth = 6;
constexpr int kWheelStep = 48;
}  // namespace

CContainerUI::CContainerUI() = default;

CContainerUI::~CContainerUI() {
    // Children go first: their widgets are children of ours.
    m_items.clear();
}

std::string_view CContainerUI::GetClass() const {
    return "ContainerUI";
}

CControlUI* CContainerUI::GetItemAt(int index) const {
    if (index < 0 || index >= GetCount()) {
        return nullptr;
    }
    return m_items[static_cast<std::size_t>(index)].get();
}

int CContainerUI::GetItemIndex(const CControlUI* control) const {
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i].get() == control) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

CControlUI* CContainerUI::Add(std::unique_ptr<CControlUI> control) {
    return AddAt(std::move(control), GetCount());
}

CControlUI* CContainerUI::AddAt(std::unique_ptr<CControlUI> control, int index) {
    if (!control) {
        return nullptr;
    }
    CControlUI* raw = control.get();
    if (index < 0 || index > GetCount()) {
        index = GetCount();
    }
    m_items.insert(m_items.begin() + index, std::move(control));
    raw->Widget().setParent(&Widget());
    if (!IsVisible()) {
        raw->SetInternVisible(false);
    }
    raw->SetManager(GetManager(), this, GetManager() != nullptr);
    raw->Widget().setVisible(raw->IsVisible());
    OnItemsChanged();
    NeedUpdate();
    return raw;
}

bool CContainerUI::Remove(CControlUI* control) {
    const int index = GetItemIndex(control);
    return index >= 0 && RemoveAt(index);
}

bool CContainerUI::RemoveAt(int index) {
    std::unique_ptr<CControlUI> removed = Detach(index);
    if (!removed) {
        return false;
    }
    qt::DeferredDeletion::Dispose(std::move(removed));
    return true;
}

void CContainerUI::RemoveAll() {
    std::vector<std::unique_ptr<CControlUI>> items;
    items.swap(m_items);
    for (auto& item : items) {
        LeaveContainer(*item);
    }
    m_scrollPos = 0;
    OnItemsChanged();
    NeedUpdate();
    for (auto& item : items) {
        qt::DeferredDeletion::Dispose(std::move(item));
    }
}

std::unique_ptr<CControlUI> CContainerUI::Detach(int index) {
    if (index < 0 || index >= GetCount()) {
        return nullptr;
    }
    std::unique_ptr<CControlUI> control = std::move(m_items[static_cast<std::size_t>(index)]);
    m_items.erase(m_items.begin() + index);
    LeaveContainer(*control);
    OnItemsChanged();
    NeedUpdate();
    return control;
}

void CContainerUI::LeaveContainer(CControlUI& control) {
    control.SetManager(nullptr, nullptr, false);
    // A row that left its list must not select through it any more (it may
    // still finish handling the press that removed it).
    if (auto* item = dynamic_cast<IListItemUI*>(&control)) {
        item->SetOwner(nullptr);
        item->SetIndex(-1);
    }
    control.Widget().hide();
    control.Widget().setParent(nullptr);
}

std::vector<CControlUI*> CContainerUI::LayoutItems() const {
    std::vector<CControlUI*> children;
    for (const auto& item : m_items) {
        if (item->IsVisible() && !item->IsFloat()) {
            children.push_back(item.get());
        }
    }
    return children;
}

UiPoint CContainerUI::GetChildWidgetOrigin() const {
    return UiPoint{GetPos().left, GetPos().top};
}

void CContainerUI::SetInset(const UiRect& inset) {
    m_inset = inset;
    NeedUpdate();
}

void CContainerUI::SetChildPadding(int padding) {
    m_childPadding = padding;
    NeedUpdate();
}

void CContainerUI::EnableVScroll(bool enable) {
    m_vscroll = enable;
    m_scrollPos = 0;
    NeedUpdate();
}

void CContainerUI::SetScrollPos(int pixels) {
    const int visible = ContentRect().Height();
    const int limit = std::max(0, m_contentHeight - visible);
    const int pos = std::clamp(pixels, 0, limit);
    if (pos != m_scrollPos) {
        m_scrollPos = pos;
        SetPos(GetPos());
        Invalidate();
    }
}

void CContainerUI::EnsureVisible(int index) {
    const CControlUI* item = GetItemAt(index);
    if (item == nullptr || !m_vscroll) {
        return;
    }
    if (GetManager() != nullptr) {
        // Positions must be current (items may have been added just now).
        GetManager()->UpdateLayout();
    }
    const UiRect content = ContentRect();
    const UiRect& rc = item->GetPos();
    if (rc.top < content.top) {
        SetScrollPos(m_scrollPos - (content.top - rc.top));
    } else if (rc.bottom > content.bottom) {
        SetScrollPos(m_scrollPos + (rc.bottom - content.bottom));
    }
}

int CContainerUI::ScrollBarWidth() const {
    return m_vscroll && m_contentHeight > ContentRect().Height() ? Scale(kScrollBarWidth) : 0;
}

void CContainerUI::SetAttribute(std::string_view name, std::string_view value) {
    using attr::Equals;
    if (Equals(name, "inset")) {
        SetInset(attr::ParseRect(value));
    } else if (Equals(name, "childpadding")) {
        SetChildPadding(attr::ParseInt(value));
    } else if (Equals(name, "vscrollbar")) {
        EnableVScroll(attr::ParseBool(value));
    } else if (Equals(name, "childalign") || Equals(name, "childvalign")) {
        m_childAlign = (Equals(value, "center") || Equals(value, "vcenter"))
                           ? 1
                           : ((Equals(value, "right") || Equals(value, "bottom")) ? 2 : 0);
        NeedUpdate();
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

UiRect CContainerUI::ContentRect() const {
    const UiRect& rc = GetPos();
    return UiRect{rc.left + Scale(m_inset.left), rc.top + Scale(m_inset.top),
                  rc.right - Scale(m_inset.right), rc.bottom - Scale(m_inset.bottom)};
}

void CContainerUI::SetPos(const UiRect& rc) {
    CControlUI::SetPos(rc);
    UiRect content = ContentRect();
    const int barWidth = ScrollBarWidth();
    content.right -= barWidth;
    if (m_vscroll) {
        content.top -= m_scrollPos;
    }
    m_contentHeight = LayoutChildren(content);
    if (m_vscroll) {
        const int limit = std::max(0, m_contentHeight - ContentRect().Height());
        if (m_scrollPos > limit) {
            m_scrollPos = limit;
            CControlUI::SetPos(rc);
            content = ContentRect();
            content.right -= ScrollBarWidth();
            content.top -= m_scrollPos;
            LayoutChildren(content);
        } else if ((ScrollBarWidth() != 0) != (barWidth != 0)) {
            content = ContentRect();
            content.right -= ScrollBarWidth();
            content.top -= m_scrollPos;
            LayoutChildren(content);
        }
    }
    PlaceFloatChildren();
}

int CContainerUI::LayoutChildren(const UiRect& rc) {
    int bottom = rc.top;
    for (const auto& item : m_items) {
        if (!item->IsVisible() || item->IsFloat()) {
            continue;
        }
        const UiRect pad = item->GetPadding();
        UiRect child{rc.left + Scale(pad.left), rc.top + Scale(pad.top),
                     rc.right - Scale(pad.right), rc.bottom - Scale(pad.bottom)};
        const UiSize size = item->EstimateSize(UiSize{rc.Width(), rc.Height()});
        if (size.cx > 0) {
            child.right = child.left + Scale(size.cx);
        }
        if (size.cy > 0) {
            child.bottom = child.top + Scale(size.cy);
        }
        item->SetPos(child);
        bottom = std::max(bottom, child.bottom + Scale(pad.bottom));
    }
    return bottom - rc.top;
}

void CContainerUI::PlaceFloatChildren() {
    const UiRect& rc = GetPos();
    for (const auto& item : m_items) {
        if (!item->IsFloat()) {
            continue;
        }
        const UiRect pos = item->GetFloatPos();
        UiRect child{rc.left + Scale(pos.left), rc.top + Scale(pos.top), 0, 0};
        const int width = item->GetFixedWidth() > 0 ? item->GetFixedWidth() : pos.Width();
        const int height = item->GetFixedHeight() > 0 ? item->GetFixedHeight() : pos.Height();
        child.right = child.left + Scale(width);
        child.bottom = child.top + Scale(height);
        item->SetPos(child);
        item->Widget().raise();
    }
}

void CContainerUI::SetVisible(bool visible) {
    CControlUI::SetVisible(visible);
    // The items follow, as AddAt has them follow a hidden container: a
    // container a layout declares hidden shows its items once it is shown.
    for (const auto& item : m_items) {
        item->SetInternVisible(IsVisible());
    }
}

void CContainerUI::SetInternVisible(bool visible) {
    CControlUI::SetInternVisible(visible);
    // A container hidden in its own right keeps its items hidden.
    for (const auto& item : m_items) {
        item->SetInternVisible(IsVisible());
    }
}

void CContainerUI::SetEnabled(bool enabled) {
    CControlUI::SetEnabled(enabled);
    for (const auto& item : m_items) {
        item->Invalidate();
    }
}

void CContainerUI::SetManager(CPaintManagerUI* manager, CContainerUI* parent, bool init) {
    CControlUI::SetManager(manager, parent, false);
    for (const auto& item : m_items) {
        item->SetManager(manager, this, init);
    }
    CControlUI::SetManager(manager, parent, init);
}

CControlUI* CContainerUI::FindControlByName(std::string_view name) {
    if (GetName() == name) {
        return this;
    }
    for (const auto& item : m_items) {
        if (CControlUI* found = item->FindControlByName(name)) {
            return found;
        }
    }
    return nullptr;
}

CControlUI* CContainerUI::FindControlAt(UiPoint pt) {
    CControlUI* self = CControlUI::FindControlAt(pt);
    if (self == nullptr) {
        return nullptr;
    }
    for (auto it = m_items.rbegin(); it != m_items.rend(); ++it) {
        if (CControlUI* found = (*it)->FindControlAt(pt)) {
            return found;
        }
    }
    return self;
}

void CContainerUI::DoEvent(TEventUI& event) {
    if (event.type == EventType::ScrollWheel && m_vscroll &&
        m_contentHeight > ContentRect().Height()) {
        SetScrollPos(m_scrollPos - event.wheelDelta * Scale(kWheelStep) / 120);
        return;
    }
    CControlUI::DoEvent(event);
}

void CContainerUI::DoPaint(PaintContext& context, const UiRect& paint) {
    CControlUI::DoPaint(context, paint);
    const int barWidth = ScrollBarWidth();
    if (barWidth == 0) {
        return;
    }
    const UiRect content = ContentRect();
    const int visible = content.Height();
    const int thumbHeight = std::max(Scale(16), visible * visible / std::max(1, m_contentHeight));
    const int range = std::max(1, m_contentHeight - visible);
    const int top = content.top + (visible - thumbHeight) * m_scrollPos / range;
    const UiRect track{content.right - barWidth, content.top, content.right, content.bottom};
    CRenderEngine::DrawColor(context, track, 0x30FFFFFFu);
    const UiRect thumb{track.left, top, track.right, top + thumbHeight};
    CRenderEngine::DrawColor(context, thumb, 0xA0FFFFFFu);
}

}  // namespace varlok::ui
