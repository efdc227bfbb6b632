#pragma once

namespace varlok::settings {

// The profile store as the settings see it: the selected profiles mirror the
// live settings, so every change is followed by a save. The profile store
// implements it; the settings never touch profile files themselves.
//
// Thread affinity: the UI thread.
class ProfileSaves {
public:
    virtual ~ProfileSaves() = default;

    // Writes the live settings into the selected device profile (.config).
    virtual void SaveDeviceProfile() = 0;
    // Writes the live settings into the selected lighting profile (.led).
    virtual void SaveLightingProfile() = 0;
    // Writes key table 0 into the selected key profile (.pro).
    virtual void SaveKeyProfile() = 0;
};

}  // namespace varlok::settings
