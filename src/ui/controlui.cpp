#include "ui/controlui.h"

#include <QThread>
#include <algorithm>

#include "ui/containerui.h"
#include "ui/paintmanagerui.h"
#include "ui/qt/attributes.h"
#include "ui/qt/controlwidget.h"
#include "ui/qt/convert.h"
#include "ui/qt/imagecache.h"
#include "ui/qt/paintcontext.h"
#include "ui/qt/roundedfill.h"
#include "ui/renderengine.h"
#include "ui/resourcemanager.h"

namespace varlok::ui {

namespace {

// The widget's thread is the UI thread; QObject::thread() reads it atomically.
bool OnWidgetThread(const QObject& widget) {
    return QThread::currentThread() == widget.thread();
}

}  // namespace

CControlUI::CControlUI() : m_widget(new qt::ControlWidget(*this)) {}

CControlUI::~CControlUI() {
    if (m_manager != nullptr) {
        m_manager->UnregisterName(this);
        m_manager->ForgetRepaintMark(this);
    }
    qt::ControlWidget::Dispose(m_widget);
}

std::string_view CControlUI::GetClass() const {
    return "ControlUI";
}

void CControlUI::SetName(std::string_view name) {
    if (m_manager != nullptr) {
        m_manager->UnregisterName(this);
    }
    m_name = name;
    m_widget->setObjectName(qt::ToQString(name));
    if (m_manager != nullptr) {
        m_manager->RegisterName(this);
    }
}

void CControlUI::SetText(std::string_view text) {
    if (m_text == text) {
        return;
    }
    m_text = text;
    Invalidate();
}

std::string CControlUI::GetShownText() const {
    const std::string text = GetText();
    if (!m_resourceText) {
        return text;
    }
    return CResourceManager::GetInstance().GetText(text);
}

std::optional<TextPlacement> CControlUI::GetTextPlacement() const {
    return std::nullopt;
}

void CControlUI::SetResourceText(bool resource) {
    if (m_resourceText == resource && m_resourceToolTip == resource) {
        return;
    }
    m_resourceText = resource;
    SetResourceToolTip(resource);
    Invalidate();
}

void CControlUI::SetResourceToolTip(bool resource) {
    if (m_resourceToolTip == resource) {
        return;
    }
    m_resourceToolTip = resource;
    SetToolTip(std::string(m_toolTip));
}

void CControlUI::SetBkColor(Argb colour) {
    m_bkColor = colour;
    UpdateOpaque();
    Invalidate();
}

void CControlUI::SetBkImage(std::string_view image) {
    m_bkImage = image;
    Invalidate();
}

void CControlUI::SetForeColor(Argb colour) {
    m_foreColor = colour;
    Invalidate();
}

void CControlUI::SetForeImage(std::string_view image) {
    m_foreImage = image;
    Invalidate();
}

void CControlUI::SetBorderColor(Argb colour) {
    m_borderColor = colour;
    Invalidate();
}

void CControlUI::SetBorderSize(int size) {
    m_borderSize = std::max(0, size);
    Invalidate();
}

void CControlUI::SetBorderRound(UiSize round) {
    m_borderRound = round;
    UpdateOpaque();
    Invalidate();
}

bool CControlUI::FillsItsRect() const {
    return (m_bkColor >> 24) == 0xFF && m_borderRound.cx == 0 && m_borderRound.cy == 0;
}

void CControlUI::UpdateOpaque() {
    m_widget->setAttribute(Qt::WA_OpaquePaintEvent, FillsItsRect());
}

void CControlUI::SetIsChangerColor(bool on) {
    m_changerOn = on;
    Invalidate();
}

void CControlUI::SetChangerColor(Argb rgb) {
    const Argb colour = rgb & 0x00FFFFFFu;
    if (m_changerColor.exchange(colour) == colour) {
        return;
    }
    if (OnWidgetThread(*m_widget)) {
        Invalidate();
    } else {
        MarkForRepaint();
    }
}

void CControlUI::SetChangerTint(Argb rgb, int alpha) {
    const Argb colour = rgb & 0x00FFFFFFu;
    const bool colourChanged = m_changerColor.exchange(colour) != colour;
    const int clamped = std::clamp(alpha, 0, 255);
    const bool alphaChanged = m_changerAlpha.exchange(clamped) != clamped;
    if (colourChanged || alphaChanged) {
        MarkForRepaint();
    }
}

void CControlUI::SetChangerAlpha(int alpha) {
    const int clamped = std::clamp(alpha, 0, 255);
    if (m_changerAlpha.exchange(clamped) == clamped) {
        return;
    }
    if (OnWidgetThread(*m_widget)) {
        Invalidate();
    } else {
        MarkForRepaint();
    }
}

void CControlUI::SetUserData(std::string_view data) {
    m_userData = data;
}

void CControlUI::SetToolTip(std::string_view text) {
    m_toolTip = text;
    m_widget->setToolTip(qt::ToQString(GetShownToolTip()));
}

std::string CControlUI::GetShownToolTip() const {
    return m_resourceToolTip && !m_toolTip.empty()
               ? CResourceManager::GetInstance().GetText(m_toolTip)
               : m_toolTip;
}

void CControlUI::SetVisible(bool visible) {
    if (m_visible == visible) {
        return;
    }
    m_visible = visible;
    ApplyWidgetVisibility();
    NeedParentUpdate();
}

void CControlUI::SetInternVisible(bool visible) {
    m_internVisible = visible;
    ApplyWidgetVisibility();
}

void CControlUI::ApplyWidgetVisibility() {
    // A control outside any window never opens a window of its own.
    if (m_widget->parentWidget() == nullptr && IsVisible()) {
        return;
    }
    m_widget->setVisible(IsVisible());
}

void CControlUI::SetEnabled(bool enabled) {
    if (m_enabled == enabled) {
        return;
    }
    m_enabled = enabled;
    m_widget->setEnabled(enabled);
    if (!enabled) {
        m_hot = false;
    }
    Invalidate();
}

bool CControlUI::IsEffectivelyEnabled() const {
    for (const CControlUI* c = this; c != nullptr; c = c->m_parent) {
        if (!c->m_enabled) {
            return false;
        }
    }
    return true;
}

void CControlUI::SetMouseEnabled(bool enabled) {
    m_mouseEnabled = enabled;
    m_widget->setAttribute(Qt::WA_TransparentForMouseEvents, !enabled);
}

void CControlUI::SetKeyboardEnabled(bool enabled) {
    m_keyboardEnabled = enabled;
    if (!enabled) {
        m_widget->setFocusPolicy(Qt::NoFocus);
        m_widget->clearFocus();
    }
}

void CControlUI::SetFocusable(bool focusable) {
    m_widget->setFocusPolicy(focusable && m_keyboardEnabled ? Qt::StrongFocus : Qt::NoFocus);
}

bool CControlUI::IsFocused() const {
    return m_widget->hasFocus();
}

void CControlUI::SetFocus() {
    if (m_widget->focusPolicy() == Qt::NoFocus) {
        m_widget->setFocusPolicy(Qt::StrongFocus);
    }
    m_widget->setFocus(Qt::OtherFocusReason);
}

void CControlUI::SetPos(const UiRect& rc) {
    m_rcItem = rc;
    UiPoint origin;
    if (m_parent != nullptr) {
        origin = m_parent->GetChildWidgetOrigin();
    }
    m_widget->setGeometry(rc.left - origin.x, rc.top - origin.y, std::max(0, rc.Width()),
                          std::max(0, rc.Height()));
}

void CControlUI::SetPadding(const UiRect& padding) {
    m_padding = padding;
    NeedParentUpdate();
}

void CControlUI::SetFixedWidth(int cx) {
    m_fixedSize.cx = std::max(0, cx);
    NeedParentUpdate();
}

void CControlUI::SetFixedHeight(int cy) {
    m_fixedSize.cy = std::max(0, cy);
    NeedParentUpdate();
}

void CControlUI::SetMinWidth(int cx) {
    m_minSize.cx = std::max(0, cx);
    NeedParentUpdate();
}

void CControlUI::SetMaxWidth(int cx) {
    m_maxSize.cx = std::max(0, cx);
    NeedParentUpdate();
}

void CControlUI::SetMinHeight(int cy) {
    m_minSize.cy = std::max(0, cy);
    NeedParentUpdate();
}

void CControlUI::SetMaxHeight(int cy) {
    m_maxSize.cy = std::max(0, cy);
    NeedParentUpdate();
}

void CControlUI::SetFloat(bool isFloat) {
    m_float = isFloat;
    NeedParentUpdate();
}

void CControlUI::SetFloatPos(const UiRect& rc) {
    m_floatPos = rc;
    m_float = true;
    NeedParentUpdate();
}

UiSize CControlUI::EstimateSize(UiSize /*available*/) const {
    return m_fixedSize;
}

void CControlUI::SetAttribute(std::string_view name, std::string_view value) {
    using attr::Equals;
    if (Equals(name, "name")) {
        SetName(value);
    } else if (Equals(name, "text")) {
        SetText(value);
    } else if (Equals(name, "resourcetext")) {
        SetResourceText(attr::ParseBool(value));
    } else if (Equals(name, "tooltip")) {
        SetToolTip(value);
    } else if (Equals(name, "userdata")) {
        SetUserData(value);
    } else if (Equals(name, "tag")) {
        SetTag(static_cast<std::uintptr_t>(attr::ParseInt(value)));
    } else if (Equals(name, "visible")) {
        SetVisible(attr::ParseBool(value));
    } else if (Equals(name, "enabled")) {
        SetEnabled(attr::ParseBool(value));
    } else if (Equals(name, "mouse")) {
        SetMouseEnabled(attr::ParseBool(value));
    } else if (Equals(name, "keyboard")) {
        SetKeyboardEnabled(attr::ParseBool(value));
    } else if (Equals(name, "width")) {
        SetFixedWidth(attr::ParseInt(value));
    } else if (Equals(name, "height")) {
        SetFixedHeight(attr::ParseInt(value));
    } else if (Equals(name, "minwidth")) {
        SetMinWidth(attr::ParseInt(value));
    } else if (Equals(name, "maxwidth")) {
        SetMaxWidth(attr::ParseInt(value));
    } else if (Equals(name, "minheight")) {
        SetMinHeight(attr::ParseInt(value));
    } else if (Equals(name, "maxheight")) {
        SetMaxHeight(attr::ParseInt(value));
    } else if (Equals(name, "padding")) {
        SetPadding(attr::ParseRect(value));
    } else if (Equals(name, "pos")) {
        const UiRect rc = attr::ParseRect(value);
        m_floatPos = rc;
        if (m_fixedSize.cx == 0) {
            m_fixedSize.cx = rc.Width();
        }
        if (m_fixedSize.cy == 0) {
            m_fixedSize.cy = rc.Height();
        }
        NeedParentUpdate();
    } else if (Equals(name, "float")) {
        SetFloat(attr::ParseBool(value));
    } else if (Equals(name, "bkcolor")) {
        SetBkColor(attr::ParseColour(value).value_or(0));
    } else if (Equals(name, "bkimage")) {
        SetBkImage(value);
    } else if (Equals(name, "forecolor")) {
        SetForeColor(attr::ParseColour(value).value_or(0));
    } else if (Equals(name, "foreimage")) {
        SetForeImage(value);
    } else if (Equals(name, "bordercolor")) {
        SetBorderColor(attr::ParseColour(value).value_or(0));
    } else if (Equals(name, "bordersize")) {
        SetBorderSize(attr::ParseInt(value));
    } else if (Equals(name, "borderround")) {
        SetBorderRound(attr::ParseSize(value));
    } else if (Equals(name, "changercolor")) {
        SetChangerColor(attr::ParseColour(value).value_or(0));
    } else if (Equals(name, "changeralpha")) {
        SetChangerAlpha(attr::ParseInt(value));
    } else if (Equals(name, "ischangercolor")) {
        SetIsChangerColor(attr::ParseBool(value));
    } else if (Equals(name, "style")) {
        if (m_manager != nullptr) {
            const std::string list = m_manager->GetStyle(value);
            if (!list.empty()) {
                ApplyAttributeList(list);
            }
        }
    }
}

void CControlUI::ApplyAttributeList(std::string_view list) {
    for (const auto& [name, value] : attr::ParseList(list)) {
        SetAttribute(name, value);
    }
}

void CControlUI::Invalidate() {
    m_widget->update();
}

void CControlUI::InvalidateRect(const UiRect& rc) {
    m_widget->update(qt::ToQRect(rc).translated(-m_rcItem.left, -m_rcItem.top));
}

void CControlUI::MarkForRepaint() {
    // Read on another thread: set when the control joined its window, before
    // any thread that marks it was given the control.
    CPaintManagerUI* manager = m_manager;
    if (!m_repaintMark.exchange(true, std::memory_order_relaxed) && manager != nullptr) {
        manager->NoteRepaintMark(this);
    }
}

bool CControlUI::TakeRepaintMark() {
    return m_repaintMark.exchange(false, std::memory_order_relaxed);
}

void CControlUI::NeedUpdate() {
    if (m_manager != nullptr) {
        m_manager->NeedUpdate();
    }
    Invalidate();
}

void CControlUI::NeedParentUpdate() {
    if (m_manager != nullptr) {
        m_manager->NeedUpdate();
    }
}

void CControlUI::DoPaint(PaintContext& context, const UiRect& /*paint*/) {
    PaintBkColor(context);
    PaintBkImage(context);
    PaintStatusImage(context);
    PaintText(context);
    PaintBorder(context);
}

void CControlUI::PaintBkColor(PaintContext& context) {
    FillBackground(context, m_bkColor);
}

void CControlUI::FillBackground(PaintContext& context, Argb colour) {
    if ((colour >> 24) == 0) {
        return;
    }
    if (m_borderRound.cx > 0 || m_borderRound.cy > 0) {
        qt::FillRoundedRect(context.Painter(), qt::ToQRect(m_rcItem), Scale(m_borderRound.cx) / 2.0,
                            Scale(m_borderRound.cy) / 2.0, qt::ToQColor(colour));
        return;
    }
    CRenderEngine::DrawColor(context, m_rcItem, colour);
}

void CControlUI::PaintBkImage(PaintContext& context) {
    if (!m_bkImage.empty()) {
        DrawImage(context, m_bkImage);
    }
}

void CControlUI::PaintStatusImage(PaintContext& /*context*/) {}

void CControlUI::PaintForeColor(PaintContext& context) {
    CRenderEngine::DrawColor(context, m_rcItem, m_foreColor);
}

void CControlUI::PaintForeImage(PaintContext& context) {
    if (!m_foreImage.empty()) {
        DrawImage(context, m_foreImage);
    }
}

void CControlUI::PaintText(PaintContext& /*context*/) {}

void CControlUI::PaintBorder(PaintContext& context) {
    if (m_borderSize <= 0 || (m_borderColor >> 24) == 0) {
        return;
    }
    const int size = std::max(1, Scale(m_borderSize));
    if (m_borderRound.cx > 0 || m_borderRound.cy > 0) {
        CRenderEngine::DrawRoundRect(context, m_rcItem, size,
                                     UiSize{Scale(m_borderRound.cx), Scale(m_borderRound.cy)},
                                     m_borderColor);
    } else {
        CRenderEngine::DrawRect(context, m_rcItem, size, m_borderColor);
    }
}

bool CControlUI::DrawImage(PaintContext& context, std::string_view image) {
    return CRenderEngine::DrawImageString(context, m_manager, m_rcItem, m_rcItem, image);
}

void CControlUI::DoEvent(TEventUI& event) {
    switch (event.type) {
        case EventType::SetFocus:
            SendNotify(msgtype::kSetFocus);
            Invalidate();
            return;
        case EventType::KillFocus:
            SendNotify(msgtype::kKillFocus);
            Invalidate();
            return;
        case EventType::MouseEnter:
            SetHot(true);
            if (NotifiesHover()) {
                SendNotify(msgtype::kMouseEnter);
            }
            return;
        case EventType::MouseLeave:
            SetHot(false);
            if (NotifiesHover()) {
                SendNotify(msgtype::kMouseLeave);
            }
            return;
        default:
            break;
    }
    if (m_parent != nullptr) {
        m_parent->DoEvent(event);
    }
}

void CControlUI::SetManager(CPaintManagerUI* manager, CContainerUI* parent, bool init) {
    if (m_manager != manager) {
        if (m_manager != nullptr) {
            m_manager->UnregisterName(this);
            m_manager->ForgetRepaintMark(this);
        }
        // Painted in full in its new window: only a mark set from now on
        // counts there.
        m_repaintMark.store(false, std::memory_order_relaxed);
    }
    const bool joined = manager != nullptr && m_manager != manager;
    m_manager = manager;
    m_parent = parent;
    if (joined) {
        m_manager->RegisterName(this);
    }
    if (init && manager != nullptr && !m_initialised) {
        m_initialised = true;
        DoInit();
    }
}

CControlUI* CControlUI::FindControlByName(std::string_view name) {
    return m_name == name ? this : nullptr;
}

CControlUI* CControlUI::FindControlAt(UiPoint pt) {
    if (!IsVisible() || !m_mouseEnabled) {
        return nullptr;
    }
    const bool inside = pt.x >= m_rcItem.left && pt.x < m_rcItem.right && pt.y >= m_rcItem.top &&
                        pt.y < m_rcItem.bottom;
    return inside ? this : nullptr;
}

void CControlUI::SetHot(bool hot) {
    if (m_hot != hot) {
        m_hot = hot;
        Invalidate();
    }
}

void CControlUI::SendNotify(std::string_view type, WParam wParam, LParam lParam) {
    if (m_manager != nullptr) {
        m_manager->SendNotify(this, type, wParam, lParam);
    }
}

int CControlUI::Scale(int value) const {
    return m_manager != nullptr ? m_manager->ScaleValue(value) : value;
}

}  // namespace varlok::ui
