#pragma once

// A control that carries a window of its own (a foreign widget) at its
// place: whenever the control moves or is shown or hidden, the window
// follows. The control does not own the window; a window destroyed elsewhere
// is simply forgotten. Attach one with qt::AttachHostedWindow (ui/qt/wndhost.h).

#include <memory>

#include "ui/controlui.h"

namespace varlok::ui {

class CWndUI : public CControlUI {
public:
    CWndUI();
    ~CWndUI() override;

    [[nodiscard]] std::string_view GetClass() const override;
    void SetPos(const UiRect& rc) override;
    void SetVisible(bool visible = true) override;
    void SetInternVisible(bool visible = true) override;

    // Qt side (ui/qt/wndhost.h).
    struct Hosted;
    [[nodiscard]] Hosted& Internals() { return *m_hosted; }
    // Moves the window to the control's rectangle (in screen coordinates
    // when it is not a child of the control's window), without activating
    // it or changing its stacking, and shows it exactly while the control is
    // visible. Nothing without a window.
    void SyncWindow();

private:
    std::unique_ptr<Hosted> m_hosted;
};

}  // namespace varlok::ui
