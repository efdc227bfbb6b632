#include <atomic>
#include <memory>
#include <thread>

#include <gtest/gtest.h>
#include <QTemporaryDir>

#include "rendercontrol.h"
#include "support/testwindow.h"
#include "support/uidriver.h"
#include "ui/devicekeybuttonui.h"
#include "ui/resourcemanager.h"

namespace varlok::ui {
namespace {

TEST(KeyButtonThreads, LightSetByAWorkerWhileTheUiThreadPaints) {
    test::EnsureApplication();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QImage light(20, 20, QImage::Format_ARGB32);
    light.fill(Qt::white);
    const QString lightPath = folder.filePath("light.png");
    ASSERT_TRUE(light.save(lightPath));

    constexpr Argb kRed = MakeArgb(0xFF, 0xFF, 0, 0);
    constexpr Argb kGreen = MakeArgb(0xFF, 0, 0xFF, 0);
    CDeviceKeyButtonUI key;
    key.SetPos({0, 0, 20, 20});
    key.SetAttribute("lightimage", lightPath.toStdString());
    key.SetLight(kRed, 255, true);

    std::atomic<bool> stop = false;
    std::thread lighting([&] {
        for (int frame = 0; !stop; ++frame) {
            key.SetLight(frame % 2 == 0 ? kGreen : kRed, 255, true);
        }
    });
    int unexpected = 0;
    for (int paint = 0; paint < 200; ++paint) {
        const QRgb shown = test::RenderControl(key, {20, 20}).pixel(10, 10);
        if (shown != kRed && shown != kGreen) {
            ++unexpected;
        }
    }
    stop = true;
    lighting.join();
    EXPECT_EQ(unexpected, 0);
    key.SetLight(kGreen, 100, false);
    EXPECT_EQ(key.GetLightColor(), kGreen);
    EXPECT_EQ(key.GetLightLevel(), 100);
    EXPECT_FALSE(key.IsLit());
}

// Remembers the light each paint showed.
class RecordingKey : public CDeviceKeyButtonUI {
public:
    void DoPaint(PaintContext& context, const UiRect& paint) override {
        shownColour = GetLightColor();
        shownAlpha = GetChangerAlpha();
        CDeviceKeyButtonUI::DoPaint(context, paint);
    }
    Argb shownColour = 0;
    int shownAlpha = -1;
};

TEST(KeyButtonThreads, TheRepaintTimerShowsTheLastLightOfABusyWorker) {
    test::EnsureApplication();
    CResourceManager& resources = CResourceManager::GetInstance();
    resources.Release();
    resources.SetResourcePath(VARLOK_TEST_DATA_DIR "/ui");
    ASSERT_TRUE(resources.LoadResource("res.xml"));
    test::TestWindow window("main.xml");
    ASSERT_TRUE(window.Create(nullptr, "preview"));
    auto owned = std::make_unique<RecordingKey>();
    RecordingKey* key = owned.get();
    key->SetIsChangerColor(true);
    window.GetPaintManager().AttachDialog(std::move(owned));
    window.ShowWindow();
    test::ProcessEvents();

    constexpr Argb kBlue = MakeArgb(0xFF, 0, 0, 0xFF);
    std::atomic<bool> done = false;
    std::thread lighting([&] {
        for (int frame = 0; frame < 20000; ++frame) {
            key->SetLight(MakeArgb(0xFF, static_cast<std::uint8_t>(frame), 0, 0), 255, true);
            key->SetChangerAlpha(frame % 200);
        }
        key->SetLight(kBlue, 255, true);
        key->SetChangerAlpha(222);
        done = true;
    });
    // The repaint timer ticks while the worker runs.
    while (!done) {
        window.GetPaintManager().RepaintChanged();
        test::ProcessEvents();
    }
    lighting.join();
    window.GetPaintManager().RepaintChanged();
    test::ProcessEvents();
    EXPECT_EQ(key->shownColour, kBlue);
    EXPECT_EQ(key->shownAlpha, 222);
    window.Close();
    test::ProcessEvents();
    resources.Release();
}

}  // namespace
}  // namespace varlok::ui
