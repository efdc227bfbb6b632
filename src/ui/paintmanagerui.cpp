#include "ui/paintmanagerui.h"

#include <QApplication>
#include <algorithm>

#include "ui/containerui.h"
#include "ui/controlui.h"
#include "ui/labelui.h"
#include "ui/optionui.h"
#include "ui/qt/controlwidget.h"
#include "ui/qt/deferreddeletion.h"
#include "ui/qt/imagecache.h"
#include "ui/qt/windowwidget.h"
#include "ui/resourcemanager.h"
#include "ui/windowhandle.h"
#include "ui/windowimplbase.h"

namespace varlok::ui {

namespace {

std::vector<CPaintManagerUI*>& Registry() {
    static std::vector<CPaintManagerUI*> managers;
    return managers;
}

// Classes over which a press never drags the window.
bool IsInteractive(const CControlUI& control) {
    static constexpr std::string_view kClasses[] = {"ButtonUI",
                                                    "OptionUI",
                                                    "CheckBoxUI",
                                                    "TextUI",
                                                    "EditUI",
                                                    "ComboUI",
                                                    "SliderUI",
                                                    "ListUI",
                                                    "ListLabelElementUI",
                                                    "ListContainerElementUI",
                                                    "ColorPaletteUI"};
    const std::string_view cls = control.GetClass();
    if (std::find(std::begin(kClasses), std::end(kClasses), cls) != std::end(kClasses)) {
        return true;
    }
    // Derived controls (custom buttons) keep their base's behaviour.
    return dynamic_cast<const CButtonUI*>(&control) != nullptr;
}

}  // namespace

CPaintManagerUI::CPaintManagerUI() {
    Registry().push_back(this);
}

CPaintManagerUI::~CPaintManagerUI() {
    ReleaseRoot();
    auto& managers = Registry();
    managers.erase(std::remove(managers.begin(), managers.end(), this), managers.end());
}

void CPaintManagerUI::SetInstancePath(std::string_view path) {
    CResourceManager::GetInstance().SetInstancePath(path);
}

std::string CPaintManagerUI::GetInstancePath() {
    return CResourceManager::GetInstance().GetInstancePath();
}

void CPaintManagerUI::SetResourcePath(std::string_view path) {
    CResourceManager::GetInstance().SetResourcePath(path);
}

std::string CPaintManagerUI::GetResourcePath() {
    return CResourceManager::GetInstance().GetResourcePath();
}

int CPaintManagerUI::MessageLoop() {
    return RunMessageLoop();
}

void CPaintManagerUI::ReleaseRoot() {
    if (m_root) {
        m_root->SetManager(nullptr, nullptr, false);
        qt::DeferredDeletion::Dispose(std::move(m_root));
    }
    m_names.clear();
}

CControlUI* CPaintManagerUI::AttachDialog(std::unique_ptr<CControlUI> root) {
    ReleaseRoot();
    m_root = std::move(root);
    if (!m_root) {
        return nullptr;
    }
    if (m_window != nullptr) {
        m_root->Widget().setParent(m_window);
        m_root->Widget().show();
    }
    m_root->SetManager(this, nullptr, true);
    UpdateLayout();
    return m_root.get();
}

CControlUI* CPaintManagerUI::FindControl(std::string_view name) const {
    if (name.empty()) {
        return nullptr;
    }
    const auto it = m_names.find(std::string(name));
    return it != m_names.end() ? it->second : nullptr;
}

CControlUI* CPaintManagerUI::FindControl(UiPoint pt) const {
    return m_root ? m_root->FindControlAt(pt) : nullptr;
}

void CPaintManagerUI::RegisterName(CControlUI* control) {
    if (!control->GetName().empty()) {
        m_names.emplace(control->GetName(), control);
    }
}

void CPaintManagerUI::UnregisterName(CControlUI* control) {
    auto [first, last] = m_names.equal_range(control->GetName());
    for (auto it = first; it != last; ++it) {
        if (it->second == control) {
            m_names.erase(it);
            return;
        }
    }
}

void CPaintManagerUI::AddNotifier(INotifyUI* notifier) {
    if (notifier != nullptr &&
        std::find(m_notifiers.begin(), m_notifiers.end(), notifier) == m_notifiers.end()) {
        m_notifiers.push_back(notifier);
    }
}

void CPaintManagerUI::RemoveNotifier(INotifyUI* notifier) {
    m_notifiers.erase(std::remove(m_notifiers.begin(), m_notifiers.end(), notifier),
                      m_notifiers.end());
}

void CPaintManagerUI::SendNotify(CControlUI* sender, std::string_view type, WParam wParam,
                                 LParam lParam) {
    // A receiver may remove the sender (or its whole page): it stays alive
    // for the receivers after it and for its own code that sent this.
    const qt::DeferredDeletion::Scope delivering;
    TNotifyUI msg{std::string(type), sender, wParam, lParam};
    // A receiver may remove itself (or others) while being notified, or
    // destroy the whole window: then the other receivers went with it.
    const std::weak_ptr<const bool> alive = m_alive;
    const std::vector<INotifyUI*> receivers = m_notifiers;
    for (INotifyUI* receiver : receivers) {
        if (alive.expired()) {
            return;
        }
        if (std::find(m_notifiers.begin(), m_notifiers.end(), receiver) != m_notifiers.end()) {
            receiver->Notify(msg);
        }
    }
}

int CPaintManagerUI::AddFont(const FontInfo& font, bool isDefault) {
    m_fonts.push_back(font);
    const int index = static_cast<int>(m_fonts.size()) - 1;
    if (isDefault || m_defaultFont < 0) {
        m_defaultFont = index;
    }
    return index;
}

FontInfo CPaintManagerUI::GetFont(int index) const {
    if (index >= 0 && index < GetFontCount()) {
        return m_fonts[static_cast<std::size_t>(index)];
    }
    if (m_defaultFont >= 0) {
        return m_fonts[static_cast<std::size_t>(m_defaultFont)];
    }
    return FontInfo{};
}

void CPaintManagerUI::AddStyle(std::string_view name, std::string_view attributeList) {
    m_styles[std::string(name)] = std::string(attributeList);
}

std::string CPaintManagerUI::GetStyle(std::string_view name) const {
    const auto it = m_styles.find(name);
    return it != m_styles.end() ? it->second : std::string();
}

void CPaintManagerUI::AddDefaultAttributeList(std::string_view className,
                                              std::string_view attributeList) {
    std::string key(className);
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    m_defaults[key] = std::string(attributeList);
}

std::string CPaintManagerUI::GetDefaultAttributeList(std::string_view className) const {
    std::string key(className);
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const auto it = m_defaults.find(key);
    return it != m_defaults.end() ? it->second : std::string();
}

UiSize CPaintManagerUI::GetInitSize() const {
    return UiSize{ScaleValue(m_initSize.cx), ScaleValue(m_initSize.cy)};
}

bool CPaintManagerUI::IsCaptionPoint(UiPoint pt) const {
    if (m_window == nullptr || !m_root) {
        return false;
    }
    const int width = m_window->width();
    const UiRect caption{ScaleValue(m_captionRect.left), ScaleValue(m_captionRect.top),
                         width - ScaleValue(m_captionRect.right), ScaleValue(m_captionRect.bottom)};
    if (pt.x < caption.left || pt.x >= caption.right || pt.y < caption.top ||
        pt.y >= caption.bottom) {
        return false;
    }
    const CControlUI* control = FindControl(pt);
    return control != nullptr && !IsInteractive(*control);
}

bool CPaintManagerUI::SetDPI(int dpi) {
    if (dpi < 48 || dpi > 480) {
        return false;
    }
    if (dpi == m_dpi) {
        return true;
    }
    const int old = m_dpi;
    m_dpi = dpi;
    ResetDPIAssets();
    if (m_window != nullptr) {
        const QSize size = m_window->size();
        m_window->resize(size.width() * dpi / old, size.height() * dpi / old);
        m_window->UpdateShape();
    }
    UpdateLayout();
    Invalidate();
    return true;
}

int CPaintManagerUI::ScaleValue(int value) const {
    if (m_dpi == 96) {
        return value;
    }
    const long long scaled = static_cast<long long>(value) * m_dpi;
    return static_cast<int>(scaled >= 0 ? (scaled + 48) / 96 : (scaled - 48) / 96);
}

UiRect CPaintManagerUI::ScaleRect(const UiRect& rc) const {
    return UiRect{ScaleValue(rc.left), ScaleValue(rc.top), ScaleValue(rc.right),
                  ScaleValue(rc.bottom)};
}

void CPaintManagerUI::ResetDPIAssets() {
    qt::ImageCache::Instance().Clear();
}

void CPaintManagerUI::SetPaintWindow(qt::WindowWidget* window) {
    m_window = window;
    // A relayout queued on an earlier window is gone with it.
    m_layoutPending = false;
}

void CPaintManagerUI::NeedUpdate() {
    if (m_layoutPending || m_window == nullptr) {
        return;
    }
    m_layoutPending = true;
    // Bound to the window's widget, which may outlive this manager (the
    // window object may go while an event is being delivered): the widget's
    // owner leads back here only while the window holds on to it.
    qt::WindowWidget* window = m_window;
    QMetaObject::invokeMethod(
        window,
        [window]() {
            WindowImplBase* owner = window->Owner();
            if (owner == nullptr) {
                return;
            }
            CPaintManagerUI& manager = owner->GetPaintManager();
            if (manager.m_layoutPending && manager.m_window == window) {
                manager.UpdateLayout();
            }
        },
        Qt::QueuedConnection);
}

void CPaintManagerUI::UpdateLayout() {
    m_layoutPending = false;
    if (!m_root) {
        return;
    }
    if (m_window != nullptr) {
        m_root->SetPos(UiRect{0, 0, m_window->width(), m_window->height()});
    } else {
        const UiSize size = GetInitSize();
        m_root->SetPos(UiRect{0, 0, size.cx, size.cy});
    }
    m_root->Invalidate();
}

void CPaintManagerUI::Invalidate() {
    if (m_window != nullptr) {
        m_window->update();
        for (QWidget* child : m_window->findChildren<QWidget*>()) {
            child->update();
        }
    }
}

void CPaintManagerUI::NoteRepaintMark(CControlUI* control) {
    const std::lock_guard lock(m_markedMutex);
    m_marked.push_back(control);
}

void CPaintManagerUI::ForgetRepaintMark(CControlUI* control) {
    const std::lock_guard lock(m_markedMutex);
    std::erase(m_marked, control);
}

void CPaintManagerUI::RepaintChanged() {
    if (m_window == nullptr || !m_root || !m_window->isVisible()) {
        return;
    }
    std::vector<CControlUI*> marked;
    {
        const std::lock_guard lock(m_markedMutex);
        marked.swap(m_marked);
    }
    // A mark set after the swap was either still set here, and is taken
    // now, or was cleared here first and so joined the new list: none is lost.
    for (CControlUI* control : marked) {
        if (control->TakeRepaintMark()) {
            control->Invalidate();
        }
    }
}

const std::vector<CPaintManagerUI*>& CPaintManagerUI::AllManagers() {
    return Registry();
}

}  // namespace varlok::ui
