#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "platform/busobject.h"

namespace varlok::platform {

// What an exported object is and where it goes.
struct BusExportOptions {
    // The bus's address ("unix:path=..."); empty for the session bus
    // (DBUS_SESSION_BUS_ADDRESS, else $XDG_RUNTIME_DIR/bus).
    std::string address;
    // The well-known name to own; taken only when nobody owns it.
    std::string busName;
    std::string objectPath;
    // The interface of the introspection data that the object implements.
    std::string interfaceName;
    // D-Bus introspection XML holding that interface: what callers see, and
    // what their arguments are checked against before onCall sees them.
    std::string introspectionXml;
    // The snapshot's values until the first publication.
    BusProperties properties;
    // Every method call of the interface, with arguments of the declared
    // types, on the bus thread; the reply must have the declared out types.
    BusObject::CallHandler onCall;
};

enum class BusExportState {
    Starting,   // connecting, exporting, asking for the name
    Exported,   // the object is there under the name
    NameTaken,  // another connection owns the name: nothing is exported
    Failed,     // no bus, or bad introspection data: nothing is exported
    Stopped,
};

// The GDBus backend of BusObject: a thread of its own with a GLib main
// context of its own holds a private connection to the bus, exports the
// object, owns the name and runs the calls' dispatch. Get and GetAll are
// answered there from the snapshot; calls go to onCall there, and may be
// answered from any thread (GDBus sends replies from any thread). When the
// name is owned already, or there is no bus, the thread says so in the debug
// output and ends; the owner carries on without the object.
//
// Construction, RefuseCalls, Stop and the destructor belong to the owning
// thread; PublishProperties, State and WaitUntilSettled may be used from any
// thread.
class GdbusObjectExport final : public BusObject {
public:
    // Starts the bus thread.
    explicit GdbusObjectExport(BusExportOptions options);
    // Stop().
    ~GdbusObjectExport() override;
    GdbusObjectExport(const GdbusObjectExport&) = delete;
    GdbusObjectExport& operator=(const GdbusObjectExport&) = delete;

    void PublishProperties(const BusProperties& changed) override;

    [[nodiscard]] BusExportState State() const;
    // Waits until the state is no longer Starting, at most limit; the state.
    BusExportState WaitUntilSettled(std::chrono::milliseconds limit) const;

    // From its return on, no call reaches onCall: calls that come in are
    // answered at once with org.freedesktop.DBus.Error.NoServer. A call being
    // handed to onCall when it is called has been handed over when it returns.
    void RefuseCalls();
    // RefuseCalls, then (on the bus thread) the object is withdrawn, the name
    // released and every answer given so far flushed out before the
    // connection closes; returns once the thread has ended. Again: nothing.
    void Stop();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace varlok::platform
