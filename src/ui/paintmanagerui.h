#pragma once

// The per-window control manager: owns the root control, finds controls by
// name, delivers notifications to the window, and holds the window's fonts,
// named styles, per-class default attributes, caption rectangle, round
// corners, initial size and interface scale (DPI). UI thread only, except
// NoteRepaintMark.

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ui/notify.h"
#include "ui/uitypes.h"

namespace varlok::ui {

class CControlUI;
class WindowImplBase;

namespace qt {
class WindowWidget;
}

// A font declared by a layout; sizes in 96-dpi pixels.
struct FontInfo {
    std::string family;
    int size = 12;
    bool bold = false;
    bool italic = false;
    bool underline = false;
};

class CPaintManagerUI {
public:
    CPaintManagerUI();
    ~CPaintManagerUI();
    CPaintManagerUI(const CPaintManagerUI&) = delete;
    CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

    // The program's folder and the folder layouts, pictures and language
    // files are looked up in (process-wide; forwarded to CResourceManager).
    static void SetInstancePath(std::string_view path);
    [[nodiscard]] static std::string GetInstancePath();
    static void SetResourcePath(std::string_view path);
    [[nodiscard]] static std::string GetResourcePath();
    // Runs the UI thread's message loop until PostQuitMessage.
    static int MessageLoop();

    // Makes root the window's control tree (replacing any earlier one) and
    // joins every control to this manager, calling DoInit once per control.
    // Returns the root (null stays null). An earlier tree is destroyed as
    // CContainerUI::Remove destroys a child (late when replaced from inside
    // a notification).
    CControlUI* AttachDialog(std::unique_ptr<CControlUI> root);
    [[nodiscard]] CControlUI* GetRoot() const { return m_root.get(); }
    // The first control of that name (exact, case-sensitive), or null.
    [[nodiscard]] CControlUI* FindControl(std::string_view name) const;
    template <class T>
    [[nodiscard]] T* FindControl(std::string_view name) const {
        return dynamic_cast<T*>(FindControl(name));
    }
    // The topmost visible control at a client point, or null.
    [[nodiscard]] CControlUI* FindControl(UiPoint pt) const;

    // Notification receivers, called in the order added.
    void AddNotifier(INotifyUI* notifier);
    void RemoveNotifier(INotifyUI* notifier);
    // Delivers a notification to every receiver now (UI thread). Controls
    // removed meanwhile stay alive until the delivery has returned.
    void SendNotify(CControlUI* sender, std::string_view type, WParam wParam = 0,
                    LParam lParam = 0);

    // Fonts by index in declaration order; -1 or an unknown index is the
    // default font.
    int AddFont(const FontInfo& font, bool isDefault = false);
    [[nodiscard]] FontInfo GetFont(int index) const;
    [[nodiscard]] int GetFontCount() const { return static_cast<int>(m_fonts.size()); }
    // Named styles: an attribute list applied by the "style" attribute.
    void AddStyle(std::string_view name, std::string_view attributeList);
    [[nodiscard]] std::string GetStyle(std::string_view name) const;
    // Attributes applied to every control of a layout class before its own.
    void AddDefaultAttributeList(std::string_view className, std::string_view attributeList);
    [[nodiscard]] std::string GetDefaultAttributeList(std::string_view className) const;
    // When set, layout texts of non-edit controls are language keys.
    void SetDefaultResourceText(bool resource) { m_defaultResourceText = resource; }
    [[nodiscard]] bool IsDefaultResourceText() const { return m_defaultResourceText; }

    // Window attributes from the layout (96-dpi units).
    [[nodiscard]] UiSize GetInitSize() const;  // scaled to the current DPI
    void SetInitSize(UiSize size) { m_initSize = size; }
    // Caption: left and right insets from the client edges, top and bottom
    // from the top edge.
    [[nodiscard]] UiRect GetCaptionRect() const { return m_captionRect; }
    void SetCaptionRect(const UiRect& rc) { m_captionRect = rc; }
    [[nodiscard]] UiSize GetRoundCorner() const { return m_roundCorner; }
    void SetRoundCorner(UiSize corner) { m_roundCorner = corner; }
    [[nodiscard]] UiSize GetMinInfo() const { return m_minInfo; }
    void SetMinInfo(UiSize size) { m_minInfo = size; }

    // True when a press at this client point drags the window: inside the
    // caption rectangle and not over a control the user works with (buttons,
    // options, check boxes, texts, edits, combos, sliders, lists, palettes).
    [[nodiscard]] bool IsCaptionPoint(UiPoint pt) const;

    // Interface scale: 96 is 100 %. Changes every size, font and the window
    // size at once; values outside 48..480 are refused (false).
    bool SetDPI(int dpi);
    [[nodiscard]] int GetDPI() const { return m_dpi; }
    [[nodiscard]] int ScaleValue(int value) const;
    [[nodiscard]] UiRect ScaleRect(const UiRect& rc) const;
    // Re-reads scaled pictures and fonts after a DPI change.
    void ResetDPIAssets();

    // Relayout soon / now; repaint soon.
    void NeedUpdate();
    void UpdateLayout();
    // Repaints every control of the window (a full redraw; costly, for a
    // window that was just shown or whose texts all changed).
    void Invalidate();
    // Repaints the controls marked with CControlUI::MarkForRepaint since the
    // last call, that is those whose state changed where no repaint could be
    // asked for (lights and tints set by worker threads), and does nothing
    // at all when none was marked. While the window is hidden the marks wait
    // (showing it repaints everything anyway). Meant for a periodic timer.
    void RepaintChanged();
    // Any thread; called by CControlUI::MarkForRepaint when it sets a
    // control's mark, so that RepaintChanged visits only the marked controls.
    void NoteRepaintMark(CControlUI* control);
    // Called by a control that leaves this window or is destroyed.
    void ForgetRepaintMark(CControlUI* control);

    // The Qt window the controls live in (ui/qt only); null before
    // WindowImplBase::Create or for a manager used without a window.
    [[nodiscard]] qt::WindowWidget* GetPaintWindow() const { return m_window; }
    void SetPaintWindow(qt::WindowWidget* window);
    [[nodiscard]] WindowImplBase* GetOwnerWindow() const { return m_owner; }
    void SetOwnerWindow(WindowImplBase* owner) { m_owner = owner; }

    // Every live manager (for reloading texts after a language change).
    [[nodiscard]] static const std::vector<CPaintManagerUI*>& AllManagers();

    // Name index upkeep, called by controls as they join and leave.
    void RegisterName(CControlUI* control);
    void UnregisterName(CControlUI* control);

private:
    // Takes the control tree out of this window and disposes of it.
    void ReleaseRoot();

    std::unique_ptr<CControlUI> m_root;
    std::unordered_multimap<std::string, CControlUI*> m_names;
    std::vector<INotifyUI*> m_notifiers;
    std::vector<FontInfo> m_fonts;
    int m_defaultFont = -1;
    std::map<std::string, std::string, std::less<>> m_styles;
    std::map<std::string, std::string, std::less<>> m_defaults;
    bool m_defaultResourceText = false;
    UiSize m_initSize;
    UiRect m_captionRect;
    UiSize m_roundCorner;
    UiSize m_minInfo;
    int m_dpi = 96;
    bool m_layoutPending = false;
    // The controls whose repaint mark was set since the last RepaintChanged
    // (a control at most once while its mark stays set).
    std::mutex m_markedMutex;
    std::vector<CControlUI*> m_marked;
    qt::WindowWidget* m_window = nullptr;
    WindowImplBase* m_owner = nullptr;
    // Expires with this manager (a notification's receiver may destroy it).
    std::shared_ptr<const bool> m_alive = std::make_shared<const bool>(true);
};

}  // namespace varlok::ui
