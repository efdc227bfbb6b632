#include "profiles/liveprofiles.h"

#include <string>
#include <vector>

#include "profiles/applicationlinks.h"
#include "profiles/profilebody.h"

namespace varlok::profiles {

using settings::MouseChange;
using settings::Touch;

namespace {

std::size_t Slot(ProfileCategory category) {
    return static_cast<std::size_t>(category);
}

// The profile saves a body of the category is stored with when applied.
Touch SavesOf(ProfileCategory category) {
    switch (category) {
        case ProfileCategory::Device:
            return Touch::DeviceProfile;
        case ProfileCategory::Lighting:
            return Touch::LightingProfile;
        case ProfileCategory::Key:
            // The device profile holds the key table as well.
            return Touch::KeyProfile | Touch::DeviceProfile;
    }
    return Touch::None;
}

}  // namespace

LiveProfiles::LiveProfiles(ProfileStore& store, settings::MouseModel& model)
    : m_store(store), m_model(model), m_subscription(m_model.Subscribe([this](MouseChange changed) {
          if (settings::HasAny(changed, MouseChange::MouseConnected)) {
              ChooseStoredDeviceProfile();
              if (m_deviceProfileUnsent) {
                  SendDeviceProfile();
              }
          }
      })) {}

std::optional<int> LiveProfiles::Chosen(ProfileCategory category) const {
    return m_chosen[Slot(category)];
}

void LiveProfiles::Choose(ProfileCategory category, int index) {
    std::optional<int>& chosen = m_chosen[Slot(category)];
    if (chosen == index) {
        return;
    }
    if (index < 0 || index >= m_store.Count(category)) {
        chosen.reset();
        m_model.Notify(MouseChange::ProfileLists);
        return;
    }
    chosen = index;
    Select(category, index);
}

void LiveProfiles::ChooseAgain(ProfileCategory category) {
    if (const std::optional<int> chosen = Chosen(category)) {
        Select(category, *chosen);
    }
}

void LiveProfiles::EntryRemoved(ProfileCategory category, int index) {
    std::optional<int>& chosen = m_chosen[Slot(category)];
    if (chosen == index) {
        chosen.reset();
    } else if (chosen && *chosen > index) {
        --*chosen;
    }
}

void LiveProfiles::ChooseStoredDeviceProfile() {
    const int stored = m_store.SelectedIndex(ProfileCategory::Device);
    if (stored >= 0 && stored < m_store.Count(ProfileCategory::Device)) {
        Choose(ProfileCategory::Device, stored);
    }
}

void LiveProfiles::FollowProgram(std::string_view programPath) {
    constexpr ProfileCategory kDevice = ProfileCategory::Device;
    const int count = m_store.Count(kDevice);
    const int usersOwn = m_store.SelectedIndex(kDevice);
    const int target =
        LinkedEntryFor(m_store.Ini(), kDevice, count, programPath).value_or(usersOwn);
    if (target < 0 || target >= count || Chosen(kDevice) == target) {
        return;
    }
    Choose(kDevice, target);
    // Choosing stored the linked entry as the selection: the store keeps
    // naming the user's own, where settings changed meanwhile are saved and
    // to which leaving the program returns. What the choice left to save
    // belongs to the linked entry and is saved there first.
    m_model.SavePending();
    static_cast<void>(m_store.Ini().Write(CategoryInfo(kDevice).selectSection, kSelectKey,
                                          std::to_string(usersOwn)));
    m_model.Notify(MouseChange::ProfileLists);
}

void LiveProfiles::Select(ProfileCategory category, int index) {
    // Saves still waiting belong to the entry selected when they were made.
    m_model.SavePending();
    static_cast<void>(m_store.Ini().Write(CategoryInfo(category).selectSection, kSelectKey,
                                          std::to_string(index)));
    m_selecting = Selection{category, index};
    m_model.Notify(MouseChange::ProfileLists);
    m_selecting.reset();
    if (IsLinkedToNoProgram(m_store.Ini(), category, index)) {
        return;
    }
    // A failed load leaves the live settings as they were; they are shown
    // and sent all the same.
    static_cast<void>(m_store.Load(category, index));
    SendLoaded(category);
}

void LiveProfiles::SendLoaded(ProfileCategory category) {
    settings::DesktopApplier& desktop = m_model.Desktop();
    switch (category) {
        case ProfileCategory::Device: {
            m_model.Notify(MouseChange::DesktopSettings);
            desktop.ApplyPointerSpeedLater();
            desktop.ApplyWheelLinesLater();
            m_model.Notify(MouseChange::Settings);
            SendDeviceProfile();
            break;
        }
        case ProfileCategory::Lighting:
            // The pointer speed is the desktop's own here; the record goes
            // with the next commit.
            m_model.Notify(MouseChange::DesktopSettings);
            desktop.ApplyWheelLinesLater();
            m_model.Notify(MouseChange::Settings);
            m_model.NoteChange(Touch::Record, MouseChange::None);
            break;
        case ProfileCategory::Key:
            m_model.Notify(MouseChange::KeyProfileLoaded | MouseChange::KeySlots);
            SendKeyProfile();
            break;
    }
}

void LiveProfiles::SendDeviceProfile() {
    // Decided once: a mouse that connects halfway gets all of it on arrival,
    // not a key block now and the record later.
    const bool connected = m_model.MouseLink().IsConnected();
    m_deviceProfileUnsent = !connected;
    if (connected) {
        const settings::SettingsRecord::Bytes record = m_model.Mirror().settingsRecord.Snapshot();
        static_cast<void>(m_model.MouseLink().WriteSettings(record, 0));
    }
    m_model.NoteChange(Touch::Record, MouseChange::None);
    m_model.Notify(MouseChange::KeySlots);
    if (connected) {
        SendKeyProfile();
    } else {
        m_model.SavePending();
    }
}

void LiveProfiles::SendKeyProfile() {
    // The send takes the rest of the block's window into key table 0 as the
    // mouse holds it: what was asked to be saved before holds the keys as
    // they were taken, as it always has.
    m_model.SavePending();
    static_cast<void>(profiles::SendKeyProfile(m_model.MouseLink(), m_model.Mirror()));
}

void LiveProfiles::ApplyBody(ProfileCategory category, std::span<const std::uint8_t> body) {
    m_model.SavePending();
    m_store.TakeBody(category, body);
    SendLoaded(category);
    m_model.NoteChange(SavesOf(category), MouseChange::None);
}

ProfileReadResult LiveProfiles::Reset(ProfileCategory category) {
    std::vector<std::uint8_t> body(CategoryInfo(category).bodyLength, 0);
    const int runs = category == ProfileCategory::Device ? 2 : 1;
    for (int run = 0; run < runs; ++run) {
        if (const ProfileReadResult read = m_store.ReadDefault(category, body);
            read != ProfileReadResult::Loaded) {
            return read;
        }
        TakeDefault(category, body);
    }
    return ProfileReadResult::Loaded;
}

void LiveProfiles::TakeDefault(ProfileCategory category, std::span<const std::uint8_t> body) {
    m_model.SavePending();
    TakeProfileBody(category, body, m_model.Mirror(), BodyUse::Reset);
    switch (category) {
        case ProfileCategory::Device:
            m_model.NoteChange(Touch::DeviceProfile, MouseChange::None);
            m_model.Notify(MouseChange::Settings);
            m_model.NoteChange(Touch::Record, MouseChange::None);
            // Saved before the desktop's settings change: the entry keeps the
            // ones it had until the next save.
            m_model.SavePending();
            SetDesktopSettings(kResetPointerSpeed, kDeviceResetWheelLines);
            m_model.Notify(MouseChange::KeySlots);
            SendKeyProfile();
            break;
        case ProfileCategory::Lighting:
            m_model.NoteChange(Touch::LightingProfile | Touch::DeviceProfile, MouseChange::None);
            m_model.Notify(MouseChange::Settings);
            m_model.NoteChange(Touch::Record, MouseChange::None);
            m_model.SavePending();
            SetDesktopSettings(kResetPointerSpeed, kLightingResetWheelLines);
            break;
        case ProfileCategory::Key:
            m_model.NoteChange(Touch::KeyProfile, MouseChange::None);
            m_model.Notify(MouseChange::Settings);
            m_model.Notify(MouseChange::KeySlots);
            SendKeyProfile();
            break;
    }
}

void LiveProfiles::SetDesktopSettings(int pointerSpeed, int wheelLines) {
    settings::MouseMirror& mirror = m_model.Mirror();
    mirror.pointerSpeed.Set(static_cast<std::uint8_t>(pointerSpeed));
    mirror.wheelLines.Set(static_cast<std::uint8_t>(wheelLines));
    m_model.Notify(MouseChange::DesktopSettings);
    m_model.Desktop().ApplyPointerSpeedLater();
    m_model.Desktop().ApplyWheelLinesLater();
}

}  // namespace varlok::profiles
