#pragma once

#include <cstdint>

#include "lighting/effectchange.h"
#include "lighting/effectstate.h"
#include "lighting/lightingsettings.h"
#include "settings/mousemodel.h"

namespace varlok::lighting {

// The lists a mode is chosen from: the one that shows the mode's controls,
// whose wave turns the colour cycling on, and the two that enable groups of
// controls instead and keep the colour choice.
enum class ModeList { Showing, Enabling };

// The lighting settings as the lighting section and the bus service change
// them: each change stores its bytes, resets the running effect where a new
// mode or direction restarts it, and records with the model what the change
// has always sent and saved (the record, the lighting and device profiles).
// It also keeps the rule that the lighting section's refresh has always
// carried: whenever the live settings are replaced (a read of the mouse, a
// profile loaded or reset), the mode is chosen again as the showing list
// chooses it, so the effect restarts, the wave runs as a rainbow, and the
// record is sent and both profiles saved once more.
//
// Thread affinity: the UI thread (the model's).
class LightingModel {
public:
    static constexpr std::uint8_t kRed = 0b100;
    static constexpr std::uint8_t kGreen = 0b010;
    static constexpr std::uint8_t kBlue = 0b001;
    static constexpr std::uint8_t kAllChannels = kRed | kGreen | kBlue;

    // model and effects must outlive this object; built before the views
    // that show the lighting, so that the rule runs before they show it.
    LightingModel(settings::MouseModel& model, EffectState& effects);

    [[nodiscard]] const LightingSettings Settings() const {
        return LightingSettings(m_model.Mirror().settingsRecord);
    }
    // The zone the colour goes to in the static-zones mode (a MouseZone, or
    // any other value when a file or the mouse left one no zone has).
    [[nodiscard]] std::uint8_t ZoneSlot() const { return m_model.Mirror().mouseZoneSlot.Get(); }
    [[nodiscard]] settings::MouseModel& Model() const { return m_model; }
    [[nodiscard]] EffectState& Effects() const { return m_effects; }

    void ChooseMode(std::uint8_t mode, ModeList list);
    void SetBrightness(std::uint8_t level);
    // 0 is the fastest.
    void SetSpeed(std::uint8_t level);
    // The seven-colour check: 1 when ticked.
    void SetSevenColour(bool seven);
    // The direction checks; the effect restarts.
    void SetDirection(bool left);
    // The direction buttons of skins that have them set the byte the other
    // way round from the checks (the left button 0, the right one 1) and
    // leave the effect running; only the lighting profile is saved.
    void SetDirectionByButton(std::uint8_t direction);
    // The zone the colour goes to: a setting of the host kept with the device
    // profile; the record does not change.
    void ChooseZone(MouseZone zone);
    // A picked colour's channels that mask names: the colour cycling stops;
    // outside the static-zones mode the colour is the single colour (the
    // bottom zone's), in it the zone slot's, and no colour changes when the
    // slot names no zone (the change is still sent and saved).
    void PickColour(Rgb colour, std::uint8_t mask);
    // A change of several settings at once (the bus service's), each part
    // made as its control makes it, sent and saved once.
    void ApplyChange(const EffectChange& change);

private:
    [[nodiscard]] LightingSettings Edit() const {
        return LightingSettings(m_model.Mirror().settingsRecord);
    }
    // Stores the mode as the list chooses it, without recording.
    void StoreMode(std::uint8_t mode, ModeList list);
    void StoreDirection(bool left);
    void StoreZoneColour(std::uint8_t zone, Rgb colour, std::uint8_t mask);
    // Records the record and both profile saves.
    void Changed(settings::MouseChange changed = settings::MouseChange::Record);

    settings::MouseModel& m_model;
    EffectState& m_effects;
    settings::MouseModel::Subscription m_subscription;
};

}  // namespace varlok::lighting
