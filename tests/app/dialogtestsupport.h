#pragma once

// Shared by the dialog and skin tests: an offscreen UI with the installed
// skin (data/skin) as the resource folder and English texts, a window to own
// the dialogs, and a clean modal-answer queue and file dialog afterwards.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ui/filedialog.h"
#include "ui/modalanswers.h"
#include "ui/resourcemanager.h"
#include "ui/support/testwindow.h"
#include "ui/support/uidriver.h"

namespace varlok::app::testing {

inline constexpr const char* kSkinFolder = VARLOK_SOURCE_DIR "/data/skin";

// A test layout under tests/data/app, as a full path.
inline std::string AppTestLayout(const std::string& file) {
    return std::string(VARLOK_TEST_DATA_DIR) + "/app/" + file;
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui::test::EnsureApplication();
        ui::CResourceManager& resources = ui::CResourceManager::GetInstance();
        resources.Release();
        resources.SetResourcePath(kSkinFolder);
        ASSERT_TRUE(resources.LoadResource("res.xml"));
        resources.SetLanguage("en");
        ASSERT_TRUE(resources.LoadLanguage("lan_en.xml"));
    }
    void TearDown() override {
        ui::ModalAnswers::Clear();
        ui::SetFileDialogAnswerProvider({});
        if (m_owner) {
            m_owner->Close();
        }
        ui::test::ProcessEvents();
        m_owner.reset();
        ui::CResourceManager::GetInstance().Release();
    }

    // A visible window to own the dialogs (built once per test).
    ui::test::TestWindow& Owner(const std::string& layout = AppTestLayout("skinhost.xml")) {
        if (!m_owner) {
            m_owner = std::make_unique<ui::test::TestWindow>(layout);
            EXPECT_TRUE(m_owner->Create(nullptr, "owner"));
            m_owner->ShowWindow(true);
            ui::test::ProcessEvents();
        }
        return *m_owner;
    }

private:
    std::unique_ptr<ui::test::TestWindow> m_owner;
};

}  // namespace varlok::app::testing
