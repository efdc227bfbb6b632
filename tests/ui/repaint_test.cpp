#include <gtest/gtest.h>
#include <QColor>
#include <memory>
#include <thread>

#include "rendercontrol.h"
#include "support/testwindow.h"
#include "support/uitest.h"
#include "ui/colorpaletteui.h"
#include "ui/devicekeybuttonui.h"
#include "ui/verticallayoutui.h"

namespace varlok::ui::test {
namespace {

constexpr Argb kRed = MakeArgb(0xFF, 0xFF, 0, 0);

// Counts how often the window painted it.
template <class Base>
class Counted : public Base {
public:
    void DoPaint(PaintContext& context, const UiRect& paint) override {
        ++paints;
        Base::DoPaint(context, paint);
    }
    int paints = 0;
};

// A shown window holding a key of the lighting preview and a plain control
// with a colour overlay, one below the other.
class RepaintTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        ASSERT_TRUE(m_window.Create(nullptr, "repaint"));
        auto root = std::make_unique<CVerticalLayoutUI>();
        auto key = std::make_unique<Counted<CDeviceKeyButtonUI>>();
        key->SetFixedHeight(40);
        m_key = key.get();
        root->Add(std::move(key));
        auto tinted = std::make_unique<Counted<CControlUI>>();
        tinted->SetFixedHeight(40);
        tinted->SetIsChangerColor(true);
        m_tinted = tinted.get();
        root->Add(std::move(tinted));
        m_window.GetPaintManager().AttachDialog(std::move(root));
        m_window.ShowWindow();
        ProcessEvents();
        ASSERT_GT(m_key->paints, 0) << "the offscreen window paints when shown";
        ResetCounts();
    }
    void TearDown() override {
        m_window.Close();
        UiTest::TearDown();
    }

    void ResetCounts() {
        m_key->paints = 0;
        m_tinted->paints = 0;
    }
    // Runs fn on a thread of its own, as a lighting worker would.
    template <class Fn>
    static void OnWorker(Fn fn) {
        std::thread(fn).join();
    }
    // The repaint timer's tick, then whatever painting it caused.
    void Tick() {
        m_window.GetPaintManager().RepaintChanged();
        ProcessEvents();
    }

    TestWindow m_window{"main.xml"};
    Counted<CDeviceKeyButtonUI>* m_key = nullptr;
    Counted<CControlUI>* m_tinted = nullptr;
};

TEST_F(RepaintTest, NothingChangedPaintsNothing) {
    Tick();
    Tick();
    EXPECT_EQ(m_key->paints, 0);
    EXPECT_EQ(m_tinted->paints, 0);
}

TEST_F(RepaintTest, ALightSetByAWorkerShowsAtTheNextTickOnly) {
    OnWorker([this] { m_key->SetLight(kRed, 255, true); });
    ProcessEvents();
    EXPECT_EQ(m_key->paints, 0) << "the worker must not touch the widget";
    Tick();
    EXPECT_GT(m_key->paints, 0);
    EXPECT_EQ(m_tinted->paints, 0) << "only the changed control is repainted";

    ResetCounts();
    Tick();
    EXPECT_EQ(m_key->paints, 0) << "the mark is used up";

    // The same light again is no change.
    OnWorker([this] { m_key->SetLight(kRed, 255, true); });
    Tick();
    EXPECT_EQ(m_key->paints, 0);
    // Any one of the three values is.
    OnWorker([this] { m_key->SetLight(kRed, 254, true); });
    Tick();
    EXPECT_GT(m_key->paints, 0);
    ResetCounts();
    OnWorker([this] { m_key->SetLight(kRed, 254, false); });
    Tick();
    EXPECT_GT(m_key->paints, 0);
}

TEST_F(RepaintTest, TintSetByAWorkerWaitsForTheTickAndOnTheUiThreadRepaintsAtOnce) {
    OnWorker([this] {
        m_tinted->SetChangerColor(0x00123456u);
        m_tinted->SetChangerAlpha(128);
    });
    ProcessEvents();
    EXPECT_EQ(m_tinted->paints, 0);
    Tick();
    EXPECT_GT(m_tinted->paints, 0);
    EXPECT_EQ(m_key->paints, 0);
    EXPECT_EQ(m_tinted->GetChangerColor(), 0x00123456u);
    EXPECT_EQ(m_tinted->GetChangerAlpha(), 128);

    // On the UI thread no tick is needed.
    ResetCounts();
    m_tinted->SetChangerAlpha(200);
    ProcessEvents();
    EXPECT_GT(m_tinted->paints, 0);
    // Values it already has are no change, wherever they come from.
    ResetCounts();
    m_tinted->SetChangerAlpha(200);
    m_tinted->SetChangerColor(0xFF123456u);  // the alpha byte is not part of it
    ProcessEvents();
    EXPECT_EQ(m_tinted->paints, 0);
    OnWorker([this] { m_tinted->SetChangerAlpha(300); });  // clamped to 255...
    Tick();
    EXPECT_GT(m_tinted->paints, 0);  // ...which is a change
    ResetCounts();
    OnWorker([this] { m_tinted->SetChangerAlpha(255); });
    Tick();
    EXPECT_EQ(m_tinted->paints, 0);
}

TEST_F(RepaintTest, ATintOfColourAndAlphaWaitsForTheTickOnEveryThread) {
    m_tinted->SetChangerTint(0xFF10A0F0u, 90);
    ProcessEvents();
    EXPECT_EQ(m_tinted->paints, 0);
    Tick();
    EXPECT_GT(m_tinted->paints, 0);
    EXPECT_EQ(m_tinted->GetChangerColor(), 0x0010A0F0u);
    EXPECT_EQ(m_tinted->GetChangerAlpha(), 90);
    // The same tint is no change; a new alpha alone is one.
    ResetCounts();
    OnWorker([this] { m_tinted->SetChangerTint(0x0010A0F0u, 90); });
    Tick();
    EXPECT_EQ(m_tinted->paints, 0);
    OnWorker([this] { m_tinted->SetChangerTint(0x0010A0F0u, 400); });
    Tick();
    EXPECT_GT(m_tinted->paints, 0);
    EXPECT_EQ(m_tinted->GetChangerAlpha(), 255);
}

TEST_F(RepaintTest, MarksOfControlsThatLeftOrDiedAreDropped) {
    // Marked, then destroyed before the tick: the tick must not touch it.
    auto* root = static_cast<CContainerUI*>(m_window.GetPaintManager().GetRoot());
    OnWorker([this] { m_tinted->SetChangerTint(0x00FF0000u, 90); });
    ASSERT_TRUE(root->Remove(m_tinted));
    m_tinted = nullptr;
    ProcessEvents();
    m_key->paints = 0;
    Tick();  // under ASan: a use after free if the dead mark were visited
    EXPECT_EQ(m_key->paints, 0);

    // Marked outside any window, then added: it is painted in full on
    // joining, and a mark set in the window still reaches the tick.
    auto tinted = std::make_unique<Counted<CControlUI>>();
    tinted->SetFixedHeight(40);
    tinted->SetIsChangerColor(true);
    tinted->SetChangerTint(0x000000FFu, 50);
    Counted<CControlUI>* added = tinted.get();
    root->Add(std::move(tinted));
    ProcessEvents();
    added->paints = 0;
    OnWorker([added] { added->SetChangerTint(0x0000FF00u, 60); });
    Tick();
    EXPECT_GT(added->paints, 0);
}

// The palette keeps its field's picture between paints; what it shows must
// still follow the brightness and the size.
class PaletteFieldTest : public UiTest {
protected:
    static QColor FieldPixel(CColorPaletteUI& palette, QSize canvas, double x, double y) {
        const QImage image = RenderControl(palette, canvas);
        const UiRect field = palette.GetFieldRect();
        return image.pixelColor(field.left + static_cast<int>(x * (field.Width() - 1)),
                                field.top + static_cast<int>(y * (field.Height() - 1)));
    }
};

TEST_F(PaletteFieldTest, FieldFollowsBrightnessAndSize) {
    CColorPaletteUI palette;
    palette.SetBarHeight(10);
    palette.SetPos({0, 0, 100, 80});
    palette.SetSelectColor(0xFFFF0000u);
    // The middle column is cyan (hue 180) and the top row fully saturated;
    // hues read back from darker pixels are less exact.
    QColor cyan = FieldPixel(palette, {220, 100}, 0.5, 0.1);
    EXPECT_NEAR(cyan.hsvHue(), 180, 6);
    EXPECT_GT(cyan.value(), 250);

    // A darker selection darkens the whole field.
    palette.SetSelectColor(0xFF800000u);
    cyan = FieldPixel(palette, {220, 100}, 0.5, 0.1);
    EXPECT_NEAR(cyan.hsvHue(), 180, 6);
    EXPECT_NEAR(cyan.value(), 128, 2);
    // Hue and saturation alone leave it as it is.
    palette.SetSelectColor(0xFF008000u);
    EXPECT_EQ(FieldPixel(palette, {220, 100}, 0.5, 0.1), cyan);

    // Twice as wide: the field stretches, still from red to red.
    palette.SetPos({0, 0, 200, 80});
    const QColor violet = FieldPixel(palette, {220, 100}, 0.75, 0.1);
    EXPECT_NEAR(violet.hsvHue(), 269, 6);
    EXPECT_NEAR(violet.value(), 128, 2);
    EXPECT_NEAR(FieldPixel(palette, {220, 100}, 0.5, 0.1).hsvHue(), 180, 6);
    // Lower rows are paler, down to grey at the bottom.
    EXPECT_LT(FieldPixel(palette, {220, 100}, 0.5, 0.5).hsvSaturation(), 160);
    EXPECT_LT(FieldPixel(palette, {220, 100}, 0.5, 1.0).hsvSaturation(), 10);
}

}  // namespace
}  // namespace varlok::ui::test
