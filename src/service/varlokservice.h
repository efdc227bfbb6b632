#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "device/devicelink.h"
#include "platform/buscall.h"
#include "platform/busobject.h"
#include "profiles/profilestore.h"
#include "service/busnames.h"
#include "service/windowactions.h"
#include "settings/mousemirror.h"

namespace varlok::service {

// The logic of the window's bus service: checks each call's arguments, has the
// window carry it out through WindowActions (or reads the mouse for the read
// methods), answers it with its result or a named error, and keeps the
// properties: a snapshot of the mirror, the profile store and the window's
// state, of which each Refresh publishes what changed. Knows no bus library:
// calls arrive as BusCalls, properties leave through a BusObject.
//
// Thread affinity: the UI thread, where the mirror and the window belong; the
// owner carries calls there.
class VarlokService {
public:
    // Every reference must outlive the service.
    VarlokService(WindowActions& window, settings::MouseMirror& mirror,
                  profiles::ProfileStore& store, device::DeviceLink& mouseLink);

    // The properties as they are now; also what Refresh compares with next.
    [[nodiscard]] platform::BusProperties TakeSnapshot();
    // Publications go to object from now on (nullptr: nowhere). The object is
    // assumed to hold the properties of the last TakeSnapshot, so the next
    // Refresh publishes whatever changed since that snapshot (the mouse may
    // connect on its worker between the two calls).
    void Attach(platform::BusObject* object);
    [[nodiscard]] bool IsAttached() const { return m_object != nullptr; }

    // Runs the call and answers it, then publishes what it changed.
    void Handle(platform::BusCall call);
    // Takes a new snapshot and publishes the properties that changed since
    // the last one. Nothing is published when nothing changed.
    void Refresh();

    // The methods the service answers, in the order of the interface.
    [[nodiscard]] static std::vector<std::string_view> MethodNames();

private:
    struct Method;
    static const Method kMethods[];

    void SetDpi(platform::BusCall& call);
    void SetStageColour(platform::BusCall& call);
    void SetDpiStage(platform::BusCall& call);
    void SetReportRate(platform::BusCall& call);
    void SelectOnboardProfile(platform::BusCall& call);
    void ApplyProfileFile(platform::BusCall& call);
    void SelectProfile(platform::BusCall& call);
    void SetLightingEffect(platform::BusCall& call);
    void Upload(platform::BusCall& call);
    void ReadDeviceInfo(platform::BusCall& call);
    void ReadSettings(platform::BusCall& call);
    void Dump(platform::BusCall& call);
    void SetForegroundProgram(platform::BusCall& call);
    void SetForegroundProcess(platform::BusCall& call);

    // False (and the call answered with NotConnected) when the mouse is absent.
    bool RequireMouse(platform::BusCall& call) const;
    // The highest DPI slider position the mouse's sensor offers.
    [[nodiscard]] int HighestDpiPosition() const;

    WindowActions& m_window;
    settings::MouseMirror& m_mirror;
    profiles::ProfileStore& m_store;
    device::DeviceLink& m_link;
    platform::BusObject* m_object = nullptr;
    platform::BusProperties m_snapshot;
};

// Answers call with the service error's name and message.
void Fail(platform::BusCall& call, ServiceError error, std::string message);

}  // namespace varlok::service
