#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <thread>

namespace varlok::platform {

// Keeps the program to one instance per user and lets a second start wake the
// first. The name is held as a Linux abstract-namespace local socket named after
// the instance name and the user id, so a crashed instance leaves nothing stale
// behind. The first instance listens on a background thread; a second instance
// connects, sends its wake message and learns that another instance runs.
class SingleInstance {
public:
    enum class AcquireResult {
        Acquired,        // this object holds the name until it is destroyed
        AlreadyRunning,  // another instance holds it and was sent the wake message
        Failed,          // neither could be established (callers treat this as Acquired
                         // without the wake-up: the program still starts)
    };

    // Runs on the listener thread with the message a later start sent. It must not
    // destroy this object; it usually posts to the UI thread.
    using WakeCallback = std::function<void(const std::string& message)>;

    // `name` as the Windows build names its mutex, e.g. "KESTRIXDRVER1".
    SingleInstance(std::string name, WakeCallback onWake);

    // Frees the name; stops and joins the listener thread, so no callback runs
    // afterwards.
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Takes the name, or hands `wakeMessage` (at most kMaxMessageLength bytes) to
    // the instance that holds it. Calling it again after Acquired returns Acquired.
    [[nodiscard]] AcquireResult Acquire(std::string_view wakeMessage);

    static constexpr std::size_t kMaxMessageLength = 256;

private:
    bool BindAndListen(int socketFd);
    void Listen();
    void ReceiveFrom(int clientFd);

    const std::string m_name;
    const WakeCallback m_onWake;
    int m_listenFd = -1;
    int m_stopFd = -1;
    std::thread m_listener;
};

}  // namespace varlok::platform
