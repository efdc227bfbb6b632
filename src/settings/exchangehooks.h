#pragma once

namespace varlok::settings {

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
};

}  // namespace varlok::settings
