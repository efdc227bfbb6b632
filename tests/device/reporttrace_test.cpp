#include "device/reporttrace.h"

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "device/hiddevice.h"
#include "hidfakebackend.h"
#include "hidtestdata.h"

extern char** environ;

namespace varlok::device {
namespace {

using testing::Bytes;

// A temporary file as the trace sink, read back as lines.
class TraceFile {
public:
    TraceFile() : m_file(std::tmpfile()) {}
    ~TraceFile() {
        ReportTrace::Disable();
        if (m_file != nullptr) {
            std::fclose(m_file);
        }
    }
    TraceFile(const TraceFile&) = delete;
    TraceFile& operator=(const TraceFile&) = delete;

    std::FILE* Sink() const { return m_file; }
    std::vector<std::string> Lines() const {
        std::fflush(m_file);
        std::rewind(m_file);
        std::string text;
        char chunk[4096];
        std::size_t read = 0;
        while ((read = std::fread(chunk, 1, sizeof chunk, m_file)) > 0) {
            text.append(chunk, read);
        }
        std::fseek(m_file, 0, SEEK_END);
        std::vector<std::string> lines;
        std::istringstream stream(text);
        std::string line;
        while (std::getline(stream, line)) {
            lines.push_back(line);
        }
        return lines;
    }

private:
    std::FILE* m_file;
};

TEST(ReportTraceTest, LinesAreDirectionThenLowercaseHexBytes) {
    EXPECT_EQ(ReportTrace::FormatLine('>', Bytes({0x04, 0xAB, 0x00, 0x7F})), "> 04 ab 00 7f");
    EXPECT_EQ(ReportTrace::FormatLine('<', Bytes({0xFF})), "< ff");
    EXPECT_EQ(ReportTrace::FormatLine('<', {}), "< ");
}

TEST(ReportTraceTest, HidDevicePrintsWhatItWritesAndReads) {
    auto bus = std::make_shared<HidBus>();
    auto backend = std::make_shared<testing::FakeBackend>();
    bus->Attach(backend);
    auto node = backend->AddNode("if1", testing::LoadDescriptor("vendor-consumer.hex"),
                                 {0x0C45, 0x7643, 0x0100});
    HidDevice device(bus);
    ASSERT_TRUE(device.Open("fake:if1#vid_0c45&pid_7643&mi_01&col02", true, true, true, false));

    TraceFile trace;
    ReportTrace::Enable(trace.Sink());
    ASSERT_TRUE(ReportTrace::IsEnabled());
    std::vector<std::uint8_t> frame(64, 0);
    frame[0] = 0x04;
    frame[3] = 0xC1;
    frame[63] = 0x0A;
    ASSERT_TRUE(device.WriteReport(frame, nullptr, std::chrono::milliseconds(1000)));
    node->Send(Bytes({0x03, 0x01, 0x04}));  // another collection's: not delivered, not printed
    std::vector<std::uint8_t> answer(64, 0);
    answer[0] = 0x04;
    answer[1] = 0xEE;
    node->Send(answer);
    std::vector<std::uint8_t> received(64);
    ASSERT_TRUE(device.ReadReport(received, nullptr, std::chrono::milliseconds(1000)));
    ReportTrace::Disable();
    EXPECT_FALSE(ReportTrace::IsEnabled());
    ASSERT_TRUE(device.WriteReport(frame, nullptr, std::chrono::milliseconds(1000)));

    std::string sent = "> 04 00 00 c1";
    for (int i = 4; i < 63; ++i) {
        sent += " 00";
    }
    sent += " 0a";
    std::string read = "< 04 ee";
    for (int i = 2; i < 64; ++i) {
        read += " 00";
    }
    EXPECT_EQ(trace.Lines(), (std::vector<std::string>{sent, read}));
}

// Threads: lines printed from several threads at once never mix.
TEST(ReportTraceTest, ConcurrentLinesStayWhole) {
    TraceFile trace;
    ReportTrace::Enable(trace.Sink());
    constexpr int kThreads = 6;
    constexpr int kLinesEach = 300;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            const std::vector<std::uint8_t> report(64, static_cast<std::uint8_t>(0x10 * t + 1));
            for (int i = 0; i < kLinesEach; ++i) {
                if (i % 2 == 0) {
                    ReportTrace::Sent(report);
                } else {
                    ReportTrace::Received(report);
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    const auto lines = trace.Lines();
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kThreads * kLinesEach));
    const std::regex whole(R"([<>] ([0-9a-f]{2})( \1){63})");
    for (const std::string& line : lines) {
        ASSERT_TRUE(std::regex_match(line, whole)) << line;
    }
}

// Runs this test binary again with the given environment and this test
// selected, so that the process-wide switch starts from that environment.
int RunChild(const char* traceValue, const char* expectation) {
    const std::string filter = "--gtest_filter=ReportTraceTest.EnvironmentSwitchesItOnAtStart";
    std::vector<std::string> environment = {std::string("VARLOK_TRACE=") + traceValue,
                                            std::string("VARLOK_TRACE_EXPECT=") + expectation};
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        if (text.rfind("VARLOK_TRACE", 0) != 0) {
            environment.push_back(text);
        }
    }
    std::vector<char*> envp;
    for (auto& text : environment) {
        envp.push_back(text.data());
    }
    envp.push_back(nullptr);
    std::string program = "/proc/self/exe";
    std::string filterArgument = filter;
    char* argv[] = {program.data(), filterArgument.data(), nullptr};
    pid_t child = 0;
    if (posix_spawn(&child, "/proc/self/exe", nullptr, nullptr, argv, envp.data()) != 0) {
        return -1;
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

TEST(ReportTraceTest, EnvironmentSwitchesItOnAtStart) {
    if (const char* expectation = std::getenv("VARLOK_TRACE_EXPECT")) {
        EXPECT_EQ(ReportTrace::IsEnabled(), std::string(expectation) == "on");
        return;
    }
    EXPECT_EQ(RunChild("1", "on"), 0);
    EXPECT_EQ(RunChild("0", "off"), 0);
    EXPECT_EQ(RunChild("", "off"), 0);
}

}  // namespace
}  // namespace varlok::device
