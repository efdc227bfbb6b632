#pragma once

#include <functional>

#include "platform/event.h"
#include "platform/foregroundprogram.h"

namespace varlok::profiles {

// The watcher of the device list's program links: sleeps until the program
// in front changed and then asks the UI thread to follow it (which chooses
// the linked profile, or the user's own again). The choosing itself runs on
// the UI thread, where the live settings and the controls belong, one
// request after the other.
class ApplicationLinkWatcher {
public:
    // Posts the request to the UI thread; called on the watcher's thread.
    using FollowRequest = std::function<void()>;

    // Both must outlive the watcher.
    ApplicationLinkWatcher(platform::ForegroundProgram& foreground, FollowRequest follow)
        : m_foreground(foreground), m_follow(std::move(follow)) {}

    // The thread body: one request for the program in front at the start,
    // then one for each change, until stop is set.
    void Run(platform::Event& stop);

private:
    platform::ForegroundProgram& m_foreground;
    FollowRequest m_follow;
};

}  // namespace varlok::profiles
