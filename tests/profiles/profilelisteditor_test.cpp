#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/atomicfile.h"
#include "platform/inidocument.h"
#include "platform/inifile.h"
#include "platform/tempfolder.h"
#include "profiles/profilelisteditor.h"
#include "profiles/profilestore.h"
#include "settings/mousemirror.h"

namespace varlok::profiles {
namespace {

using Names = std::vector<std::string>;

TEST(ProfileListEditor, NewNamesAndCopyNamesIgnoreCase) {
    const struct {
        Names names;
        std::string added;
    } adds[] = {{{"Profile1", "profile2"}, "profile3"},
                {{"profile1", "Profile3"}, "profile2"},
                {{"profile1", "Profile3", "profile2"}, "profile4"},
                {{}, "profile1"}};
    for (const auto& [names, added] : adds) {
        EXPECT_EQ(ProfileListEditor::NewProfileName(names), added);
    }
    EXPECT_EQ(ProfileListEditor::CopyName(Names{"x", "X COPY"}, "x"), "x copy copy");
    EXPECT_EQ(ProfileListEditor::CopyName(Names{"x"}, "x"), "x copy");
}

class ProfileListEditorStore : public ::testing::Test {
protected:
    platform::IniFile& Ini() { return m_store.Ini(); }
    void Put(std::string_view section, std::string_view key, std::string_view value) {
        ASSERT_EQ(Ini().Write(section, key, value), platform::IniWriteResult::Ok);
    }

    platform::testing::TempFolder m_folder;
    settings::MouseMirror m_mirror;
    ProfileStore m_store{{m_folder.Path(), m_folder.Path()}, m_mirror};
    ProfileListEditor m_editor{m_store};
};

TEST_F(ProfileListEditorStore, RemovingAnEntryMovesTheLaterLinksUp) {
    // Paths longer than an INI read move whole.
    const std::string folder = "/opt/" + std::string(300, 'd') + "/p";
    Put("PROFILEDEVICECOUNT", "count", "4");
    for (int i = 0; i < 4; ++i) {
        Put("PROFILELIKEDEVICEEXE", std::to_string(i), i == 0 ? "0" : "1");
        Put("DEVICEPROCESS", std::to_string(i), folder + std::to_string(i));
    }
    ASSERT_TRUE(m_editor.RemoveEntry(ProfileCategory::Device, 1, Names{"a", "c", "d"}));
    EXPECT_EQ(m_store.Names(ProfileCategory::Device), (Names{"a", "c", "d"}));
    for (const auto& [index, program] : {std::pair{0, 0}, {1, 2}, {2, 3}, {3, 3}}) {
        const ApplicationLink link = m_editor.Link(ProfileCategory::Device, index);
        EXPECT_EQ(link.linked, index != 0) << index;
        EXPECT_EQ(link.path, folder + std::to_string(program)) << index;
    }
}

TEST_F(ProfileListEditorStore, ARenameThatCannotWriteTheNewFileChangesNothing) {
    Put("PROFILEDEVICECOUNT", "count", "1");
    Put("PROFILEDEVICENAME", "0", "Desk");
    const std::vector<std::uint8_t> body(kDeviceBodySize, 7);
    ASSERT_TRUE(m_editor.WriteEntry(ProfileCategory::Device, "Desk", body));
    // Something that is no file already holds the new name.
    std::filesystem::create_directories(m_folder / "Game.config" / "x");

    EXPECT_EQ(m_editor.Rename(ProfileCategory::Device, 0, "Desk", "Game"),
              ProfileListEditor::RenameResult::WriteFailed);
    EXPECT_EQ(m_store.Name(ProfileCategory::Device, 0), "Desk");
    EXPECT_TRUE(std::filesystem::exists(m_folder / "Desk.config"));

    std::filesystem::remove_all(m_folder / "Game.config");
    EXPECT_EQ(m_editor.Rename(ProfileCategory::Device, 0, "Desk", "Game"),
              ProfileListEditor::RenameResult::Renamed);
    EXPECT_EQ(m_store.Name(ProfileCategory::Device, 0), "Game");
    EXPECT_FALSE(std::filesystem::exists(m_folder / "Desk.config"));
    std::vector<std::uint8_t> read(kDeviceBodySize, 0);
    EXPECT_EQ(m_editor.ReadEntry(ProfileCategory::Device, "Game", read), ProfileReadResult::Loaded);
    EXPECT_EQ(read, body);
    // A missing file is said, and the name stays.
    EXPECT_EQ(m_editor.Rename(ProfileCategory::Device, 0, "Gone", "Other"),
              ProfileListEditor::RenameResult::OldFileMissing);
    EXPECT_EQ(m_store.Name(ProfileCategory::Device, 0), "Game");
}

// A program killed at any moment of an add or a delete: before every write
// the store makes, each entry the list names has its file.
TEST(ProfileListEditorKilled, NoStepLeavesAnEntryWithoutItsFile) {
    platform::testing::TempFolder folder;
    settings::MouseMirror mirror;
    const ProfileStore* store = nullptr;
    std::vector<std::string> torn;
    const auto check = [&](platform::AtomicWriteStep step) {
        const platform::FileContents ini = platform::ReadWholeFile(folder / "msProfile.ini");
        if (step != platform::AtomicWriteStep::CreateTemporary || store == nullptr ||
            ini.status != platform::FileReadStatus::Ok) {
            return true;
        }
        const platform::IniDocument document(ini.bytes);
        const ProfileCategoryInfo& info = CategoryInfo(ProfileCategory::Key);
        const int count = std::stoi(document.Find(info.countSection, kCountKey).value_or("0"));
        for (int i = 0; i < count; ++i) {
            const std::string name = document.Find(info.nameSection, std::to_string(i)).value();
            if (!std::filesystem::exists(store->FileOf(ProfileCategory::Key, name).value())) {
                torn.push_back(name);
            }
        }
        return true;
    };
    ProfileStore checked({folder.Path(), folder.Path()}, mirror, {}, check);
    store = &checked;
    ProfileListEditor editor(checked);
    const std::vector<std::uint8_t> body(CategoryInfo(ProfileCategory::Key).bodyLength, 3);
    ASSERT_TRUE(editor.AddEntry(ProfileCategory::Key, Names{"a"}, body));
    ASSERT_TRUE(editor.AddEntry(ProfileCategory::Key, Names{"a", "b"}, body));
    ASSERT_TRUE(editor.DeleteEntry(ProfileCategory::Key, 0, Names{"b"}, "a"));
    ASSERT_TRUE(editor.AddEntry(ProfileCategory::Key, Names{"b", "c"}, body));
    EXPECT_EQ(torn, Names{});
    EXPECT_EQ(checked.Names(ProfileCategory::Key), (Names{"b", "c"}));
    EXPECT_FALSE(std::filesystem::exists(folder / "a.pro"));
}

}  // namespace
}  // namespace varlok::profiles
