#include "settings/mousemodel.h"

#include <algorithm>
#include <utility>

namespace varlok::settings {

namespace {

constexpr Touch kProfileSaves = Touch::DeviceProfile | Touch::LightingProfile | Touch::KeyProfile;
constexpr Touch kDeviceTables = Touch::KeySlots | Touch::MacroTable | Touch::CursorTable;
// Where one change asks for several saves they run in this order: the
// settings pages have always saved the lighting profile before the device
// profile, and a key profile before the device profile that holds its keys.
constexpr std::array kSaveOrder{Touch::KeyProfile, Touch::LightingProfile, Touch::DeviceProfile};

std::uint8_t Byte(int value) {
    return static_cast<std::uint8_t>(std::clamp(value, 0, 0xFF));
}

}  // namespace

struct MouseModel::Subscription::Observers {
    std::size_t nextId = 1;
    std::vector<std::pair<std::size_t, std::shared_ptr<const Observer>>> list;
};

MouseModel::Subscription::~Subscription() {
    Reset();
}

MouseModel::Subscription::Subscription(Subscription&& other) noexcept
    : m_observers(std::move(other.m_observers)), m_id(std::exchange(other.m_id, 0)) {}

MouseModel::Subscription& MouseModel::Subscription::operator=(Subscription&& other) noexcept {
    if (this != &other) {
        Reset();
        m_observers = std::move(other.m_observers);
        m_id = std::exchange(other.m_id, 0);
    }
    return *this;
}

void MouseModel::Subscription::Reset() {
    if (const std::shared_ptr<Observers> observers = m_observers.lock()) {
        std::erase_if(observers->list, [this](const auto& entry) { return entry.first == m_id; });
    }
    m_observers.reset();
    m_id = 0;
}

MouseModel::MouseModel(MouseMirror& mirror, ConfigurationExchange& exchange, ProfileSaves& saves,
                       DesktopApplier& desktop, device::DeviceLink& mouseLink)
    : m_mirror(mirror),
      m_exchange(exchange),
      m_saves(saves),
      m_desktop(desktop),
      m_link(mouseLink),
      m_observers(std::make_shared<Subscription::Observers>()) {}

MouseModel::~MouseModel() = default;

void MouseModel::SetStageDpi(int stage, int position) {
    PerformanceSettings(m_mirror.settingsRecord).SetStagePosition(stage, position);
    NoteChange(Touch::Record | Touch::LightingProfile | Touch::DeviceProfile, MouseChange::Record);
}

void MouseModel::SetStageColour(int stage, Rgb colour) {
    PerformanceSettings(m_mirror.settingsRecord).SetStageColour(stage, colour);
    NoteChange(Touch::Record | Touch::DeviceProfile, MouseChange::Record);
}

void MouseModel::SetReportRate(int index) {
    PerformanceSettings(m_mirror.settingsRecord)
        .SetReportRateIndex(static_cast<std::uint8_t>(index));
    NoteChange(Touch::Record | Touch::LightingProfile | Touch::DeviceProfile, MouseChange::Record);
}

void MouseModel::SetCurrentStage(int stage) {
    PerformanceSettings(m_mirror.settingsRecord).SetCurrentStage(stage);
    NoteChange(Touch::Record | Touch::LightingProfile | Touch::DeviceProfile, MouseChange::Record);
}

void MouseModel::SetPointerSpeed(int speed) {
    m_mirror.pointerSpeed.Set(Byte(speed));
    m_desktop.ApplyPointerSpeedLater();
    NoteChange(Touch::LightingProfile | Touch::DeviceProfile, MouseChange::Record);
}

void MouseModel::SetWheelLines(int lines, WheelLinesFrom from) {
    m_mirror.wheelLines.Set(Byte(std::clamp(lines, 1, kMaxWheelLines)));
    m_desktop.ApplyWheelLinesLater();
    NoteChange(from == WheelLinesFrom::Steps ? Touch::LightingProfile | Touch::DeviceProfile
                                             : Touch::DeviceProfile,
               MouseChange::Record);
}

void MouseModel::RestoreDefaults() {
    m_desktop.ApplyPointerSpeedNow(platform::DesktopSettings::kDefaultPointerSpeed);
    m_desktop.ApplyWheelLinesNow(kDefaultWheelLines);
    static_cast<void>(m_link.RestoreDefaults());
}

void MouseModel::Record(Touch touched) {
    if (HasAny(touched, Touch::Record)) {
        m_mirror.settingsDirty.Mark();
    }
    if (HasAny(touched, Touch::Record | kProfileSaves) && !m_commitRequested && m_commitRequest) {
        m_commitRequested = true;
        m_commitRequest();
    }
    m_touched |= Without(touched, Touch::Record);
    for (const Touch save : kSaveOrder) {
        if (HasAny(touched, save)) {
            // A save asked for again moves behind the others: the last one
            // asked for runs last, as it did when saves ran at once.
            std::erase(m_saveOrder, save);
            m_saveOrder.push_back(save);
        }
    }
}

void MouseModel::NoteChange(Touch touched, MouseChange changed) {
    Record(touched);
    Notify(changed);
}

void MouseModel::Notify(MouseChange changed) {
    if (changed == MouseChange::None) {
        return;
    }
    // Observers may subscribe and unsubscribe while being told: each one
    // still subscribed when its turn comes is called.
    const auto observers = m_observers->list;
    for (const auto& [id, observer] : observers) {
        const bool subscribed = std::ranges::any_of(
            m_observers->list, [id = id](const auto& entry) { return entry.first == id; });
        if (subscribed) {
            (*observer)(changed);
        }
    }
}

MouseModel::Subscription MouseModel::Subscribe(Observer observer) {
    const std::size_t id = m_observers->nextId++;
    m_observers->list.emplace_back(id, std::make_shared<const Observer>(std::move(observer)));
    return Subscription(m_observers, id);
}

void MouseModel::SetCommitRequest(std::function<void()> request) {
    m_commitRequest = std::move(request);
}

void MouseModel::Commit() {
    ++m_commits;
    // A change the saves below set off asks for the next commit.
    m_commitRequested = false;
    // Sends only when the record was touched; a failed write is dropped and
    // the next change sends the whole record again.
    m_exchange.FlushSettings();
    SavePending();
}

void MouseModel::SavePending() {
    const std::vector<Touch> saves = std::exchange(m_saveOrder, {});
    m_touched = Without(m_touched, kProfileSaves);
    for (const Touch save : saves) {
        switch (save) {
            case Touch::DeviceProfile:
                m_saves.SaveDeviceProfile();
                break;
            case Touch::LightingProfile:
                m_saves.SaveLightingProfile();
                break;
            case Touch::KeyProfile:
                m_saves.SaveKeyProfile();
                break;
            default:
                break;
        }
    }
}

Touch MouseModel::Pending() const {
    return m_mirror.settingsDirty.IsSet() ? m_touched | Touch::Record : m_touched;
}

void MouseModel::SyncDevice() {
    SavePending();
    m_exchange.SyncDevice();
    TakeSensorBaseDpi(m_mirror.deviceInfo);
    Notify(MouseChange::FullRead | MouseChange::Settings | MouseChange::KeySlots);
}

void MouseModel::RefreshCurrentRecord() {
    SavePending();
    m_exchange.RefreshCurrentRecord();
    Notify(MouseChange::Settings);
}

void MouseModel::SelectOnboardProfile(int index) {
    SavePending();
    if (m_exchange.SelectOnboardProfile(index)) {
        Notify(MouseChange::Settings);
    }
}

void MouseModel::SaveToDevice() {
    SavePending();
    if (m_exchange.SaveToDevice()) {
        m_touched = Without(m_touched, kDeviceTables);
    }
}

}  // namespace varlok::settings
