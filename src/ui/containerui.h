#pragma once

// A control that owns child controls. The plain container gives every child
// its whole area (minus inset and the child's padding); the vertical,
// horizontal, tab and list layouts derive from it.

#include <memory>
#include <vector>

#include "ui/controlui.h"

namespace varlok::ui {

class CContainerUI : public CControlUI {
public:
    CContainerUI();
    ~CContainerUI() override;
    [[nodiscard]] std::string_view GetClass() const override;

    [[nodiscard]] int GetCount() const { return static_cast<int>(m_items.size()); }
    // Null for an index out of range.
    [[nodiscard]] CControlUI* GetItemAt(int index) const;
    // -1 when the control is not a direct child.
    [[nodiscard]] int GetItemIndex(const CControlUI* control) const;
    // Takes ownership; returns the child (null when control is null).
    virtual CControlUI* Add(std::unique_ptr<CControlUI> control);
    // Inserts before index (appends when index is out of range).
    virtual CControlUI* AddAt(std::unique_ptr<CControlUI> control, int index);
    // Takes the child out of the window at once (FindControl no longer finds
    // it, nothing of it shows) and destroys it; false when it is not a child /
    // index out of range. Removed from inside a notification or an input
    // event, the child and everything it holds stay alive until that has
    // returned and are destroyed on the next turn of the event loop, so the
    // sender of a notification stays valid for every receiver.
    virtual bool Remove(CControlUI* control);
    virtual bool RemoveAt(int index);
    virtual void RemoveAll();
    // Hands a child back to the caller instead of destroying it (no longer in
    // the window, hidden, no longer an item of a list). The caller then owns
    // it outright: to get rid of it from inside a notification, use Remove.
    std::unique_ptr<CControlUI> Detach(int index);
    // Window point that children's widget geometry is relative to (the
    // container's own top-left; a combo box's items live in its drop-down).
    [[nodiscard]] virtual UiPoint GetChildWidgetOrigin() const;

    // Inner margin (96-dpi units) and the gap between children.
    [[nodiscard]] UiRect GetInset() const { return m_inset; }
    void SetInset(const UiRect& inset);
    [[nodiscard]] int GetChildPadding() const { return m_childPadding; }
    void SetChildPadding(int padding);
    // Vertical scrolling (lists): content taller than the control scrolls by
    // the mouse wheel and a thin scroll bar appears at the right edge.
    [[nodiscard]] bool IsVScrollEnabled() const { return m_vscroll; }
    void EnableVScroll(bool enable = true);
    [[nodiscard]] int GetScrollPos() const { return m_scrollPos; }
    void SetScrollPos(int pixels);
    // Scrolls so that the child at index lies fully inside.
    void EnsureVisible(int index);

    void SetAttribute(std::string_view name, std::string_view value) override;
    void SetPos(const UiRect& rc) override;
    void SetVisible(bool visible = true) override;
    void SetInternVisible(bool visible = true) override;
    void SetEnabled(bool enabled = true) override;
    void SetManager(CPaintManagerUI* manager, CContainerUI* parent, bool init = true) override;
    [[nodiscard]] CControlUI* FindControlByName(std::string_view name) override;
    [[nodiscard]] CControlUI* FindControlAt(UiPoint pt) override;
    void DoEvent(TEventUI& event) override;
    void DoPaint(PaintContext& context, const UiRect& paint) override;

protected:
    [[nodiscard]] bool NotifiesHover() const override { return false; }
    // The area children are laid out in: the position minus the inset.
    [[nodiscard]] UiRect ContentRect() const;
    // Lays children out in rc; returns the height the content needs.
    virtual int LayoutChildren(const UiRect& rc);
    // Places floating children relative to this control.
    void PlaceFloatChildren();
    [[nodiscard]] const std::vector<std::unique_ptr<CControlUI>>& Items() const { return m_items; }
    // The visible children that take part in the layout (not floating).
    [[nodiscard]] std::vector<CControlUI*> LayoutItems() const;
    // Called after a child was added or removed (lists renumber their items).
    virtual void OnItemsChanged() {}
    // Cross-axis placement of children with a fixed size: 0 start, 1 centre,
    // 2 end ("childalign" / "childvalign").
    [[nodiscard]] int GetChildAlign() const { return m_childAlign; }
    // Width kept free at the right edge for the scroll bar (pixels).
    [[nodiscard]] int ScrollBarWidth() const;

private:
    // Cuts a child's ties to this container and the window.
    static void LeaveContainer(CControlUI& control);

    std::vector<std::unique_ptr<CControlUI>> m_items;
    UiRect m_inset;
    int m_childPadding = 0;
    int m_childAlign = 0;  // 0 left/top, 1 centre, 2 right/bottom
    bool m_vscroll = false;
    int m_scrollPos = 0;
    int m_contentHeight = 0;
};

}  // namespace varlok::ui
