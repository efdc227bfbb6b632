#pragma once

// The dialogs page logic speaks to the user through. The application
// implements it with its own message box and colour dialog, owned by the
// main window; tests answer it themselves.

#include <optional>
#include <span>
#include <string_view>

#include "ui/uitypes.h"

namespace varlok::ui {

// Thread affinity: the UI thread. Every call that shows a window returns once
// it is closed again (the event loop runs meanwhile).
class DialogService {
public:
    static constexpr int kConfirmed = 1;
    static constexpr int kDismissed = 0;

    virtual ~DialogService() = default;

    // A modal message box showing a language key: kConfirmed for its confirm
    // button, kDismissed otherwise.
    virtual int ShowMessage(std::string_view key) = 0;
    // A message box that closes itself about half a second after it appears.
    virtual void ShowTimedMessage(std::string_view key) = 0;
    // The colour dialog, opened beside the mouse pointer with `initial`
    // shown: the colour chosen, or std::nullopt when it was closed otherwise.
    [[nodiscard]] virtual std::optional<Argb> PickColour(Argb initial) = 0;
    // The preset colours offered by the colour dialog and the lighting page
    // (opaque ARGB).
    [[nodiscard]] virtual std::span<const Argb> PresetColours() const = 0;
};

}  // namespace varlok::ui
