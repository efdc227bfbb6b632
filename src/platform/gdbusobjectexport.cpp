#include "platform/gdbusobjectexport.h"

#include <pthread.h>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "platform/busvariant.h"
#include "platform/debugoutput.h"
#include "platform/glibpointers.h"
#include "platform/glibthreadcontext.h"

namespace varlok::platform {

namespace {

constexpr const char* kBusService = "org.freedesktop.DBus";
constexpr const char* kBusPath = "/org/freedesktop/DBus";
// RequestName: take the name only when nobody has it; the replies that mean
// it is ours.
constexpr guint32 kDoNotQueue = 4;
constexpr guint32 kPrimaryOwner = 1;
constexpr guint32 kAlreadyOwner = 4;
constexpr gint kReleaseTimeoutMs = 1000;
constexpr const char* kRefusedError = "org.freedesktop.DBus.Error.NoServer";

}  // namespace

struct GdbusObjectExport::Impl {
    explicit Impl(BusExportOptions exportOptions) : options(std::move(exportOptions)) {}

    void Run();
    // Connects, exports the object and asks for the name (bus thread). True
    // when the object is exported under the name.
    bool Export();
    // Withdraws whatever Export did (bus thread).
    void Withdraw();
    void Settle(BusExportState settledState, const std::string& why);

    static void OnMethodCall(GDBusConnection* connection, const gchar* sender,
                             const gchar* objectPath, const gchar* interfaceName,
                             const gchar* methodName, GVariant* parameters,
                             GDBusMethodInvocation* invocation, gpointer self);
    static GVariant* OnGetProperty(GDBusConnection* connection, const gchar* sender,
                                   const gchar* objectPath, const gchar* interfaceName,
                                   const gchar* propertyName, GError** error, gpointer self);
    static const GDBusInterfaceVTable kVTable;

    const BusExportOptions options;
    GMainContextPtr context{g_main_context_new()};
    GMainLoopPtr loop{g_main_loop_new(context.get(), FALSE)};
    GObjectPtr<GCancellable> cancellable{g_cancellable_new()};

    // Bus thread only.
    GObjectPtr<GDBusConnection> busConnection;
    GDBusNodeInfoPtr node;
    guint registration = 0;
    bool ownsName = false;

    // Guards state, snapshot and signalConnection.
    mutable std::mutex mutex;
    mutable std::condition_variable settled;
    BusExportState state = BusExportState::Starting;
    BusProperties snapshot;
    // The connection while the object is exported, for PropertiesChanged.
    GObjectPtr<GDBusConnection> signalConnection;

    // Held while a call is handed to onCall, so that RefuseCalls waits for it.
    std::mutex callMutex;
    bool accepting = true;

    bool stopped = false;  // owning thread
    std::thread thread;
};

const GDBusInterfaceVTable GdbusObjectExport::Impl::kVTable{
    &Impl::OnMethodCall, &Impl::OnGetProperty, nullptr, {}};

GdbusObjectExport::GdbusObjectExport(BusExportOptions options)
    : m_impl(std::make_unique<Impl>(std::move(options))) {
    m_impl->snapshot = m_impl->options.properties;
    m_impl->thread = std::thread([impl = m_impl.get()] { impl->Run(); });
}

GdbusObjectExport::~GdbusObjectExport() {
    Stop();
}

void GdbusObjectExport::Impl::Run() {
    pthread_setname_np(pthread_self(), "varlok-bus");
    const GlibThreadContext pushed(context.get());
    if (Export()) {
        g_main_loop_run(loop.get());
    }
    Withdraw();
}

bool GdbusObjectExport::Impl::Export() {
    GError* raw = nullptr;
    std::string address = options.address;
    if (address.empty()) {
        const GCharPtr session(
            g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, cancellable.get(), &raw));
        const GErrorPtr error(raw);
        if (!session) {
            Settle(BusExportState::Failed, std::string("no session bus: ") + ErrorMessage(error));
            return false;
        }
        address = session.get();
    }
    busConnection.reset(g_dbus_connection_new_for_address_sync(
        address.c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, cancellable.get(), &raw));
    if (!busConnection) {
        const GErrorPtr error(raw);
        Settle(BusExportState::Failed,
               "cannot connect to the bus " + address + ": " + ErrorMessage(error));
        return false;
    }
    node.reset(g_dbus_node_info_new_for_xml(options.introspectionXml.c_str(), &raw));
    GDBusInterfaceInfo* interface =
        node ? g_dbus_node_info_lookup_interface(node.get(), options.interfaceName.c_str())
             : nullptr;
    if (interface == nullptr) {
        const GErrorPtr error(raw);
        Settle(BusExportState::Failed, "the introspection data has no interface " +
                                           options.interfaceName + " " + ErrorMessage(error));
        return false;
    }
    registration = g_dbus_connection_register_object(
        busConnection.get(), options.objectPath.c_str(), interface, &kVTable, this, nullptr, &raw);
    if (registration == 0) {
        const GErrorPtr error(raw);
        Settle(BusExportState::Failed,
               "cannot export " + options.objectPath + ": " + ErrorMessage(error));
        return false;
    }
    const GVariantPtr reply(g_dbus_connection_call_sync(
        busConnection.get(), kBusService, kBusPath, kBusService, "RequestName",
        g_variant_new("(su)", options.busName.c_str(), kDoNotQueue), G_VARIANT_TYPE("(u)"),
        G_DBUS_CALL_FLAGS_NONE, -1, cancellable.get(), &raw));
    if (!reply) {
        const GErrorPtr error(raw);
        Settle(BusExportState::Failed,
               "cannot ask for the name " + options.busName + ": " + ErrorMessage(error));
        return false;
    }
    guint32 answer = 0;
    g_variant_get(reply.get(), "(u)", &answer);
    ownsName = answer == kPrimaryOwner || answer == kAlreadyOwner;
    if (!ownsName) {
        Settle(BusExportState::NameTaken, "the name " + options.busName +
                                              " is owned by another program; carrying on "
                                              "without the bus service");
        return false;
    }
    {
        const std::lock_guard lock(mutex);
        signalConnection.reset(G_DBUS_CONNECTION(g_object_ref(busConnection.get())));
    }
    Settle(BusExportState::Exported, "exported " + options.objectPath + " as " + options.busName);
    return true;
}

void GdbusObjectExport::Impl::Withdraw() {
    {
        const std::lock_guard lock(mutex);
        signalConnection.reset();
    }
    // Calls already queued for this thread are answered (RefuseCalls has
    // made that a refusal) rather than dropped with the context.
    while (g_main_context_iteration(context.get(), FALSE)) {
    }
    if (registration != 0) {
        g_dbus_connection_unregister_object(busConnection.get(), registration);
        registration = 0;
    }
    while (g_main_context_iteration(context.get(), FALSE)) {
    }
    if (ownsName) {
        const GVariantPtr released(g_dbus_connection_call_sync(
            busConnection.get(), kBusService, kBusPath, kBusService, "ReleaseName",
            g_variant_new("(s)", options.busName.c_str()), G_VARIANT_TYPE("(u)"),
            G_DBUS_CALL_FLAGS_NONE, kReleaseTimeoutMs, nullptr, nullptr));
        ownsName = false;
    }
    if (busConnection) {
        // Replies given from other threads are on their way out before the
        // connection goes.
        g_dbus_connection_flush_sync(busConnection.get(), nullptr, nullptr);
        g_dbus_connection_close_sync(busConnection.get(), nullptr, nullptr);
        busConnection.reset();
    }
    node.reset();
}

void GdbusObjectExport::Impl::Settle(BusExportState settledState, const std::string& why) {
    DebugOutput::Write("bus service: " + why);
    const std::lock_guard lock(mutex);
    state = settledState;
    settled.notify_all();
}

void GdbusObjectExport::Impl::OnMethodCall(GDBusConnection* /*connection*/, const gchar* /*sender*/,
                                           const gchar* /*objectPath*/,
                                           const gchar* /*interfaceName*/, const gchar* methodName,
                                           GVariant* parameters, GDBusMethodInvocation* invocation,
                                           gpointer self) {
    auto& impl = *static_cast<Impl*>(self);
    // The invocation is ours until one of its return functions takes it;
    // BusCall calls the answer exactly once.
    BusCall call(methodName, FromGVariant(parameters).Items(), [invocation](BusReply reply) {
        if (reply.IsError()) {
            g_dbus_method_invocation_return_dbus_error(invocation, reply.errorName.c_str(),
                                                       ValidUtf8(reply.errorMessage).c_str());
        } else {
            g_dbus_method_invocation_return_value(
                invocation, ToGVariant(BusValue::Struct(std::move(reply.values))));
        }
    });
    const std::lock_guard lock(impl.callMutex);
    if (!impl.accepting || !impl.options.onCall) {
        call.Fail(kRefusedError, "the service is shutting down");
        return;
    }
    impl.options.onCall(std::move(call));
}

GVariant* GdbusObjectExport::Impl::OnGetProperty(
    GDBusConnection* /*connection*/, const gchar* /*sender*/, const gchar* /*objectPath*/,
    const gchar* /*interfaceName*/, const gchar* propertyName, GError** error, gpointer self) {
    const auto& impl = *static_cast<const Impl*>(self);
    const std::lock_guard lock(impl.mutex);
    const auto found = impl.snapshot.find(std::string_view(propertyName));
    if (found == impl.snapshot.end()) {
        g_set_error(error, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_PROPERTY,
                    "the property %s has no value yet", propertyName);
        return nullptr;
    }
    return ToGVariant(found->second);
}

void GdbusObjectExport::PublishProperties(const BusProperties& changed) {
    if (changed.empty()) {
        return;
    }
    const std::lock_guard lock(m_impl->mutex);
    for (const auto& [name, value] : changed) {
        m_impl->snapshot[name] = value;
    }
    if (!m_impl->signalConnection) {
        return;
    }
    GVariantBuilder values;
    g_variant_builder_init(&values, G_VARIANT_TYPE("a{sv}"));
    for (const auto& [name, value] : changed) {
        g_variant_builder_add(&values, "{sv}", name.c_str(), ToGVariant(value));
    }
    std::vector<GVariant*> arguments{
        g_variant_new_string(m_impl->options.interfaceName.c_str()),
        g_variant_builder_end(&values),
        g_variant_new_array(G_VARIANT_TYPE_STRING, nullptr, 0),
    };
    GError* raw = nullptr;
    if (!g_dbus_connection_emit_signal(
            m_impl->signalConnection.get(), nullptr, m_impl->options.objectPath.c_str(),
            kDbusPropertiesInterface, "PropertiesChanged",
            g_variant_new_tuple(arguments.data(), arguments.size()), &raw)) {
        const GErrorPtr error(raw);
        DebugOutput::Write(std::string("bus service: PropertiesChanged not sent: ") +
                           ErrorMessage(error));
    }
}

BusExportState GdbusObjectExport::State() const {
    const std::lock_guard lock(m_impl->mutex);
    return m_impl->state;
}

BusExportState GdbusObjectExport::WaitUntilSettled(std::chrono::milliseconds limit) const {
    std::unique_lock lock(m_impl->mutex);
    m_impl->settled.wait_for(lock, limit,
                             [this] { return m_impl->state != BusExportState::Starting; });
    return m_impl->state;
}

void GdbusObjectExport::RefuseCalls() {
    const std::lock_guard lock(m_impl->callMutex);
    m_impl->accepting = false;
}

void GdbusObjectExport::Stop() {
    if (m_impl->stopped) {
        return;
    }
    m_impl->stopped = true;
    RefuseCalls();
    // A start still connecting gives up; a running loop ends (the idle
    // source runs once the loop runs, however late that is).
    g_cancellable_cancel(m_impl->cancellable.get());
    GSource* quit = g_idle_source_new();
    g_source_set_callback(
        quit,
        [](gpointer loop) -> gboolean {
            g_main_loop_quit(static_cast<GMainLoop*>(loop));
            return G_SOURCE_REMOVE;
        },
        m_impl->loop.get(), nullptr);
    g_source_attach(quit, m_impl->context.get());
    g_source_unref(quit);
    m_impl->thread.join();
    const std::lock_guard lock(m_impl->mutex);
    m_impl->state = BusExportState::Stopped;
    m_impl->settled.notify_all();
}

}  // namespace varlok::platform
