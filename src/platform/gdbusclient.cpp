#include "platform/gdbusclient.h"

#include <pthread.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <thread>
#include <utility>

#include "platform/busvariant.h"
#include "platform/glibpointers.h"
#include "platform/glibthreadcontext.h"

namespace varlok::platform {

namespace {

const BusObjectAddress kBusDaemon{"org.freedesktop.DBus", "/org/freedesktop/DBus",
                                  "org.freedesktop.DBus"};
constexpr const char* kFailedError = "org.freedesktop.DBus.Error.Failed";
constexpr const char* kNoReplyError = "org.freedesktop.DBus.Error.NoReply";
constexpr const char* kDisconnectedError = "org.freedesktop.DBus.Error.Disconnected";

// The session bus's address as the client takes it: never by launching one
// (GLib would start dbus-launch, which needs an X display and outlives us).
std::optional<std::string> SessionAddress(std::string& why) {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address != nullptr && *address != '\0') {
        return std::string(address);
    }
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime == '/') {
        const std::filesystem::path socket = std::filesystem::path(runtime) / "bus";
        struct stat status {};
        if (::stat(socket.c_str(), &status) == 0 && S_ISSOCK(status.st_mode)) {
            const GCharPtr escaped(g_dbus_address_escape_value(socket.c_str()));
            return "unix:path=" + std::string(escaped.get());
        }
    }
    why = "no session bus (DBUS_SESSION_BUS_ADDRESS is not set and there is no " +
          std::string(runtime != nullptr ? runtime : "$XDG_RUNTIME_DIR") + "/bus)";
    return std::nullopt;
}

BusReply ErrorReply(GError* raw) {
    const GErrorPtr error(raw);
    BusReply reply;
    const GCharPtr remote(error ? g_dbus_error_get_remote_error(error.get()) : nullptr);
    if (remote) {
        reply.errorName = remote.get();
        g_dbus_error_strip_remote_error(error.get());
    } else if (error && g_error_matches(error.get(), G_IO_ERROR, G_IO_ERROR_TIMED_OUT)) {
        reply.errorName = kNoReplyError;
    } else if (error && g_error_matches(error.get(), G_IO_ERROR, G_IO_ERROR_CLOSED)) {
        reply.errorName = kDisconnectedError;
    } else {
        reply.errorName = kFailedError;
    }
    reply.errorMessage = ErrorMessage(error);
    return reply;
}

}  // namespace

BusProperties PropertiesOfDictionary(const BusValue& dictionary) {
    BusProperties properties;
    for (const BusValue& entry : dictionary.Items()) {
        if (entry.GetType() != BusValue::Type::DictEntry) {
            continue;
        }
        const std::optional<std::string> name = entry.Items().at(0).AsString();
        const BusValue& value = entry.Items().at(1);
        if (name && value.GetType() == BusValue::Type::Variant) {
            properties.insert_or_assign(*name, value.Items().at(0));
        }
    }
    return properties;
}

struct GdbusClient::Impl {
    void StopFollowing();

    static void OnPropertiesChanged(GDBusConnection* connection, const gchar* sender,
                                    const gchar* path, const gchar* interfaceName,
                                    const gchar* signal, GVariant* parameters, gpointer self);
    static void OnOwnerChanged(GDBusConnection* connection, const gchar* sender, const gchar* path,
                               const gchar* interfaceName, const gchar* signal,
                               GVariant* parameters, gpointer self);

    GObjectPtr<GDBusConnection> connection;
    std::string problem;

    // Following: the subscriptions deliver on context, which the thread runs.
    BusObjectAddress followed;
    BusFollower follower;
    GMainContextPtr context;
    GMainLoopPtr loop;
    guint propertiesSubscription = 0;
    guint ownerSubscription = 0;
    std::thread thread;
};

GdbusClient::GdbusClient(const std::string& address) : m_impl(std::make_unique<Impl>()) {
    std::optional<std::string> target = address;
    if (address.empty()) {
        target = SessionAddress(m_impl->problem);
    }
    if (!target) {
        return;
    }
    GError* raw = nullptr;
    m_impl->connection.reset(g_dbus_connection_new_for_address_sync(
        target->c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, &raw));
    if (!m_impl->connection) {
        const GErrorPtr error(raw);
        m_impl->problem = "cannot connect to the bus " + *target + ": " + ErrorMessage(error);
    }
}

GdbusClient::~GdbusClient() {
    m_impl->StopFollowing();
    if (m_impl->connection) {
        g_dbus_connection_close_sync(m_impl->connection.get(), nullptr, nullptr);
    }
}

void GdbusClient::Impl::StopFollowing() {
    if (thread.joinable()) {
        GSource* quit = g_idle_source_new();
        g_source_set_callback(
            quit,
            [](gpointer mainLoop) -> gboolean {
                g_main_loop_quit(static_cast<GMainLoop*>(mainLoop));
                return G_SOURCE_REMOVE;
            },
            loop.get(), nullptr);
        g_source_attach(quit, context.get());
        g_source_unref(quit);
        thread.join();
    }
    for (guint* subscription : {&propertiesSubscription, &ownerSubscription}) {
        if (*subscription != 0) {
            g_dbus_connection_signal_unsubscribe(connection.get(), *subscription);
            *subscription = 0;
        }
    }
    // Signals queued before the unsubscription are dropped, not delivered.
    if (context) {
        while (g_main_context_iteration(context.get(), FALSE)) {
        }
    }
}

bool GdbusClient::IsConnected() const {
    return m_impl->connection != nullptr;
}

const std::string& GdbusClient::Problem() const {
    return m_impl->problem;
}

BusReply GdbusClient::Call(const BusObjectAddress& target, const std::string& method,
                           std::vector<BusValue> arguments, std::chrono::milliseconds timeout) {
    if (!m_impl->connection) {
        return {{}, kDisconnectedError, m_impl->problem};
    }
    GError* raw = nullptr;
    const GVariantPtr answer(g_dbus_connection_call_sync(
        m_impl->connection.get(), target.busName.c_str(), target.objectPath.c_str(),
        target.interfaceName.c_str(), method.c_str(),
        ToGVariant(BusValue::Struct(std::move(arguments))), nullptr, G_DBUS_CALL_FLAGS_NONE,
        static_cast<gint>(timeout.count()), nullptr, &raw));
    if (!answer) {
        return ErrorReply(raw);
    }
    return {FromGVariant(answer.get()).Items(), {}, {}};
}

BusReply GdbusClient::ReadProperty(const BusObjectAddress& target, const std::string& name,
                                   std::chrono::milliseconds timeout) {
    const BusObjectAddress properties{target.busName, target.objectPath, kDbusPropertiesInterface};
    BusReply reply =
        Call(properties, "Get", {BusValue::String(target.interfaceName), BusValue::String(name)},
             timeout);
    if (!reply.IsError()) {
        if (reply.values.size() != 1 || reply.values[0].GetType() != BusValue::Type::Variant) {
            return {{}, kFailedError, "Get answered with something other than a variant"};
        }
        reply.values = reply.values[0].Items();
    }
    return reply;
}

BusReply GdbusClient::ReadProperties(const BusObjectAddress& target, BusProperties& properties,
                                     std::chrono::milliseconds timeout) {
    const BusObjectAddress object{target.busName, target.objectPath, kDbusPropertiesInterface};
    BusReply reply = Call(object, "GetAll", {BusValue::String(target.interfaceName)}, timeout);
    if (!reply.IsError()) {
        properties =
            reply.values.size() == 1 ? PropertiesOfDictionary(reply.values[0]) : BusProperties{};
        reply.values.clear();
    }
    return reply;
}

std::optional<std::uint32_t> GdbusClient::OwnerProcess(const std::string& name,
                                                       std::chrono::milliseconds timeout) {
    const BusReply reply =
        Call(kBusDaemon, "GetConnectionUnixProcessID", {BusValue::String(name)}, timeout);
    if (reply.IsError() || reply.values.size() != 1 || !reply.values[0].AsInteger()) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(*reply.values[0].AsInteger());
}

bool GdbusClient::Follow(const BusObjectAddress& target, BusFollower follower) {
    Impl& impl = *m_impl;
    if (!impl.connection || impl.thread.joinable()) {
        return false;
    }
    impl.followed = target;
    impl.follower = std::move(follower);
    impl.context.reset(g_main_context_new());
    impl.loop.reset(g_main_loop_new(impl.context.get(), FALSE));
    {
        // Subscriptions deliver on the context that is the thread default
        // when they are made: the client's own, before its thread runs it.
        const GlibThreadContext pushed(impl.context.get());
        impl.ownerSubscription = g_dbus_connection_signal_subscribe(
            impl.connection.get(), kBusDaemon.busName.c_str(), kBusDaemon.interfaceName.c_str(),
            "NameOwnerChanged", kBusDaemon.objectPath.c_str(), target.busName.c_str(),
            G_DBUS_SIGNAL_FLAGS_NONE, &Impl::OnOwnerChanged, &impl, nullptr);
        impl.propertiesSubscription = g_dbus_connection_signal_subscribe(
            impl.connection.get(), target.busName.c_str(), kDbusPropertiesInterface,
            "PropertiesChanged", target.objectPath.c_str(), target.interfaceName.c_str(),
            G_DBUS_SIGNAL_FLAGS_NONE, &Impl::OnPropertiesChanged, &impl, nullptr);
    }
    // The bus has taken the match rules once a call made after them is
    // answered, so that nothing sent from now on is missed.
    static_cast<void>(Call(kBusDaemon, "GetId", {}, std::chrono::seconds(5)));
    impl.thread = std::thread([&impl] {
        pthread_setname_np(pthread_self(), "varlok-busclient");
        const GlibThreadContext pushed(impl.context.get());
        g_main_loop_run(impl.loop.get());
    });
    return true;
}

void GdbusClient::Impl::OnPropertiesChanged(GDBusConnection* /*connection*/,
                                            const gchar* /*sender*/, const gchar* /*path*/,
                                            const gchar* /*interfaceName*/, const gchar* /*signal*/,
                                            GVariant* parameters, gpointer self) {
    auto& impl = *static_cast<Impl*>(self);
    if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(sa{sv}as)")) ||
        !impl.follower.propertiesChanged) {
        return;
    }
    const BusValue arguments = FromGVariant(parameters);
    const BusProperties changed = PropertiesOfDictionary(arguments.Items().at(1));
    if (!changed.empty()) {
        impl.follower.propertiesChanged(changed);
    }
}

void GdbusClient::Impl::OnOwnerChanged(GDBusConnection* /*connection*/, const gchar* /*sender*/,
                                       const gchar* /*path*/, const gchar* /*interfaceName*/,
                                       const gchar* /*signal*/, GVariant* parameters,
                                       gpointer self) {
    auto& impl = *static_cast<Impl*>(self);
    if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(sss)")) || !impl.follower.ownerChanged) {
        return;
    }
    const gchar* newOwner = nullptr;
    g_variant_get(parameters, "(&s&s&s)", nullptr, nullptr, &newOwner);
    impl.follower.ownerChanged(newOwner != nullptr && *newOwner != '\0');
}

}  // namespace varlok::platform
