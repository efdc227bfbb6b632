#pragma once

#include <string_view>
#include <vector>

#include "device/devicelink.h"
#include "platform/busobject.h"
#include "profiles/profilestore.h"
#include "service/windowactions.h"
#include "settings/mousemirror.h"

namespace varlok::service {

// Where the properties come from.
struct SnapshotSources {
    const settings::MouseMirror& mirror;
    const profiles::ProfileStore& store;
    const device::DeviceLink& link;
    const WindowActions& window;
};

// Every property of the interface with its value now. UI thread (the mirror
// and the store are the UI thread's).
[[nodiscard]] platform::BusProperties TakeSnapshot(const SnapshotSources& sources);

// The properties of `after` whose value differs from `before`'s (or that
// `before` lacks).
[[nodiscard]] platform::BusProperties ChangedProperties(const platform::BusProperties& before,
                                                        const platform::BusProperties& after);

// The properties' names, in the order of the interface.
[[nodiscard]] std::vector<std::string_view> PropertyNames();

}  // namespace varlok::service
