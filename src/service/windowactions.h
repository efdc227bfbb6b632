#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "lighting/effectchange.h"
#include "lighting/lightingsettings.h"
#include "profiles/profilecategory.h"

namespace varlok::service {

// What the bus service asks of the running window. Every change goes the way
// the window's own control for it goes (the same page function), so that the
// window shows it at once, the selected profiles are saved and the mouse gets
// it with the next flush. The service has checked the arguments: stages are
// 1-7, positions within the slider, indices within their lists.
//
// Thread affinity: the UI thread.
class WindowActions {
public:
    virtual ~WindowActions() = default;

    // What the service shows but cannot read from the mirror or the store.
    [[nodiscard]] virtual bool IsSimulated() const = 0;
    // The entry the category's list shows chosen, or nothing when it shows
    // none (the store's selection then names the selected profile).
    [[nodiscard]] virtual std::optional<int> ChosenProfile(
        profiles::ProfileCategory category) const = 0;
    // The executable of the program in front, "" when none is known.
    [[nodiscard]] virtual std::string ForegroundProgram() const = 0;

    // A stage's DPI slider to a position of the DPI table.
    virtual void SetStageDpi(int stage, int position) = 0;
    // A stage's indicator colour, as its colour button's dialog sets it.
    virtual void SetStageColour(int stage, lighting::Rgb colour) = 0;
    // The current DPI stage.
    virtual void SetCurrentDpiStage(int stage) = 0;
    // The report-rate list to an entry.
    virtual void SetReportRate(int index) = 0;
    // An onboard profile's button (0-4).
    virtual void SelectOnboardProfile(int index) = 0;
    // A profile file's body into the live settings as a load of its kind
    // does, sent and saved in the selected profile of its kind.
    virtual void ApplyProfile(profiles::ProfileCategory category,
                              std::span<const std::uint8_t> body) = 0;
    // Chooses an entry of a profile list as the user does in the list.
    virtual void ChooseProfile(profiles::ProfileCategory category, int index) = 0;
    virtual void ChangeLighting(const lighting::EffectChange& change) = 0;
    // The key page's send button. The refusal's text when the upload was
    // refused (nothing more was sent), else nothing.
    [[nodiscard]] virtual std::optional<std::string> Upload() = 0;
    // The program at path (empty: none) is in front.
    virtual void SetForegroundProgram(std::string path) = 0;
};

}  // namespace varlok::service
