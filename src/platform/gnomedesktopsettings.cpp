#include "platform/gnomedesktopsettings.h"

#include "platform/debugoutput.h"
#include "platform/glibpointers.h"
#include "platform/glibthreadcontext.h"

#include <utility>

namespace varlok::platform {

namespace {

struct GSettingsSchemaKeyUnref {
    void operator()(GSettingsSchemaKey* key) const { g_settings_schema_key_unref(key); }
};

// The schema, or null unless it has the speed key as a double. g_settings_new
// aborts the process for a missing schema, and reading a missing or differently
// typed key is a programming error to GLib, so every GSettings object here is
// made from this lookup.
GSettingsSchemaPtr LookUpSchema(const std::string& schemaId) {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();  // not owned
    if (source == nullptr) {
        return nullptr;
    }
    GSettingsSchemaPtr schema(g_settings_schema_source_lookup(source, schemaId.c_str(), TRUE));
    if (!schema || !g_settings_schema_has_key(schema.get(), GnomeDesktopSettings::kSpeedKey)) {
        return nullptr;
    }
    std::unique_ptr<GSettingsSchemaKey, GSettingsSchemaKeyUnref> key(
        g_settings_schema_get_key(schema.get(), GnomeDesktopSettings::kSpeedKey));
    if (!g_variant_type_equal(g_settings_schema_key_get_value_type(key.get()),
                              G_VARIANT_TYPE_DOUBLE)) {
        return nullptr;
    }
    return schema;
}

// Callers hold a GlibThreadContext declared before the result, so that the
// object is made and dropped while that context is the thread default.
GObjectPtr<GSettings> OpenSettings(GSettingsSchema& schema) {
    return GObjectPtr<GSettings>(g_settings_new_full(&schema, nullptr, nullptr));
}

}  // namespace

GnomeDesktopSettings::GnomeDesktopSettings(std::string schemaId)
    : m_schemaId(std::move(schemaId)) {}

bool GnomeDesktopSettings::SchemaInstalled(const std::string& schemaId) {
    return LookUpSchema(schemaId) != nullptr;
}

bool GnomeDesktopSettings::Supports(DesktopSetting setting) const {
    return setting == DesktopSetting::PointerSpeed;
}

DesktopApplyResult GnomeDesktopSettings::SetPointerSpeed(int speed) {
    GSettingsSchemaPtr schema = LookUpSchema(m_schemaId);
    if (!schema) {
        DebugOutput::Write("DesktopSettings GNOME: schema " + m_schemaId + " is not installed");
        return DesktopApplyResult::Failed;
    }
    GlibThreadContext context;
    GObjectPtr<GSettings> settings = OpenSettings(*schema);
    if (!g_settings_set_double(settings.get(), kSpeedKey, LibinputSpeedFromPointerSpeed(speed))) {
        DebugOutput::Write("DesktopSettings GNOME: " + m_schemaId + " speed is not writable");
        return DesktopApplyResult::Failed;
    }
    // Returns once the backend has stored every pending write, so that a caller
    // that reads back (or exits) right after sees the new value.
    g_settings_sync();
    return DesktopApplyResult::Applied;
}

std::optional<int> GnomeDesktopSettings::PointerSpeed() const {
    GSettingsSchemaPtr schema = LookUpSchema(m_schemaId);
    if (!schema) {
        return std::nullopt;
    }
    GlibThreadContext context;
    GObjectPtr<GSettings> settings = OpenSettings(*schema);
    return PointerSpeedFromLibinputSpeed(g_settings_get_double(settings.get(), kSpeedKey));
}

DesktopApplyResult GnomeDesktopSettings::SetWheelLines(int /*lines*/) {
    return DesktopApplyResult::Unsupported;
}

}  // namespace varlok::platform
