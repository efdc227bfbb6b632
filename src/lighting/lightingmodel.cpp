#include "lighting/lightingmodel.h"

namespace varlok::lighting {

using settings::MouseChange;
using settings::Touch;

LightingModel::LightingModel(settings::MouseModel& model, EffectState& effects)
    : m_model(model),
      m_effects(effects),
      m_subscription(m_model.Subscribe([this](MouseChange changed) {
          if (settings::HasAny(changed, MouseChange::Settings)) {
              // The views are about to show the replaced settings: they are
              // told nothing more.
              StoreMode(Settings().Mode(), ModeList::Showing);
              Changed(MouseChange::None);
          }
      })) {}

void LightingModel::Changed(MouseChange changed) {
    m_model.NoteChange(Touch::Record | Touch::LightingProfile | Touch::DeviceProfile, changed);
}

void LightingModel::StoreMode(std::uint8_t mode, ModeList list) {
    ResetEffectState(m_effects);
    if (list == ModeList::Showing && mode == static_cast<std::uint8_t>(LightingMode::Wave)) {
        // The wave then runs as a rainbow, whatever colour was set.
        Edit().SetSevenColour(LightingSettings::kSevenColourFromModeList);
    }
    Edit().SetMode(mode);
}

void LightingModel::ChooseMode(std::uint8_t mode, ModeList list) {
    StoreMode(mode, list);
    Changed();
}

void LightingModel::SetBrightness(std::uint8_t level) {
    Edit().SetBrightness(level);
    Changed();
}

void LightingModel::SetSpeed(std::uint8_t level) {
    Edit().SetSpeed(level);
    Changed();
}

void LightingModel::SetSevenColour(bool seven) {
    Edit().SetSevenColour(seven ? 1 : 0);
    Changed();
}

void LightingModel::StoreDirection(bool left) {
    Edit().SetDirectionLeft(left);
    ResetEffectState(m_effects);
}

void LightingModel::SetDirection(bool left) {
    StoreDirection(left);
    Changed();
}

void LightingModel::SetDirectionByButton(std::uint8_t direction) {
    Edit().SetDirectionLeft(direction != 0);
    m_model.NoteChange(Touch::Record | Touch::LightingProfile, MouseChange::Record);
}

void LightingModel::ChooseZone(MouseZone zone) {
    m_model.Mirror().mouseZoneSlot.Set(static_cast<std::uint8_t>(zone));
    m_model.NoteChange(Touch::DeviceProfile, MouseChange::Record);
}

void LightingModel::StoreZoneColour(std::uint8_t zone, Rgb colour, std::uint8_t mask) {
    // A picked colour is a single colour: the effect stops cycling colours.
    LightingSettings settings = Edit();
    settings.SetSevenColour(0);
    const auto merge = [&](Rgb stored) {
        return Rgb{(mask & kRed) != 0 ? colour.red : stored.red,
                   (mask & kGreen) != 0 ? colour.green : stored.green,
                   (mask & kBlue) != 0 ? colour.blue : stored.blue};
    };
    switch (zone) {
        case static_cast<std::uint8_t>(MouseZone::Wheel):
            settings.SetWheelColour(merge(settings.WheelColour()));
            break;
        case static_cast<std::uint8_t>(MouseZone::Logo):
            settings.SetLogoColour(merge(settings.LogoColour()));
            break;
        case static_cast<std::uint8_t>(MouseZone::Bottom):
            settings.SetColour(merge(settings.Colour()));
            break;
        default:
            // No zone is selected: no colour changes.
            break;
    }
}

void LightingModel::PickColour(Rgb colour, std::uint8_t mask) {
    const std::uint8_t zone =
        Settings().Mode() == static_cast<std::uint8_t>(LightingMode::StaticZones)
            ? ZoneSlot()
            : static_cast<std::uint8_t>(MouseZone::Bottom);
    StoreZoneColour(zone, colour, mask);
    Changed();
}

void LightingModel::ApplyChange(const EffectChange& change) {
    LightingSettings settings = Edit();
    if (change.mode) {
        StoreMode(*change.mode, ModeList::Showing);
    }
    if (change.brightness) {
        settings.SetBrightness(*change.brightness);
    }
    if (change.speed) {
        settings.SetSpeed(*change.speed);
    }
    if (change.left) {
        StoreDirection(*change.left);
    }
    if (change.colour) {
        StoreZoneColour(static_cast<std::uint8_t>(MouseZone::Bottom), *change.colour, kAllChannels);
    }
    if (change.wheel) {
        StoreZoneColour(static_cast<std::uint8_t>(MouseZone::Wheel), *change.wheel, kAllChannels);
    }
    if (change.logo) {
        StoreZoneColour(static_cast<std::uint8_t>(MouseZone::Logo), *change.logo, kAllChannels);
    }
    if (change.sevenColour) {
        settings.SetSevenColour(*change.sevenColour ? 1 : 0);
    }
    Changed();
}

}  // namespace varlok::lighting
