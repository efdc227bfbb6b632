#include "ui/trayicon.h"

#include <array>
#include <mutex>
#include <utility>

#include <QApplication>
#include <QIcon>
#include <QStyle>

#include "ui/qt/trayiconimpl.h"

namespace varlok::ui {

namespace {

struct ReasonMessage {
    QSystemTrayIcon::ActivationReason reason;
    MessageId message;
};

constexpr std::array kReasonMessages = {
    ReasonMessage{QSystemTrayIcon::Trigger, WM_LBUTTONUP},
    ReasonMessage{QSystemTrayIcon::Context, WM_RBUTTONUP},
    ReasonMessage{QSystemTrayIcon::DoubleClick, WM_LBUTTONDBLCLK},
    ReasonMessage{QSystemTrayIcon::MiddleClick, WM_MBUTTONUP},
};

std::mutex g_overrideMutex;
std::optional<bool> g_availableOverride;

QIcon LoadIcon(std::string_view path, bool& loaded) {
    QIcon icon(QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size())));
    loaded = !path.empty() && !icon.availableSizes().isEmpty();
    if (!loaded) {
        icon = QApplication::style()->standardIcon(QStyle::SP_ComputerIcon);
    }
    return icon;
}

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

std::optional<MessageId> qt::TrayMouseMessage(QSystemTrayIcon::ActivationReason reason) {
    for (const ReasonMessage& entry : kReasonMessages) {
        if (entry.reason == reason) {
            return entry.message;
        }
    }
    return std::nullopt;
}

CTrayIcon::CTrayIcon() = default;

CTrayIcon::~CTrayIcon() = default;

bool CTrayIcon::Create(WindowHandle owner, std::string_view iconPath, std::string_view toolTip,
                       MessageId message, WParam id) {
    m_impl = std::make_unique<Impl>();
    m_impl->owner = owner;
    m_impl->message = message;
    m_impl->id = id;
    bool loaded = false;
    m_impl->icon.setIcon(LoadIcon(iconPath, loaded));
    m_impl->icon.setToolTip(ToQString(toolTip));
    Impl* impl = m_impl.get();
    QObject::connect(&impl->icon, &QSystemTrayIcon::activated,
                     [impl](QSystemTrayIcon::ActivationReason reason) {
                         if (const auto mouse = qt::TrayMouseMessage(reason)) {
                             impl->owner.Post(impl->message, impl->id, static_cast<LParam>(*mouse));
                         }
                     });
    return loaded;
}

void CTrayIcon::Delete() {
    m_impl.reset();
}

bool CTrayIcon::IsCreated() const {
    return m_impl != nullptr;
}

void CTrayIcon::Show() {
    if (m_impl) {
        m_impl->icon.show();
    }
}

void CTrayIcon::Hide() {
    if (m_impl) {
        m_impl->icon.hide();
    }
}

bool CTrayIcon::IsVisible() const {
    return m_impl && m_impl->icon.isVisible();
}

void CTrayIcon::SetToolTip(std::string_view toolTip) {
    if (m_impl) {
        m_impl->icon.setToolTip(ToQString(toolTip));
    }
}

std::string CTrayIcon::ToolTip() const {
    return m_impl ? m_impl->icon.toolTip().toStdString() : std::string();
}

bool CTrayIcon::SetIcon(std::string_view iconPath) {
    if (!m_impl) {
        return false;
    }
    bool loaded = false;
    m_impl->icon.setIcon(LoadIcon(iconPath, loaded));
    return loaded;
}

bool CTrayIcon::IsSystemTrayAvailable() {
    {
        const std::lock_guard lock(g_overrideMutex);
        if (g_availableOverride) {
            return *g_availableOverride;
        }
    }
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void CTrayIcon::OverrideSystemTrayAvailable(std::optional<bool> available) {
    const std::lock_guard lock(g_overrideMutex);
    g_availableOverride = available;
}

}  // namespace varlok::ui
