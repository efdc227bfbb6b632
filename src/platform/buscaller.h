#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "platform/buscall.h"
#include "platform/busvalue.h"
#include "platform/gdbusclient.h"

namespace varlok::platform {

// A method call to an object on a message bus and its answer, as the desktop
// backends that talk to a compositor make them (KWin's scripting and input
// devices, GNOME Shell's extensions). A function, so that tests answer with
// a fake of the compositor recorded from what it sends. Failures come back as
// BusReply errors.
using BusCaller = std::function<BusReply(const BusObjectAddress& target, const std::string& method,
                                         std::vector<BusValue> arguments)>;

// Makes a caller when one is needed; each caller holds its own connection.
using BusCallerFactory = std::function<BusCaller()>;

// The answer time the desktop's own services get.
inline constexpr std::chrono::milliseconds kDesktopCallTimeout{3000};

// A caller over one private connection to the bus at address (empty: the
// session bus), made now and closed with the last copy of the caller. Calls
// on it fail with ...Error.Disconnected when no bus could be reached.
[[nodiscard]] BusCaller ConnectBusCaller(const std::string& address = {},
                                         std::chrono::milliseconds timeout = kDesktopCallTimeout);

// One property of target (org.freedesktop.DBus.Properties.Get), unwrapped
// from its variant; nothing on an error or an answer of another shape.
[[nodiscard]] std::optional<BusValue> ReadBusProperty(const BusCaller& caller,
                                                      const BusObjectAddress& target,
                                                      const std::string& name);

// Sets one property of target (org.freedesktop.DBus.Properties.Set).
[[nodiscard]] BusReply WriteBusProperty(const BusCaller& caller, const BusObjectAddress& target,
                                        const std::string& name, BusValue value);

}  // namespace varlok::platform
