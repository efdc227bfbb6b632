#include "app/dialoghooks.h"

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "app/copyright.h"
#include "app/mainwnd.h"
#include "app/skinframe.h"
#include "app/skinreceiver.h"
#include "app/skinsettings.h"

namespace varlok::app {

namespace {

// Keeps windows the user closes by themselves (popups, About windows) until
// they are completely gone: destroying one while its close is still under
// way would leave the UI library calling into a dead object.
template <typename Window>
class WindowKeeper {
public:
    Window& Keep(std::unique_ptr<Window> window) {
        std::erase_if(m_windows, [](const auto& held) { return held->IsFinished(); });
        m_windows.push_back(std::move(window));
        return *m_windows.back();
    }
    // Closes every window still open (they stay kept until gone).
    void CloseAll() {
        for (const auto& window : m_windows) {
            window->Close(window->DismissCode());
        }
    }

private:
    std::vector<std::unique_ptr<Window>> m_windows;
};

struct HookState {
    explicit HookState(std::filesystem::path ini) : mainIni(std::move(ini)) {}
    std::filesystem::path mainIni;
    std::map<const ui::WindowImplBase*, std::unique_ptr<WindowSkinReceiver>> receivers;
    WindowKeeper<CSkinFrame> popups;
    WindowKeeper<Ccopyright> aboutWindows;
};

}  // namespace

void InstallShellHooks(ShellHooks& hooks, const std::filesystem::path& mainIni) {
    auto state = std::make_shared<HookState>(mainIni);

    hooks.registerSkinReceiver = [state](CMainWnd& window) {
        auto& slot = state->receivers[&window];
        slot = std::make_unique<WindowSkinReceiver>(window);
        SkinPublisher().RegisterReceiver(slot.get());
    };
    hooks.unregisterSkinReceiver = [state](CMainWnd& window) { state->receivers.erase(&window); };
    hooks.applySavedBackground = [state](CMainWnd& window) {
        ApplyStartupSkin(window.GetPaintManager().FindControl(WindowSkinReceiver::kRootName),
                         SkinSettings(state->mainIni));
    };
    hooks.openSkinFrame = [state](CMainWnd& window, ui::CControlUI& skinButton) {
        state->popups.CloseAll();
        auto& popup =
            state->popups.Keep(std::make_unique<CSkinFrame>(SkinPublisher(), state->mainIni));
        popup.Open(window, skinButton);
    };
    hooks.openAbout = [state](CMainWnd& window) {
        auto& about = state->aboutWindows.Keep(std::make_unique<Ccopyright>());
        about.Open(window);
    };
}

}  // namespace varlok::app
