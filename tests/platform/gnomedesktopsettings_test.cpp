#include "platform/gnomedesktopsettings.h"

#include "platform/glibpointers.h"
#include "platform/glibthreadcontext.h"

#define G_SETTINGS_ENABLE_BACKEND
#include <gio/gsettingsbackend.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace varlok::platform {
namespace {

// Runs against the real GSettings with the installed gsettings-desktop-schemas, on
// GLib's in-memory backend so that the desktop of whoever runs the tests is never
// touched. CTest sets GSETTINGS_BACKEND too; the check in SetUp stops the tests
// should GIO have picked another backend before this suite ran.
class GnomeDesktopSettingsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ::setenv("GSETTINGS_BACKEND", "memory", 1); }

    void SetUp() override {
        GObjectPtr<GSettingsBackend> backend(g_settings_backend_get_default());
        ASSERT_STREQ(G_OBJECT_TYPE_NAME(backend.get()), "GMemorySettingsBackend");
        ASSERT_TRUE(GnomeDesktopSettings::SchemaInstalled())
            << "install gsettings-desktop-schemas (scripts/quickstart does)";
        SetStored(0.0);
    }

    static double Stored() {
        GlibThreadContext context;
        GObjectPtr<GSettings> settings(g_settings_new(GnomeDesktopSettings::kMouseSchema));
        return g_settings_get_double(settings.get(), "speed");
    }

    static void SetStored(double value) {
        GlibThreadContext context;
        GObjectPtr<GSettings> settings(g_settings_new(GnomeDesktopSettings::kMouseSchema));
        ASSERT_TRUE(g_settings_set_double(settings.get(), "speed", value));
        g_settings_sync();
    }
};

TEST_F(GnomeDesktopSettingsTest, WritesTheSpeedKeyAndReadsItBack) {
    GnomeDesktopSettings gnome;
    EXPECT_EQ(gnome.BackendName(), "GNOME");
    EXPECT_EQ(gnome.PointerSpeed(), 10);
    struct Case {
        int speed;
        double stored;
        int readBack;
    };
    for (const Case& c :
         {Case{1, -0.9, 1}, Case{10, 0.0, 10}, Case{20, 1.0, 20}, Case{13, 0.3, 13},
          Case{0, -0.9, 1}, Case{-40, -0.9, 1}, Case{21, 1.0, 20}, Case{1000, 1.0, 20}}) {
        SCOPED_TRACE(c.speed);
        ASSERT_EQ(gnome.SetPointerSpeed(c.speed), DesktopApplyResult::Applied);
        EXPECT_DOUBLE_EQ(Stored(), c.stored);
        EXPECT_EQ(gnome.PointerSpeed(), c.readBack);
    }

    // Values set elsewhere (the GNOME settings slider) read as the nearest step.
    SetStored(0.33);
    EXPECT_EQ(gnome.PointerSpeed(), 13);
    SetStored(-1.0);
    EXPECT_EQ(gnome.PointerSpeed(), 1);

    EXPECT_TRUE(gnome.Supports(DesktopSetting::PointerSpeed));
    EXPECT_FALSE(gnome.Supports(DesktopSetting::WheelLines));
    EXPECT_EQ(gnome.SetWheelLines(5), DesktopApplyResult::Unsupported);
    EXPECT_DOUBLE_EQ(Stored(), -1.0);
}

TEST_F(GnomeDesktopSettingsTest, MissingSchemaOrKeyFailsWithoutAborting) {
    // A schema that is not installed, and one that is but has no speed key.
    for (const char* schema : {"org.varlok.test.NoSuchSchema", "org.gnome.desktop.peripherals"}) {
        SCOPED_TRACE(schema);
        EXPECT_FALSE(GnomeDesktopSettings::SchemaInstalled(schema));
        GnomeDesktopSettings gnome(schema);
        EXPECT_EQ(gnome.SetPointerSpeed(15), DesktopApplyResult::Failed);
        EXPECT_EQ(gnome.PointerSpeed(), std::nullopt);
    }
    EXPECT_DOUBLE_EQ(Stored(), 0.0);
}

}  // namespace
}  // namespace varlok::platform
