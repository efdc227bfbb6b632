#pragma once

#include <cstdint>

#include "device/mainwindowmessages.h"

namespace varlok::settings {

// What an upload that runs before the key table reports.
enum class UploadResult {
    Sent,     // done (whatever the device answered); the save goes on
    Refused,  // it showed its own message and nothing further may be sent
};

// What the configuration exchanges set off elsewhere in the program. The
// application implements it from the pieces named at each member; the
// exchanges never act on those pieces themselves.
//
// Thread affinity: called on the thread that runs the exchange, the UI
// thread.
class ExchangeHooks {
public:
    virtual ~ExchangeHooks() = default;

    // The lighting model's MouseZoneSlot takes this value (after a full read
    // of the mouse, from byte 51 of record table entry 0).
    virtual void TakeMouseZoneSlot(std::uint8_t slot) = 0;
    // The profile store: write the live settings into the selected mouse
    // device profile (SaveDeviceProfile), or lighting profile
    // (SaveLightingProfile).
    virtual void SaveDeviceProfile() = 0;
    virtual void SaveLightingProfile() = 0;
    // The main window: hide the control ms_tab_function.
    virtual void HideFunctionTab() = 0;
    // The mouse page: refresh the performance and lighting areas from the
    // mirror.
    virtual void RefreshMousePage() = 0;
    // The main window: deliver the message (SaveStarted, SaveFinished) and
    // return once it was handled.
    virtual void Send(device::WindowMessage message) = 0;
    // The cursor scripts: build and send their table to the mouse.
    virtual UploadResult UploadCursorScripts() = 0;
    // The macro store: build the macro table and send it to the mouse, or
    // refuse (too large for the device, no memory) with its own message.
    // The key table that follows it is sent by SaveToDevice.
    virtual UploadResult UploadMacroTable() = 0;
};

}  // namespace varlok::settings
