#include <atomic>
#include <thread>

#include <gtest/gtest.h>
#include <QTemporaryDir>

#include "rendercontrol.h"
#include "support/uidriver.h"
#include "ui/devicekeybuttonui.h"

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

}  // namespace
}  // namespace varlok::ui
