#include "platform/udevrulefile.h"

#include "scopedenvironment.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace varlok::platform {
namespace {

using testing::ScopedEnvironment;

std::string ReadText(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

TEST(UdevRuleFile, AnInstallNamesTheRuleWhereItPutItAndWhetherUdevReadsIt) {
    const std::filesystem::path relative = "lib/udev/rules.d";
    EXPECT_EQ(UdevRuleFileForExecutable("/usr/bin/varlok", "/usr/share/varlok", relative),
              (UdevRuleFile{"/usr/lib/udev/rules.d/70-varlok.rules", true}));
    EXPECT_EQ(UdevRuleFileForExecutable("/usr/local/bin/varlokctl", "-", relative),
              (UdevRuleFile{"/usr/local/lib/udev/rules.d/70-varlok.rules", true}));
    // udev reads nothing below /opt: the rule has to be copied.
    EXPECT_EQ(UdevRuleFileForExecutable("/opt/varlok/bin/varlok", "-", relative),
              (UdevRuleFile{"/opt/varlok/lib/udev/rules.d/70-varlok.rules", false}));
    // Debian's packages put rules into /lib, whatever the prefix.
    EXPECT_EQ(UdevRuleFileForExecutable("/usr/bin/varlok", "-", "/lib/udev/rules.d"),
              (UdevRuleFile{"/lib/udev/rules.d/70-varlok.rules", true}));
    // A program in a folder of its own keeps the rule as data/ does.
    EXPECT_EQ(UdevRuleFileForExecutable("/home/u/portable/varlok", "/home/u/portable", relative),
              (UdevRuleFile{"/home/u/portable/udev/70-varlok.rules", false}));
}

TEST(UdevRuleFile, ThisBuildTreesRuleIsTheSourceTreesFile) {
    ScopedEnvironment noOverride("VARLOK_INSTALL_DIR", std::nullopt);
    const UdevRuleFile rule = InstalledUdevRuleFile();
    EXPECT_EQ(rule.path, std::filesystem::path(VARLOK_BUILD_DATA_DIR) / "udev" / "70-varlok.rules");
    EXPECT_FALSE(rule.readByUdev);
    EXPECT_EQ(ReadText(rule.path), ReadText(VARLOK_SOURCE_DIR "/data/udev/70-varlok.rules"));

    ScopedEnvironment overridden("VARLOK_INSTALL_DIR", "/srv/varlok-content");
    EXPECT_EQ(InstalledUdevRuleFile(),
              (UdevRuleFile{"/srv/varlok-content/udev/70-varlok.rules", false}));
}

TEST(UdevRuleFile, TheCommandsCopyOnlyWhatUdevDoesNotReadAndQuoteThePath) {
    const std::string reload = "sudo udevadm control --reload && sudo udevadm trigger";
    EXPECT_EQ(UdevRuleCommands({"/src/varlok/data/udev/70-varlok.rules", false}),
              (std::vector<std::string>{
                  "sudo cp /src/varlok/data/udev/70-varlok.rules /etc/udev/rules.d/", reload}));
    EXPECT_EQ(UdevRuleCommands({"/lib/udev/rules.d/70-varlok.rules", true}),
              std::vector<std::string>{reload});
    EXPECT_EQ(UdevRuleCommands({"/home/u/my dir/it's/70-varlok.rules", false}).front(),
              "sudo cp '/home/u/my dir/it'\\''s/70-varlok.rules' /etc/udev/rules.d/");
    EXPECT_EQ(UdevRuleCopyCommand({"/x/70-varlok.rules", false}, "/tmp/rules $1"),
              "sudo cp /x/70-varlok.rules '/tmp/rules $1'/");
}

}  // namespace
}  // namespace varlok::platform
