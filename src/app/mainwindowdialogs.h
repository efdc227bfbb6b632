#pragma once

#include <string>
#include <vector>

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

    // While a capture is set, messages are collected there instead of shown
    // (in the interface language; a confirmation counts as dismissed) and no
    // colour dialog opens: what runs for a caller on the bus must not wait
    // for the user. nullptr ends the capture.
    void CaptureMessages(std::vector<std::string>* sink) { m_capture = sink; }

    int ShowMessage(std::string_view key) override;
    void ShowTimedMessage(std::string_view key) override;
    [[nodiscard]] std::optional<ui::Argb> PickColour(ui::Argb initial) override;
    [[nodiscard]] std::span<const ui::Argb> PresetColours() const override;

private:
    // True when the message was captured.
    bool Capture(std::string_view key);

    ui::WindowImplBase& m_owner;
    std::vector<std::string>* m_capture = nullptr;
};

}  // namespace varlok::app
