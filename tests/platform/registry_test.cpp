#include "platform/registry.h"

#include "scopedenvironment.h"
#include "tempfolder.h"

#include <gtest/gtest.h>

namespace varlok::platform {
namespace {

using testing::ReadBytes;
using testing::ScopedEnvironment;
using testing::TempFolder;
using testing::WriteBytes;

TEST(Registry, LivesUnderXdgConfigHome) {
    TempFolder config;
    ScopedEnvironment xdg("XDG_CONFIG_HOME", config.Path().string());
    EXPECT_EQ(Registry::DefaultFile(), config.Path() / "VARLOK" / "registry.ini");

    Registry registry;
    EXPECT_EQ(registry.ReadString("SOFTWARE\\VARLOK", "LANGUAGE"), std::nullopt);
    ASSERT_TRUE(registry.WriteString("SOFTWARE\\VARLOK", "LANGUAGE", "5050"));
    EXPECT_EQ(ReadBytes(config.Path() / "VARLOK" / "registry.ini"),
              "[SOFTWARE\\VARLOK]\r\nLANGUAGE=5050\r\n");
    EXPECT_EQ(Registry().ReadString("software\\varlok", "language"), "5050");
    ASSERT_TRUE(registry.WriteString("SOFTWARE\\VARLOK", "LANGUAGE", "3030"));
    EXPECT_EQ(registry.ReadString("SOFTWARE\\VARLOK", "LANGUAGE"), "3030");
    EXPECT_EQ(registry.ReadString("SOFTWARE\\OTHER", "LANGUAGE"), std::nullopt);
}

TEST(Registry, FallsBackToDotConfigInHome) {
    TempFolder home;
    ScopedEnvironment homeVariable("HOME", home.Path().string());
    ScopedEnvironment unset("XDG_CONFIG_HOME", std::nullopt);
    EXPECT_EQ(Registry::DefaultFile(), home.Path() / ".config" / "VARLOK" / "registry.ini");
    ScopedEnvironment relative("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(Registry::DefaultFile(), home.Path() / ".config" / "VARLOK" / "registry.ini");
}

TEST(Registry, EmptyValueIsPresentAndBadInputIsRefused) {
    TempFolder folder;
    Registry registry(folder / "registry.ini");
    ASSERT_TRUE(registry.WriteString("SOFTWARE\\VARLOK", "LANGUAGE", ""));
    EXPECT_EQ(registry.ReadString("SOFTWARE\\VARLOK", "LANGUAGE"), "");
    EXPECT_FALSE(registry.WriteString("SOFTWARE\\VARLOK", "LANGUAGE", "1\r\n[X]"));
    EXPECT_FALSE(registry.WriteString("SOFTWARE\\VARLOK", "", "1"));
    EXPECT_EQ(ReadBytes(folder / "registry.ini"), "[SOFTWARE\\VARLOK]\r\nLANGUAGE=\r\n");
}

TEST(Registry, UnwritableLocationFails) {
    TempFolder folder;
    WriteBytes(folder / "file", "x");
    Registry registry(folder / "file" / "VARLOK" / "registry.ini");
    EXPECT_FALSE(registry.WriteString("SOFTWARE\\VARLOK", "LANGUAGE", "1010"));
    EXPECT_EQ(registry.ReadString("SOFTWARE\\VARLOK", "LANGUAGE"), std::nullopt);
}

}  // namespace
}  // namespace varlok::platform
