#pragma once

// Base fixture of the UI tests: an offscreen UI application, the test
// layouts under tests/data/ui as the resource path, and a clean resource
// manager and modal-answer queue after every test.

#include <gtest/gtest.h>

#include "ui/modalanswers.h"
#include "ui/qt/deferreddeletion.h"
#include "ui/resourcemanager.h"
#include "uidriver.h"

namespace varlok::ui::test {

class UiTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApplication();
        CResourceManager& resources = CResourceManager::GetInstance();
        resources.Release();
        resources.SetResourcePath(VARLOK_TEST_DATA_DIR "/ui");
        ASSERT_TRUE(resources.LoadResource("res.xml"));
    }
    void TearDown() override {
        ModalAnswers::Clear();
        ProcessEvents();
        // Controls removed during the test are gone once the event loop turned.
        EXPECT_EQ(qt::DeferredDeletion::PendingCount(), 0u);
        CResourceManager::GetInstance().Release();
    }
};

}  // namespace varlok::ui::test
