#pragma once

// A window for tests: builds a given layout, records every notification and
// every custom message, and lets a test supply the builder callback.

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ui/controlui.h"
#include "ui/windowimplbase.h"
#include "ui/windowmessages.h"

namespace varlok::ui::test {

struct RecordedNotify {
    std::string type;
    std::string sender;
    WParam wParam = 0;
    LParam lParam = 0;
};

class TestWindow : public WindowImplBase {
public:
    explicit TestWindow(std::string layout) : m_layout(std::move(layout)) {}

    std::vector<RecordedNotify> notifications;
    std::vector<MessageId> messages;
    // wParam and lParam of each WM_ACTIVATE, in order.
    std::vector<std::pair<WParam, LParam>> activations;
    // Runs after a WM_ACTIVATE was recorded; it may close or destroy the
    // window.
    std::function<void(WParam)> onActivate;
    std::vector<std::uintptr_t> timers;
    int initWindowCalls = 0;
    int finalMessageCalls = 0;
    std::function<std::unique_ptr<CControlUI>(std::string_view)> createControl;
    std::function<void(TNotifyUI&)> onNotify;
    // Runs last in OnFinalMessage; it may destroy the window object.
    std::function<void()> onFinalMessage;

    // Notifications of one type, in order.
    [[nodiscard]] std::vector<RecordedNotify> Of(std::string_view type) const {
        std::vector<RecordedNotify> result;
        for (const auto& n : notifications) {
            if (n.type == type) {
                result.push_back(n);
            }
        }
        return result;
    }
    // "type:sender" of every notification except hover and focus, joined by spaces.
    [[nodiscard]] std::string Trace() const {
        std::string trace;
        for (const auto& n : notifications) {
            if (n.type == "msenter" || n.type == "msleave" || n.type == "setfocus" ||
                n.type == "killfocus" || n.type == "windowsize" || n.type == "windowinit") {
                continue;
            }
            if (!trace.empty()) {
                trace += ' ';
            }
            trace += n.type + ":" + n.sender;
        }
        return trace;
    }

    void Notify(TNotifyUI& msg) override {
        notifications.push_back({msg.sType,
                                 msg.pSender != nullptr ? msg.pSender->GetName() : std::string(),
                                 msg.wParam, msg.lParam});
        if (onNotify) {
            onNotify(msg);
        }
        WindowImplBase::Notify(msg);
    }
    std::unique_ptr<CControlUI> CreateControl(std::string_view className) override {
        return createControl ? createControl(className) : nullptr;
    }

protected:
    std::string GetWindowClassName() const override { return "TestWnd"; }
    std::string GetSkinFile() override { return m_layout; }
    void InitWindow() override { ++initWindowCalls; }
    void OnFinalMessage() override {
        ++finalMessageCalls;
        if (onFinalMessage) {
            const std::function<void()> hook = std::move(onFinalMessage);
            hook();
        }
    }
    LResult HandleCustomMessage(MessageId message, WParam wParam, LParam lParam,
                                bool& handled) override {
        messages.push_back(message);
        handled = false;
        if (message == WM_ACTIVATE) {
            activations.emplace_back(wParam, lParam);
            if (onActivate) {
                // A copy: the hook may destroy this window and itself with it.
                const std::function<void(WParam)> hook = onActivate;
                hook(wParam);
            }
        }
        return 0;
    }
    void OnTimer(std::uintptr_t id) override { timers.push_back(id); }

private:
    std::string m_layout;
};

}  // namespace varlok::ui::test
