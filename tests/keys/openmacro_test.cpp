#include "keys/openmacro.h"

#include <gtest/gtest.h>

#include <vector>

namespace varlok::keys {
namespace {

// The macro section's unsaved state: only an open macro has edits, and the
// observer (which shows the save bar) hears each change once.
TEST(OpenMacroTest, UnsavedEditsBelongToAnOpenMacroAndAreToldOnceEach) {
    std::vector<bool> told;
    OpenMacro macro([&told](bool unsaved) { told.push_back(unsaved); });
    macro.SetUnsavedEdits(true);
    EXPECT_FALSE(macro.HasUnsavedEdits());

    macro.Open(2, std::vector<MacroAction>(3));
    macro.EditActions().pop_back();
    macro.SetUnsavedEdits(true);
    EXPECT_TRUE(macro.HasUnsavedEdits());
    EXPECT_EQ(macro.Actions().size(), 2U);

    macro.Open(-4, std::vector<MacroAction>(3));
    EXPECT_EQ(macro.Index(), -1);
    EXPECT_TRUE(macro.Actions().empty());
    EXPECT_FALSE(macro.HasUnsavedEdits());
    EXPECT_EQ(told, (std::vector<bool>{true, false}));
}

}  // namespace
}  // namespace varlok::keys
