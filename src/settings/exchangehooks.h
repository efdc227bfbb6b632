#pragma once

namespace varlok::settings {

// What an upload that runs before the key table reports.
enum class UploadResult {
    Sent,     // done (whatever the device answered); the save goes on
    Refused,  // it showed its own message and nothing further may be sent
};

// What the configuration exchanges set off elsewhere in the program, named by
// what happened rather than by what the window does about it. The
// application implements it; the exchanges never act on windows themselves.
//
// Thread affinity: called on the thread that runs the exchange, the UI
// thread.
class ExchangeHooks {
public:
    virtual ~ExchangeHooks() = default;

    // The device now runs another onboard profile and the record in force is
    // that profile's (the pages show it).
    virtual void OnboardProfileSwitched() = 0;
    // A save to the device begins and ends; each returns once the user was
    // shown it.
    virtual void SaveStarted() = 0;
    virtual void SaveFinished() = 0;
    // The cursor scripts: build and send their table to the mouse, or
    // refuse (too long for the mouse) with their own message.
    virtual UploadResult UploadCursorScripts() = 0;
    // The macro store: build the macro table and send it to the mouse, or
    // refuse (too large for the device, no memory) with its own message.
    // The key table that follows it is sent by SaveToDevice.
    virtual UploadResult UploadMacroTable() = 0;
};

}  // namespace varlok::settings
