#include "ui/dialogbuilder.h"

#include <gtest/gtest.h>

#include "support/testwindow.h"
#include "support/uitest.h"
#include "ui/buttonui.h"
#include "ui/containerui.h"
#include "ui/controlfactory.h"
#include "ui/labelui.h"
#include "ui/paintmanagerui.h"
#include "ui/progressui.h"

namespace varlok::ui::test {
namespace {

class DialogBuilderTest : public UiTest {};

// A window whose callback builds "SubPage" from subpage.xml and "NestedPage"
// from nested.xml, both with the window as callback, and records every class
// name it was asked for.
class SubLayoutWindow : public TestWindow {
public:
    SubLayoutWindow() : TestWindow("XML_MAIN") {
        createControl = [this](std::string_view name) -> std::unique_ptr<CControlUI> {
            asked.emplace_back(name);
            CDialogBuilder builder;
            if (name == "SubPage") {
                return builder.Create("subpage.xml", this, &GetPaintManager());
            }
            if (name == "NestedPage") {
                return builder.Create("nested.xml", this, &GetPaintManager());
            }
            return nullptr;
        };
    }
    std::vector<std::string> asked;
};

TEST_F(DialogBuilderTest, BuildsNestedSubLayoutsThroughTheCallback) {
    SubLayoutWindow window;
    ASSERT_TRUE(window.Create(nullptr, "test"));
    CPaintManagerUI& pm = window.GetPaintManager();

    // The layout file came through its res.xml name.
    ASSERT_NE(pm.FindControl("root"), nullptr);
    EXPECT_EQ(window.initWindowCalls, 1);
    // Two levels of sub-layouts, each asked for by class name; the unknown
    // class went to the callback too and was skipped.
    EXPECT_EQ(window.asked, (std::vector<std::string>{"SubPage", "NestedPage", "Mystery"}));
    // The element's own attributes are applied over the sub-layout's root
    // (its name included).
    CControlUI* subRoot = pm.FindControl("sub_host");
    ASSERT_NE(subRoot, nullptr);
    EXPECT_EQ(pm.FindControl("sub_root"), nullptr);
    EXPECT_EQ(subRoot->GetBkColor(), 0xFF202630u);
    EXPECT_EQ(pm.FindControl("sub_label")->GetParent(), subRoot);
    EXPECT_EQ(subRoot->GetParent(), pm.FindControl("body"));
    auto* nestedButton = pm.FindControl<CButtonUI>("nested_button");
    ASSERT_NE(nestedButton, nullptr);
    EXPECT_EQ(nestedButton->GetParent()->GetName(), "nested_host");
    EXPECT_EQ(pm.FindControl("unknown_one"), nullptr);
    // A style declared in the nested file joined the window's styles.
    EXPECT_EQ(nestedButton->GetTextColor(), 0xFF00FF00u);
    // The sub-layout's <Window> attributes did not replace the main ones.
    EXPECT_EQ(pm.GetInitSize().cx, 400);
    EXPECT_EQ(pm.GetCaptionRect().bottom, 36);
}

TEST_F(DialogBuilderTest, AppliesStylesDefaultsFontsAndWindowAttributes) {
    TestWindow window("main.xml");
    ASSERT_TRUE(window.Create(nullptr, "test"));
    CPaintManagerUI& pm = window.GetPaintManager();

    auto* button = pm.FindControl<CButtonUI>("styled_button");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->GetBkColor(), 0xFF3DB8FFu);
    EXPECT_EQ(button->GetTextColor(), 0xFF0B0E13u);
    EXPECT_EQ(button->GetFixedHeight(), 30);
    EXPECT_EQ(button->GetUserData(), "u1");
    // <Default name="Label"> applies to labels only, before their own attributes.
    EXPECT_EQ(pm.FindControl<CLabelUI>("styled_label")->GetTextColor(), 0xFFAABBCCu);
    EXPECT_NE(pm.FindControl<CLabelUI>("title")->GetTextColor(), 0xFFAABBCCu + 1);

    EXPECT_EQ(pm.GetFontCount(), 2);
    EXPECT_EQ(pm.GetFont(1).size, 16);
    EXPECT_TRUE(pm.GetFont(1).bold);
    EXPECT_EQ(pm.GetFont(-1).size, 12);
    EXPECT_EQ(pm.GetInitSize().cx, 400);
    EXPECT_EQ(pm.GetInitSize().cy, 300);
    EXPECT_EQ(pm.GetRoundCorner().cx, 8);
    EXPECT_EQ(pm.GetMinInfo().cx, 200);
    EXPECT_EQ(window.GetClientSize().cx, 400);
    EXPECT_EQ(window.GetClientSize().cy, 300);

    // "style" by SetAttribute after the window exists works the same way.
    CControlUI* label = pm.FindControl("styled_label");
    label->SetAttribute("style", "accent_button");
    EXPECT_EQ(label->GetBkColor(), 0xFF3DB8FFu);
    EXPECT_EQ(label->GetFixedHeight(), 30);
    // An unknown style changes nothing.
    label->SetAttribute("style", "no_such_style");
    EXPECT_EQ(label->GetBkColor(), 0xFF3DB8FFu);
}

TEST_F(DialogBuilderTest, LaysOutChildrenWithFixedSizesInsetPaddingAndChildPadding) {
    TestWindow window("main.xml");
    ASSERT_TRUE(window.Create(nullptr, "test"));
    CPaintManagerUI& pm = window.GetPaintManager();
    pm.UpdateLayout();

    const UiRect caption = pm.FindControl("caption")->GetPos();
    EXPECT_EQ(caption.top, 0);
    EXPECT_EQ(caption.Height(), 36);
    EXPECT_EQ(caption.Width(), 400);
    const UiRect body = pm.FindControl("body")->GetPos();
    EXPECT_EQ(body.top, 36);
    EXPECT_EQ(body.bottom, 300);
    // The close button is the last 36 pixels of the caption row; the hidden
    // restore button takes no room.
    const UiRect close = pm.FindControl("closebtn")->GetPos();
    EXPECT_EQ(close.right, 400);
    EXPECT_EQ(close.Width(), 36);
    EXPECT_EQ(pm.FindControl("maxbtn")->GetPos().right, close.left);
    // Inset 10 and child padding 6 between three children sharing the width.
    const UiRect label = pm.FindControl("styled_label")->GetPos();
    const UiRect button = pm.FindControl("styled_button")->GetPos();
    EXPECT_EQ(label.left, 10);
    EXPECT_EQ(label.top, 46);
    EXPECT_EQ(button.left, label.right + 6);
    EXPECT_EQ(button.Height(), 30);
    // Without a callback the unknown "SubPage" element was skipped.
    EXPECT_EQ(pm.FindControl("sub_host"), nullptr);
    EXPECT_EQ(button.right, 390);

    // Padding of a child moves it inside its slot.
    pm.FindControl("styled_label")->SetPadding(UiRect{4, 5, 0, 0});
    pm.UpdateLayout();
    EXPECT_EQ(pm.FindControl("styled_label")->GetPos().left, 14);
    EXPECT_EQ(pm.FindControl("styled_label")->GetPos().top, 51);
}

TEST_F(DialogBuilderTest, RegisteredFactoriesCreateByClassOrTagName) {
    CControlFactory::GetInstance().RegistControl("CGaugeUI",
                                                 [] { return std::make_unique<CProgressUI>(); });
    CPaintManagerUI pm;
    CDialogBuilder builder;
    auto root = builder.CreateFromText(
        R"(<VerticalLayout><Gauge name="g1" value="40"/><CGaugeUI name="g2"/></VerticalLayout>)",
        nullptr, &pm);
    ASSERT_NE(root, nullptr);
    pm.AttachDialog(std::move(root));
    auto* g1 = pm.FindControl<CProgressUI>("g1");
    ASSERT_NE(g1, nullptr);
    EXPECT_EQ(g1->GetValue(), 40);
    EXPECT_NE(pm.FindControl<CProgressUI>("g2"), nullptr);
}

TEST_F(DialogBuilderTest, MissingOrMalformedFilesYieldNoControlsAndNoCrash) {
    CDialogBuilder builder;
    EXPECT_EQ(builder.Create("no_such_file.xml", nullptr, nullptr), nullptr);
    EXPECT_FALSE(builder.GetLastError().empty());
    EXPECT_EQ(builder.Create("XML_UNKNOWN_NAME", nullptr, nullptr), nullptr);

    CPaintManagerUI pm;
    EXPECT_EQ(builder.Create("malformed.xml", nullptr, &pm, true), nullptr);
    EXPECT_NE(builder.GetLastError().find("malformed"), std::string::npos);
    // Nothing of the half-read file reached the manager.
    EXPECT_EQ(pm.GetInitSize().cx, 0);
    EXPECT_EQ(builder.CreateFromText("", nullptr, &pm), nullptr);
    EXPECT_EQ(builder.CreateFromText("<Window><Font name='x'/></Window>", nullptr, &pm), nullptr);

    // A window whose layout is missing still exists, without controls.
    TestWindow window("no_such_layout.xml");
    EXPECT_FALSE(window.Create(nullptr, "empty"));
    EXPECT_TRUE(window.IsWindow());
    EXPECT_EQ(window.GetPaintManager().GetRoot(), nullptr);
    EXPECT_EQ(window.GetPaintManager().FindControl("root"), nullptr);

    // A sub-layout that cannot be built leaves the rest of the window intact.
    TestWindow host("main.xml");
    host.createControl = [&host](std::string_view) {
        CDialogBuilder sub;
        return sub.Create("malformed.xml", &host, &host.GetPaintManager());
    };
    EXPECT_TRUE(host.Create(nullptr, "host"));
    EXPECT_NE(host.GetPaintManager().FindControl("styled_button"), nullptr);
    EXPECT_EQ(host.GetPaintManager().FindControl("never_built"), nullptr);
}

TEST_F(DialogBuilderTest, SelfIncludingLayoutStopsInsteadOfRecursingForever) {
    CDialogBuilder builder;
    auto root = builder.Create("selfinclude.xml", nullptr, nullptr);
    ASSERT_NE(root, nullptr);
    int depth = 0;
    for (CControlUI* c = root.get(); c != nullptr;) {
        auto* container = dynamic_cast<CContainerUI*>(c);
        c = container != nullptr ? container->GetItemAt(0) : nullptr;
        ++depth;
    }
    EXPECT_GT(depth, 2);
    EXPECT_LE(depth, 20);
}

}  // namespace
}  // namespace varlok::ui::test
