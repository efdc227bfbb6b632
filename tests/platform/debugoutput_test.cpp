#include "platform/debugoutput.h"

#include "platform/startupphases.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>

namespace varlok::platform {
namespace {

TEST(DebugOutput, CaptureKeepsChineseTextByteExact) {
    DebugCapture capture;
    DebugOutput::Write("配置文件丢失");
    DebugOutput::Write("软件标示：49312");
    DebugOutput::Write(std::string_view("a\0b", 3));
    const std::vector<std::string> expected = {
        "\xE9\x85\x8D\xE7\xBD\xAE\xE6\x96\x87\xE4\xBB\xB6"
        "\xE4\xB8\xA2\xE5\xA4\xB1",
        "软件标示：49312", std::string("a\0b", 3)};
    EXPECT_EQ(capture.Lines(), expected);
    EXPECT_TRUE(capture.Contains("配置文件丢失"));
    EXPECT_FALSE(capture.Contains("配置文件"));
}

TEST(DebugOutput, CaptureSeesOnlyLinesWrittenWhileAlive) {
    DebugOutput::Write("before");
    std::vector<std::string> inner;
    {
        DebugCapture outer;
        {
            DebugCapture nested;
            DebugOutput::Write("both");
            inner = nested.Lines();
        }
        DebugOutput::Write("outer only");
        EXPECT_EQ(outer.Lines(), (std::vector<std::string>{"both", "outer only"}));
    }
    EXPECT_EQ(inner, std::vector<std::string>{"both"});
}

TEST(DebugOutput, GoesToStderrOnlyWhenAskedFor) {
    unsetenv("VARLOK_DEBUG");
    testing::internal::CaptureStderr();
    DebugOutput::Write("quiet");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    setenv("VARLOK_DEBUG", "1", 1);
    testing::internal::CaptureStderr();
    DebugOutput::Write("写成功！");
    DebugOutput::Write("already ended\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "写成功！\nalready ended\n");
    unsetenv("VARLOK_DEBUG");
}

TEST(DebugOutput, LinesFromManyThreadsAreAllCaptured) {
    constexpr int kThreads = 4;
    constexpr int kLines = 200;
    DebugCapture capture;
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([t] {
            for (int i = 0; i < kLines; ++i) {
                DebugOutput::Write("线程" + std::to_string(t) + ":" + std::to_string(i));
            }
        });
    }
    for (auto& writer : writers) {
        writer.join();
    }
    auto lines = capture.Lines();
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kThreads * kLines));
    for (int t = 0; t < kThreads; ++t) {
        for (int i = 0; i < kLines; ++i) {
            EXPECT_TRUE(capture.Contains("线程" + std::to_string(t) + ":" + std::to_string(i)));
        }
    }
}

TEST(StartupPhases, EachPhaseIsWrittenOnceWithTheTimeSinceTheProcessStarted) {
    DebugCapture capture;
    MarkStartupPhase("test phase");
    MarkStartupPhase("test phase");
    const std::vector<std::string> lines = capture.Lines();
    ASSERT_EQ(lines.size(), 1u);
    constexpr std::string_view kHead = "start-up: test phase at ";
    ASSERT_EQ(lines[0].substr(0, kHead.size()), kHead);
    EXPECT_EQ(lines[0].substr(lines[0].size() - 3), " ms");
    // Counted from the process's start, which lies before this test began
    // and within the time the test program may run.
    const long milliseconds = std::stol(lines[0].substr(kHead.size()));
    EXPECT_GE(milliseconds, 0);
    EXPECT_LT(milliseconds, 24L * 3600 * 1000);
}

}  // namespace
}  // namespace varlok::platform
