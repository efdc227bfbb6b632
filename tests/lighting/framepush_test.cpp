#include "lighting/framepush.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "settings/settingstestsupport.h"

namespace varlok::lighting {
namespace {

using settings::testing::Request;
using settings::testing::RequestsReceived;

// Records every tint; LEDs listed in hidden report their preview hidden.
class RecordingPreviews : public PreviewSink {
public:
    struct Tint {
        std::size_t led;
        std::uint32_t colour;
        std::uint8_t alpha;
        friend bool operator==(const Tint&, const Tint&) = default;
    };
    bool IsPreviewVisible(std::size_t led) const override {
        return std::ranges::find(hidden, led) == hidden.end();
    }
    void SetPreviewTint(std::size_t led, std::uint32_t packedColour, std::uint8_t alpha) override {
        tints.push_back({led, packedColour, alpha});
    }
    [[nodiscard]] bool Tinted(std::size_t led) const {
        return std::ranges::any_of(tints, [led](const Tint& tint) { return tint.led == led; });
    }

    std::vector<std::size_t> hidden;
    std::vector<Tint> tints;
};

class FramePush : public settings::testing::ConnectedMouse, public ::testing::Test {
protected:
    std::vector<Request> LightingRequests() const {
        std::vector<Request> requests = RequestsReceived(*mouse);
        std::erase_if(requests, [](const Request& r) { return r.command != 0x12; });
        return requests;
    }

    LedState leds;
    RecordingPreviews previews;
};

TEST_F(FramePush, SendsLeds0To21ScaledByLevelInTwoReports) {
    leds.Set(0, {{200, 100, 50}, 128});
    leds.Set(17, {{1, 2, 3}, 255});
    leds.Set(20, {{255, 0, 10}, 1});
    leds.Set(21, {{255, 255, 255}, 255});
    leds.Set(22, {{255, 255, 255}, 255});
    mouse->ClearLog();
    EXPECT_EQ(PushMouseFrame(leds, m_link), device::LinkResult::Success);
    ShowMouseFrame(leds, previews);

    std::array<std::uint8_t, 66> expected{};
    const std::array<std::uint8_t, 3> led0{100, 50, 25};  // 200 x 128 >> 8, ...
    std::ranges::copy(led0, expected.begin());
    const std::array<std::uint8_t, 3> led17{0, 1, 2};  // 1 x 255 >> 8 = 0
    std::ranges::copy(led17, expected.begin() + 51);
    // LED 20 at level 1: everything rounds down to 0.
    const std::array<std::uint8_t, 3> led21{254, 254, 254};
    std::ranges::copy(led21, expected.begin() + 63);

    const std::vector<Request> requests = LightingRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].Summary(), "12 len 56 @0");
    EXPECT_EQ(requests[1].Summary(), "12 len 10 @56");
    std::vector<std::uint8_t> sent = requests[0].data;
    sent.insert(sent.end(), requests[1].data.begin(), requests[1].data.end());
    EXPECT_EQ(sent, std::vector<std::uint8_t>(expected.begin(), expected.end()));
    EXPECT_EQ(mouse->LightingFrame(), expected);

    // Previews 0-21 only, packed R | B << 8 | G << 16 with the level as alpha.
    ASSERT_EQ(previews.tints.size(), 22u);
    EXPECT_EQ(previews.tints[0], (RecordingPreviews::Tint{0, 0x6432C8, 128}));
    EXPECT_EQ(previews.tints[21], (RecordingPreviews::Tint{21, 0xFFFFFF, 255}));
    EXPECT_FALSE(previews.Tinted(22));
    EXPECT_FALSE(previews.Tinted(23));
}

TEST_F(FramePush, HiddenPreviewKeepsItsTintWhileItsLedIsStillSent) {
    leds.Set(5, {{0, 0, 255}, 255});
    previews.hidden = {5};
    EXPECT_EQ(PushMouseFrame(leds, m_link), device::LinkResult::Success);
    ShowMouseFrame(leds, previews);
    EXPECT_FALSE(previews.Tinted(5));
    EXPECT_EQ(previews.tints.size(), 21u);
    EXPECT_EQ(mouse->LightingFrame()[17], 254);
}

TEST_F(FramePush, FailedSendIsNotRepeatedAndTheNextFrameReplacesIt) {
    const std::size_t framesBefore = mouse->LightingFrameCount();
    sim::VirtualMouse::Faults faults;
    faults.failWrites = true;
    mouse->SetFaults(faults);
    mouse->ClearLog();
    leds.Set(0, {{255, 0, 0}, 255});
    EXPECT_EQ(PushMouseFrame(leds, m_link), device::LinkResult::WriteFailed);
    const std::vector<sim::LoggedReport> attempts = mouse->Log();
    ASSERT_EQ(attempts.size(), 1u);
    EXPECT_FALSE(attempts[0].accepted);
    EXPECT_EQ(mouse->LightingFrameCount(), framesBefore);

    mouse->SetFaults({});
    leds.Set(0, {{0, 255, 0}, 255});
    EXPECT_EQ(PushMouseFrame(leds, m_link), device::LinkResult::Success);
    EXPECT_EQ(LightingRequests().size(), 2u);
    EXPECT_EQ(mouse->LightingFrame()[0], 0);
    EXPECT_EQ(mouse->LightingFrame()[1], 254);
}

TEST_F(FramePush, ClearRequestBlanksAll24PreviewsAndAnAbsentMouseGetsNothing) {
    leds.RequestPreviewClear();
    m_link.SetConnected(false);
    mouse->ClearLog();
    EXPECT_EQ(PushMouseFrame(leds, m_link), std::nullopt);
    EXPECT_TRUE(mouse->Log().empty());
    ShowMouseFrame(leds, previews);
    ASSERT_EQ(previews.tints.size(), 24u + 22u);
    for (std::size_t i = 0; i < 24; ++i) {
        EXPECT_EQ(previews.tints[i], (RecordingPreviews::Tint{i, 0, 0}));
    }
    // Taken once.
    previews.tints.clear();
    ShowMouseFrame(leds, previews);
    EXPECT_EQ(previews.tints.size(), 22u);
}

}  // namespace
}  // namespace varlok::lighting
