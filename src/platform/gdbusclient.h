#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/buscall.h"
#include "platform/busobject.h"
#include "platform/busvalue.h"

namespace varlok::platform {

// An object on a message bus as a client addresses it.
struct BusObjectAddress {
    std::string busName;
    std::string objectPath;
    std::string interfaceName;
};

// What a client follows of an object: the properties its owner announces
// with PropertiesChanged (the changed values; invalidated names are left
// out), and its bus name gaining (true) or losing (false) an owner.
struct BusFollower {
    std::function<void(const BusProperties& changed)> propertiesChanged;
    std::function<void(bool owned)> ownerChanged;
};

// The GDBus backend of a message-bus client: one private connection to a bus
// over which it calls methods, reads properties and follows one object. It
// knows nothing of what the methods and properties mean.
//
// Calls may be made from any thread; each waits for its answer. A followed
// object's signals are delivered on a thread of the client's own, in the
// order they came; the follower's functions must neither call Follow nor
// destroy the client. Construction and destruction belong to one thread.
class GdbusClient {
public:
    // Connects to the bus at address; empty: the session bus
    // (DBUS_SESSION_BUS_ADDRESS, else $XDG_RUNTIME_DIR/bus; a bus is never
    // launched for the client). IsConnected says whether that worked and
    // Problem why not.
    explicit GdbusClient(const std::string& address);
    // Stops following and closes the connection.
    ~GdbusClient();
    GdbusClient(const GdbusClient&) = delete;
    GdbusClient& operator=(const GdbusClient&) = delete;

    [[nodiscard]] bool IsConnected() const;
    // Why the client is not connected; empty when it is.
    [[nodiscard]] const std::string& Problem() const;

    // Calls target's method and waits for the answer, at most timeout. What
    // fails on the way comes back as an error as well, named as the bus
    // names it (org.freedesktop.DBus.Error.ServiceUnknown, ...NoReply for
    // no answer in time, ...Disconnected without a connection).
    [[nodiscard]] BusReply Call(const BusObjectAddress& target, const std::string& method,
                                std::vector<BusValue> arguments, std::chrono::milliseconds timeout);
    // One property of target (org.freedesktop.DBus.Properties.Get): the
    // reply's one value is the property's, unwrapped from its variant.
    [[nodiscard]] BusReply ReadProperty(const BusObjectAddress& target, const std::string& name,
                                        std::chrono::milliseconds timeout);
    // Every property of target (GetAll) into properties; the reply says
    // whether that worked (it carries no values).
    [[nodiscard]] BusReply ReadProperties(const BusObjectAddress& target, BusProperties& properties,
                                          std::chrono::milliseconds timeout);
    // The process id of the connection that owns name; nothing when nobody
    // owns it or the bus does not say.
    [[nodiscard]] std::optional<std::uint32_t> OwnerProcess(const std::string& name,
                                                            std::chrono::milliseconds timeout);

    // Delivers target's changes to follower from when this returns until the
    // client is destroyed. False (nothing followed) without a connection, or
    // when the client follows an object already.
    [[nodiscard]] bool Follow(const BusObjectAddress& target, BusFollower follower);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// The properties of an "a{sv}" dictionary, each value out of its variant;
// entries of another shape are left out.
[[nodiscard]] BusProperties PropertiesOfDictionary(const BusValue& dictionary);

}  // namespace varlok::platform
