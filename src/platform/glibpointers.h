#pragma once

// Owning pointers for the GLib/GIO objects the desktop backends use. Internal to
// the platform layer's GLib code and its tests: only targets that link gio-2.0
// themselves may include this header.

#include <gio/gio.h>

#include <memory>

namespace varlok::platform {

struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

struct GErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};
using GErrorPtr = std::unique_ptr<GError, GErrorFree>;

struct GCharFree {
    void operator()(gchar* text) const { g_free(text); }
};
using GCharPtr = std::unique_ptr<gchar, GCharFree>;

struct GVariantUnref {
    void operator()(GVariant* value) const { g_variant_unref(value); }
};
using GVariantPtr = std::unique_ptr<GVariant, GVariantUnref>;

struct GSettingsSchemaUnref {
    void operator()(GSettingsSchema* schema) const { g_settings_schema_unref(schema); }
};
using GSettingsSchemaPtr = std::unique_ptr<GSettingsSchema, GSettingsSchemaUnref>;

struct GMainContextUnref {
    void operator()(GMainContext* context) const { g_main_context_unref(context); }
};
using GMainContextPtr = std::unique_ptr<GMainContext, GMainContextUnref>;

struct GMainLoopUnref {
    void operator()(GMainLoop* loop) const { g_main_loop_unref(loop); }
};
using GMainLoopPtr = std::unique_ptr<GMainLoop, GMainLoopUnref>;

struct GDBusNodeInfoUnref {
    void operator()(GDBusNodeInfo* info) const { g_dbus_node_info_unref(info); }
};
using GDBusNodeInfoPtr = std::unique_ptr<GDBusNodeInfo, GDBusNodeInfoUnref>;

// The interface every D-Bus object has for its properties.
inline constexpr const char* kDbusPropertiesInterface = "org.freedesktop.DBus.Properties";

// The message of a GError, or "" for none.
[[nodiscard]] inline const char* ErrorMessage(const GErrorPtr& error) {
    return error && error->message != nullptr ? error->message : "";
}

}  // namespace varlok::platform
