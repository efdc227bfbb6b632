#pragma once

// The base of every control: name, text, colours, images, state, geometry,
// attributes and the painting and event hooks that derived controls override.
//
// Thread affinity: every operation of every control runs on the UI thread,
// except those documented as safe from any thread (MarkForRepaint, the colour
// overlay's colour and alpha, CDeviceKeyButtonUI::SetLight).
// Ownership: a control is owned by its parent container (or, for the root, by
// its CPaintManagerUI); code that creates a control hands it over as a
// std::unique_ptr. A control pointer obtained from FindControl stays valid
// until the control is removed from its container or its window is destroyed;
// when that happens inside a notification or an input event, the control
// (and its Qt widget) stays alive until the delivery has returned and goes on
// the next turn of the event loop (see CContainerUI::Remove).

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "ui/notify.h"
#include "ui/uievent.h"
#include "ui/uitypes.h"

namespace varlok::ui {

class CContainerUI;
class CPaintManagerUI;

// The painting surface handed to the paint hooks. Its definition (a QPainter
// and the area being repainted) lives in ui/qt/paintcontext.h; boundary code
// passes it on to CRenderEngine or to the base class hooks.
class PaintContext;

namespace qt {
class ControlWidget;
}

class CControlUI {
public:
    CControlUI();
    virtual ~CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    // Class name of the control kind ("ControlUI", "ButtonUI", ...). Derived
    // controls return their own; the caption hit test compares it.
    [[nodiscard]] virtual std::string_view GetClass() const;

    [[nodiscard]] const std::string& GetName() const { return m_name; }
    void SetName(std::string_view name);

    // The window this control belongs to; null until it is attached.
    [[nodiscard]] CPaintManagerUI* GetManager() const { return m_manager; }
    [[nodiscard]] CContainerUI* GetParent() const { return m_parent; }

    // The text as it was set: a language key when IsResourceText().
    [[nodiscard]] virtual std::string GetText() const { return m_text; }
    virtual void SetText(std::string_view text);
    // The text the user sees: the current language's text for a key (or the
    // window's QueryControlText answer, or else the key itself).
    [[nodiscard]] std::string GetShownText() const;
    // Where and how the control paints its own text, as last laid out;
    // std::nullopt for a control that paints none (the base control, edits,
    // containers).
    [[nodiscard]] virtual std::optional<TextPlacement> GetTextPlacement() const;
    // Marks the text and the tooltip as language keys.
    void SetResourceText(bool resource);
    [[nodiscard]] bool IsResourceText() const { return m_resourceText; }
    // Marks the tooltip alone: a symbol on a button or a name the user typed
    // is shown as it is, while its tooltip is still a language key.
    void SetResourceToolTip(bool resource);
    [[nodiscard]] bool IsResourceToolTip() const { return m_resourceToolTip; }

    [[nodiscard]] Argb GetBkColor() const { return m_bkColor; }
    void SetBkColor(Argb colour);
    // Image description: a file name relative to the resource path, a full
    // path, or "file='x.png' source='l,t,r,b' corner='l,t,r,b' dest='l,t,r,b'
    // fade='0-255'". Empty removes the image.
    [[nodiscard]] const std::string& GetBkImage() const { return m_bkImage; }
    void SetBkImage(std::string_view image);
    [[nodiscard]] Argb GetForeColor() const { return m_foreColor; }
    void SetForeColor(Argb colour);
    [[nodiscard]] const std::string& GetForeImage() const { return m_foreImage; }
    void SetForeImage(std::string_view image);
    [[nodiscard]] Argb GetBorderColor() const { return m_borderColor; }
    void SetBorderColor(Argb colour);
    [[nodiscard]] int GetBorderSize() const { return m_borderSize; }
    void SetBorderSize(int size);
    [[nodiscard]] UiSize GetBorderRound() const { return m_borderRound; }
    void SetBorderRound(UiSize round);
    // True when painting the control covers every pixel of its rectangle
    // (an opaque, square background), so that whatever lies beneath need not
    // be painted first: the mouse picture repaints its LED dots many times a
    // second, and painting the window's layers beneath each dot is most of
    // that cost. Controls that paint their background their own way say no.
    [[nodiscard]] virtual bool FillsItsRect() const;

    // Colour overlay painted over the whole control after everything else:
    // switched on with SetIsChangerColor, coloured with SetChangerColor (RGB,
    // the alpha byte ignored) and faded with SetChangerAlpha (0 invisible,
    // 255 opaque; values outside are clamped).
    // Colour and alpha may be set from any thread (lighting workers tint
    // their previews): on the UI thread a change repaints soon, elsewhere it
    // marks the control (MarkForRepaint). Setting the value a control already
    // has repaints nothing. A paint that runs meanwhile may show the new
    // colour with the old alpha for one frame.
    void SetIsChangerColor(bool on);
    [[nodiscard]] bool IsChangerColor() const { return m_changerOn; }
    void SetChangerColor(Argb rgb);
    [[nodiscard]] Argb GetChangerColor() const { return m_changerColor.load(); }
    void SetChangerAlpha(int alpha);
    [[nodiscard]] int GetChangerAlpha() const { return m_changerAlpha.load(); }
    // Colour and alpha together, painted by the window's next
    // RepaintChanged from whatever thread: a tint that changes with every
    // lighting frame repaints at the window's pace, not at the frame rate.
    void SetChangerTint(Argb rgb, int alpha);

    // Free text that layouts and code attach to a control.
    [[nodiscard]] const std::string& GetUserData() const { return m_userData; }
    void SetUserData(std::string_view data);
    [[nodiscard]] std::uintptr_t GetTag() const { return m_tag; }
    void SetTag(std::uintptr_t tag) { m_tag = tag; }
    // The tooltip as it was set: a language key when IsResourceToolTip().
    [[nodiscard]] const std::string& GetToolTip() const { return m_toolTip; }
    void SetToolTip(std::string_view text);
    // The tooltip the user sees (resolved like GetShownText).
    [[nodiscard]] std::string GetShownToolTip() const;

    // Visible means: set visible and not hidden by a container (tab pages).
    [[nodiscard]] virtual bool IsVisible() const { return m_visible && m_internVisible; }
    virtual void SetVisible(bool visible = true);
    // Used by containers (a tab layout hides its other pages this way).
    virtual void SetInternVisible(bool visible = true);
    [[nodiscard]] bool IsEnabled() const { return m_enabled; }
    virtual void SetEnabled(bool enabled = true);
    // False when this control or a container above it is disabled.
    [[nodiscard]] bool IsEffectivelyEnabled() const;
    [[nodiscard]] bool IsMouseEnabled() const { return m_mouseEnabled; }
    void SetMouseEnabled(bool enabled = true);
    [[nodiscard]] bool IsKeyboardEnabled() const { return m_keyboardEnabled; }
    void SetKeyboardEnabled(bool enabled = true);
    [[nodiscard]] bool IsFocused() const;
    virtual void SetFocus();

    // Position in window client pixels (after interface scaling), as last laid
    // out. Call CPaintManagerUI::UpdateLayout first when it must be current.
    [[nodiscard]] const UiRect& GetPos() const { return m_rcItem; }
    // Called by containers while laying out; derived controls may override to
    // follow their position (call the base first).
    virtual void SetPos(const UiRect& rc);
    // Outer margins inside the parent's layout (96-dpi units).
    [[nodiscard]] UiRect GetPadding() const { return m_padding; }
    void SetPadding(const UiRect& padding);
    // Sizes in 96-dpi units; 0 means "take a share of the free space".
    [[nodiscard]] int GetFixedWidth() const { return m_fixedSize.cx; }
    void SetFixedWidth(int cx);
    [[nodiscard]] int GetFixedHeight() const { return m_fixedSize.cy; }
    void SetFixedHeight(int cy);
    [[nodiscard]] int GetMinWidth() const { return m_minSize.cx; }
    void SetMinWidth(int cx);
    [[nodiscard]] int GetMaxWidth() const { return m_maxSize.cx; }
    void SetMaxWidth(int cx);
    [[nodiscard]] int GetMinHeight() const { return m_minSize.cy; }
    void SetMinHeight(int cy);
    [[nodiscard]] int GetMaxHeight() const { return m_maxSize.cy; }
    void SetMaxHeight(int cy);
    // A floating control is placed at its "pos" rectangle relative to its
    // parent's top-left corner instead of taking part in the layout.
    [[nodiscard]] bool IsFloat() const { return m_float; }
    void SetFloat(bool isFloat);
    [[nodiscard]] UiRect GetFloatPos() const { return m_floatPos; }
    void SetFloatPos(const UiRect& rc);
    // The size this control asks its layout for (96-dpi units; 0 = no wish).
    [[nodiscard]] virtual UiSize EstimateSize(UiSize available) const;

    // Sets one attribute by its layout name (names compared without regard to
    // case). Unknown names are ignored. Derived controls handle their own
    // names and pass the rest to their base. "style" applies a named style of
    // the window (see docs/ui-layout-format.md).
    virtual void SetAttribute(std::string_view name, std::string_view value);
    // Applies a list such as: text="Go" bkcolor="#FF202020" (single or double
    // quotes).
    void ApplyAttributeList(std::string_view list);

    // Repaint soon; relayout the window soon.
    void Invalidate();
    // Repaint soon the part of the control within rc (window pixels) alone.
    void InvalidateRect(const UiRect& rc);
    void NeedUpdate();
    void NeedParentUpdate();
    // Any thread: asks for a repaint where Invalidate cannot be called (state
    // changed on another thread). The window's next
    // CPaintManagerUI::RepaintChanged repaints the control on the UI thread.
    // The control must stay in its window while other threads may mark it. A
    // control outside any window needs no mark: it is painted in full when
    // it joins one.
    void MarkForRepaint();
    // Clears the mark; true when it was set. For CPaintManagerUI.
    bool TakeRepaintMark();

    // Painting, called on the UI thread with the area being repainted. The
    // default DoPaint calls, in order: PaintBkColor, PaintBkImage,
    // PaintStatusImage, PaintText, PaintBorder. The colour overlay is painted
    // after DoPaint by the library, whatever a derived DoPaint does.
    virtual void DoPaint(PaintContext& context, const UiRect& paint);
    virtual void PaintBkColor(PaintContext& context);
    virtual void PaintBkImage(PaintContext& context);
    virtual void PaintStatusImage(PaintContext& context);
    virtual void PaintForeColor(PaintContext& context);
    virtual void PaintForeImage(PaintContext& context);
    virtual void PaintText(PaintContext& context);
    virtual void PaintBorder(PaintContext& context);
    // Fills the control's rectangle (with its border round) with colour.
    void FillBackground(PaintContext& context, Argb colour);
    // Draws an image description over this control (dest relative to the
    // control); false when it cannot be drawn.
    bool DrawImage(PaintContext& context, std::string_view image);

    // Called once after the control has joined a window (its manager is set).
    virtual void DoInit() {}
    // Input events; the base sends "setfocus"/"killfocus" and
    // "msenter"/"msleave" and passes the rest to the parent.
    virtual void DoEvent(TEventUI& event);

    // Joins this control (and, for containers, its children) to a window.
    // Called by containers and the paint manager; not for page code.
    virtual void SetManager(CPaintManagerUI* manager, CContainerUI* parent, bool init = true);
    // Depth-first search by name in this subtree (this control included).
    [[nodiscard]] virtual CControlUI* FindControlByName(std::string_view name);
    // The control under a window point in this subtree, or null.
    [[nodiscard]] virtual CControlUI* FindControlAt(UiPoint pt);

    // The Qt widget behind the control (ui/qt only).
    [[nodiscard]] qt::ControlWidget& Widget() const { return *m_widget; }

protected:
    // Hooks for the Qt layer: mouse hover and pushed state for painting.
    [[nodiscard]] bool IsHot() const { return m_hot; }
    void SetHot(bool hot);
    // Sends a notification of this control to its window (no-op without one).
    void SendNotify(std::string_view type, WParam wParam = 0, LParam lParam = 0);
    // Scales a 96-dpi length by the window's interface scale.
    [[nodiscard]] int Scale(int value) const;
    // Shows or hides the widget to match IsVisible().
    void ApplyWidgetVisibility();
    // Whether "msenter"/"msleave" are sent for this control (containers: no).
    [[nodiscard]] virtual bool NotifiesHover() const { return true; }
    // Whether a click gives this control the keyboard focus (interactive
    // controls); plain controls never take it.
    void SetFocusable(bool focusable);

private:
    friend class qt::ControlWidget;

    // Tells the widget whether it paints every pixel (FillsItsRect).
    void UpdateOpaque();

    // Owned; destroyed through qt::ControlWidget::Dispose.
    qt::ControlWidget* m_widget = nullptr;
    CPaintManagerUI* m_manager = nullptr;
    CContainerUI* m_parent = nullptr;
    std::string m_name;
    std::string m_text;
    bool m_resourceText = false;
    bool m_resourceToolTip = false;
    Argb m_bkColor = 0;
    std::string m_bkImage;
    Argb m_foreColor = 0;
    std::string m_foreImage;
    Argb m_borderColor = 0;
    int m_borderSize = 0;
    UiSize m_borderRound;
    bool m_changerOn = false;
    std::atomic<Argb> m_changerColor = 0;
    std::atomic<int> m_changerAlpha = 0;
    std::atomic<bool> m_repaintMark = false;
    std::string m_userData;
    std::uintptr_t m_tag = 0;
    std::string m_toolTip;
    bool m_visible = true;
    bool m_internVisible = true;
    bool m_enabled = true;
    bool m_mouseEnabled = true;
    bool m_keyboardEnabled = true;
    bool m_hot = false;
    bool m_initialised = false;
    UiRect m_rcItem;
    UiRect m_padding;
    UiSize m_fixedSize;
    UiSize m_minSize;
    UiSize m_maxSize{9999, 9999};
    bool m_float = false;
    UiRect m_floatPos;
};

}  // namespace varlok::ui
