#pragma once

#include "ui/dialogservice.h"
#include "ui/windowimplbase.h"

namespace varlok::app {

// The dialogs the pages speak through, as this program's own windows owned
// by one window (the main window): CMsgWnd message boxes, the timed variant,
// the CPalletDialog colour dialog at the mouse pointer and its preset
// colours. UI thread only.
class MainWindowDialogs : public ui::DialogService {
public:
    // owner must outlive this object.
    explicit MainWindowDialogs(ui::WindowImplBase& owner) : m_owner(owner) {}

    int ShowMessage(std::string_view key) override;
    void ShowTimedMessage(std::string_view key) override;
    [[nodiscard]] std::optional<ui::Argb> PickColour(ui::Argb initial) override;
    [[nodiscard]] std::span<const ui::Argb> PresetColours() const override;

private:
    ui::WindowImplBase& m_owner;
};

}  // namespace varlok::app
