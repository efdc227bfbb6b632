#include "varlokctl/commandline.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "device/hidbus.h"
#include "keys/macrostore.h"
#include "keys/macrotable.h"
#include "platform/event.h"
#include "platform/filedescriptor.h"
#include "platform/inifile.h"
#include "platform/ownerlock.h"
#include "platform/scopedenvironment.h"
#include "platform/tempfolder.h"
#include "service/busnames.h"
#include "service/devicereads.h"
#include "sim/virtualhidbackend.h"
#include "sim/virtualmouse.h"
#include "varlok/version.h"
#include "varlokctl/commandtable.h"
#include "varlokctl/serviceerror.h"

namespace varlok::tools {
namespace {

using device::HidBus;
using platform::testing::ScopedEnvironment;
using platform::testing::TempFolder;
using platform::testing::WriteBytes;
using sim::LoggedReport;
using sim::VirtualMouse;

struct ToolRun {
    ExitCode code = ExitCode::Failure;
    std::string out;
    std::string err;
    std::string trace;
};

// Runs the tool as one process would. With --simulate the virtual mouse
// keeps its memory in state, or, without one, in a file of this run alone
// (never in the user's).
ToolRun RunTool(const std::shared_ptr<HidBus>& bus, std::vector<std::string_view> arguments,
                const std::atomic<bool>* interrupted = nullptr,
                const std::filesystem::path& state = {},
                std::chrono::milliseconds ownerWait = kOwnerWait) {
    std::ostringstream out;
    std::ostringstream err;
    const std::unique_ptr<std::FILE, decltype(&std::fclose)> trace(std::tmpfile(), &std::fclose);
    const TempFolder scratch;
    CommandLine tool({bus,
                      out,
                      err,
                      trace.get(),
                      interrupted,
                      false,
                      {},
                      state.empty() ? scratch / "virtual-mouse.state" : state,
                      ownerWait,
                      {},
                      nullptr});
    ToolRun run;
    run.code = tool.Run(arguments);
    run.out = out.str();
    run.err = err.str();
    if (trace) {
        std::rewind(trace.get());
        char buffer[4096];
        std::size_t count = 0;
        while ((count = std::fread(buffer, 1, sizeof buffer, trace.get())) > 0) {
            run.trace.append(buffer, count);
        }
    }
    return run;
}

std::string Hex(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (std::uint8_t byte : bytes) {
        char digits[4];
        std::snprintf(digits, sizeof digits, text.empty() ? "%02x" : " %02x", byte);
        text += digits;
    }
    return text;
}

std::vector<std::vector<std::uint8_t>> Requests(const VirtualMouse& mouse) {
    std::vector<std::vector<std::uint8_t>> requests;
    for (const LoggedReport& report : mouse.Log()) {
        if (report.direction == LoggedReport::Direction::HostToDevice) {
            requests.push_back(report.bytes);
        }
    }
    return requests;
}

std::vector<std::uint8_t> Frame(std::initializer_list<std::uint8_t> header) {
    std::vector<std::uint8_t> frame(64, 0);
    std::copy(header.begin(), header.end(), frame.begin());
    return frame;
}

using Bytes = std::vector<std::uint8_t>;

// A request as the mouse must receive it: length, offset (little-endian) and
// data, sealed with the sum of bytes 3-63 in bytes 1-2.
Bytes Request(std::uint8_t command, std::uint8_t length, std::uint16_t offset,
              std::span<const std::uint8_t> data = {}) {
    Bytes frame = Frame({0x04, 0x00, 0x00, command, length, static_cast<std::uint8_t>(offset),
                         static_cast<std::uint8_t>(offset >> 8)});
    std::ranges::copy(data, frame.begin() + 8);
    unsigned sum = 0;
    for (std::size_t i = 3; i < frame.size(); ++i) {
        sum += frame[i];
    }
    frame[1] = static_cast<std::uint8_t>(sum);
    frame[2] = static_cast<std::uint8_t>(sum >> 8);
    return frame;
}

Bytes WriteSettingsRequest(std::uint16_t offset, std::span<const std::uint8_t> record) {
    return Request(0x06, 56, offset, record);
}

// Key block 0 goes out as its window: read in chunks of 56 bytes at offsets
// 0, 56, ... 504, then written back with the profile's 126-byte block from
// the file in front and the rest as the mouse held it. The link reuses one
// request, so the short last chunk still carries the end of the chunk
// before it after its 8 bytes.
std::vector<Bytes> KeyBlock0Requests(std::span<const std::uint8_t> file,
                                     std::span<const std::uint8_t> held) {
    Bytes window(held.begin(), held.begin() + 512);
    std::ranges::copy(file.first(126), window.begin());
    std::vector<Bytes> requests;
    for (const std::uint8_t command : {0x08, 0x09}) {
        Bytes data(56, 0);
        for (std::size_t at = 0; at < 512; at += 56) {
            const std::size_t length = std::min<std::size_t>(56, 512 - at);
            if (command == 0x09) {
                std::ranges::copy(std::span(window).subspan(at, length), data.begin());
            }
            requests.push_back(Request(command, static_cast<std::uint8_t>(length),
                                       static_cast<std::uint16_t>(at), data));
        }
    }
    return requests;
}

Bytes Pattern(std::size_t size, std::uint8_t first) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(first + i);
    }
    return bytes;
}

// A mouse profile file: magic aa 55, type code 2, then the body.
std::string ProfileFile(std::span<const std::uint8_t> body) {
    std::string bytes(16, '\0');
    bytes[0] = '\xAA';
    bytes[1] = '\x55';
    bytes[4] = 2;
    bytes.append(body.begin(), body.end());
    return bytes;
}

// A machine on which the mouse is present but its node is not ours to open.
class LockedBackend : public device::HidBackend {
public:
    static constexpr char kPath[] = "locked:hidraw7#vid_0c45&pid_7643&mi_01&col02";
    std::string_view Scheme() const override { return "locked"; }
    bool Enumerate(std::vector<std::string>& paths) override {
        paths.emplace_back(kPath);
        return true;
    }
    std::unique_ptr<device::HidConnection> Open(std::string_view, const device::HidOpenRequest&,
                                                device::HidOpenError& error) override {
        error = device::HidOpenError::PermissionDenied;
        return nullptr;
    }
    bool Probe(std::string_view) override { return true; }
};

class VarlokctlTest : public ::testing::Test {
protected:
    std::shared_ptr<HidBus> m_bus = std::make_shared<HidBus>();
    std::shared_ptr<VirtualMouse> m_mouse = sim::AttachVirtualMouse(*m_bus);
};

TEST_F(VarlokctlTest, HelpNamesCommandsAndExitCodes) {
    for (std::string_view flag : {"--help", "help"}) {
        const ToolRun run = RunTool(m_bus, {flag});
        EXPECT_EQ(run.code, ExitCode::Ok);
        for (const char* text :
             {"list", "info", "read-settings [--profile N]", "set [--profile N]", "--dpi STAGE=DPI",
              "--stage-colour STAGE=RRGGBB", "--report-rate HZ", "apply FILE", "dump", "udev-rule",
              "--simulate", "--trace", "--direct", "3  no mouse found", "4  permission denied",
              "5  the mouse is not answering", "2  bad usage",
              "7  the mouse is in use by another program"}) {
            EXPECT_NE(run.out.find(text), std::string::npos) << text;
        }
    }
    EXPECT_TRUE(m_mouse->Log().empty());
}

TEST_F(VarlokctlTest, AMouseInUseIsLeftAloneWithExitCode7) {
    const TempFolder locks;
    m_bus->SetOwnerLocks(device::OwnerLocks{locks.Path(), "varlokctl"});
    const std::string pid = std::to_string(::getpid());
    platform::OwnerLock holder;
    ASSERT_EQ(holder.TryAcquire(locks / "sim.lock", "varlok"),
              platform::OwnerLock::Result::Acquired);
    // The window keeps the mouse while it runs: no waiting for it.
    for (const auto& arguments :
         std::vector<std::vector<std::string_view>>{{"info"},
                                                    {"--direct", "set", "--dpi", "1=750"},
                                                    {"effect", "wave", "--frames", "1"}}) {
        const ToolRun run = RunTool(m_bus, arguments);
        EXPECT_EQ(run.code, ExitCode::InUse) << run.err;
        EXPECT_EQ(run.err, "varlokctl: the mouse is in use by varlok (pid " + pid +
                               "); quit the varlok window to use the mouse from here\n");
    }
    // Another varlokctl is waited for, within bounds.
    ASSERT_EQ(holder.TryAcquire(locks / "sim.lock", "varlokctl"),
              platform::OwnerLock::Result::Acquired);
    const ToolRun waited = RunTool(m_bus, {"info"}, nullptr, {}, std::chrono::milliseconds(50));
    EXPECT_EQ(waited.code, ExitCode::InUse);
    EXPECT_EQ(waited.err, "varlokctl: the mouse is in use by varlokctl (pid " + pid +
                              "); waiting for it\nvarlokctl: the mouse is in use by varlokctl "
                              "(pid " +
                              pid + "); it did not let the mouse go in time\n");
    EXPECT_TRUE(m_mouse->Log().empty());

    holder.Release();
    EXPECT_EQ(RunTool(m_bus, {"--direct", "info"}).code, ExitCode::Ok);
}

TEST_F(VarlokctlTest, BadUsageIsRefusedBeforeAnyDeviceIsTouched) {
    const std::vector<std::vector<std::string_view>> cases{
        {},
        {"frobnicate"},
        {"--bogus", "info"},
        {"info", "extra"},
        {"info", "--profile", "1"},
        {"read-settings", "--profile"},
        {"read-settings", "--profile", "5"},
        {"read-settings", "--profile", "x"},
        {"read-settings", "--profile=-1"},
        {"read-settings", "--profile", "1x"},
    };
    for (const auto& arguments : cases) {
        const ToolRun run = RunTool(m_bus, arguments);
        EXPECT_EQ(run.code, ExitCode::Usage) << run.err;
        EXPECT_NE(run.err.find("varlokctl --help"), std::string::npos);
        EXPECT_TRUE(run.out.empty());
    }
    EXPECT_TRUE(m_mouse->Log().empty());
}

TEST_F(VarlokctlTest, UdevRuleIsTheInstalledFile) {
    std::ifstream file(VARLOK_SOURCE_DIR "/data/udev/70-varlok.rules", std::ios::binary);
    ASSERT_TRUE(file.good());
    const std::string expected{std::istreambuf_iterator<char>(file),
                               std::istreambuf_iterator<char>()};
    const ToolRun run = RunTool(std::make_shared<HidBus>(), {"udev-rule"});
    EXPECT_EQ(run.code, ExitCode::Ok);
    EXPECT_EQ(run.out, expected);
}

// "udev-rule --install" into a folder of the test, with the programs it runs
// recorded and answered with the given statuses (0 for any beyond them).
struct InstallRun {
    ExitCode code = ExitCode::Failure;
    std::string out;
    std::string err;
    std::vector<std::vector<std::string>> programs;
};

// installed: the rule of the install the tool runs from, when not this
// build tree's.
InstallRun RunInstall(const std::filesystem::path& folder, bool privileged,
                      std::vector<int> statuses = {},
                      std::optional<platform::UdevRuleFile> installed = std::nullopt) {
    const ScopedEnvironment rulesFolder("VARLOK_UDEV_RULES_DIR", folder.string());
    std::ostringstream out;
    std::ostringstream err;
    InstallRun run;
    ToolEnvironment environment{
        std::make_shared<HidBus>(),
        out,
        err,
        nullptr,
        nullptr,
        privileged,
        [&](const std::vector<std::string>& arguments) {
            run.programs.push_back(arguments);
            return run.programs.size() <= statuses.size() ? statuses[run.programs.size() - 1] : 0;
        },
        {},
        kOwnerWait,
        {},
        nullptr};
    environment.udevRule = std::move(installed);
    CommandLine tool(environment);
    const std::vector<std::string_view> arguments{"udev-rule", "--install"};
    run.code = tool.Run(arguments);
    run.out = out.str();
    run.err = err.str();
    return run;
}

TEST(VarlokctlUdevRuleTest, InstallWritesTheRuleThenReloadsAndTriggersUdev) {
    const TempFolder folder;
    const std::filesystem::path rule = folder.Path() / "70-varlok.rules";
    const InstallRun run = RunInstall(folder.Path(), true);
    ASSERT_EQ(run.code, ExitCode::Ok) << run.err;
    std::ifstream source(VARLOK_SOURCE_DIR "/data/udev/70-varlok.rules", std::ios::binary);
    std::ifstream written(rule, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(written), {}),
              std::string(std::istreambuf_iterator<char>(source), {}));
    // udev reads it whoever owns it.
    using std::filesystem::perms;
    EXPECT_EQ(std::filesystem::status(rule).permissions(),
              perms::owner_read | perms::owner_write | perms::group_read | perms::others_read);
    const std::vector<std::vector<std::string>> expected{{"udevadm", "control", "--reload"},
                                                         {"udevadm", "trigger"}};
    EXPECT_EQ(run.programs, expected);
    EXPECT_NE(run.out.find("wrote " + rule.string()), std::string::npos) << run.out;

    // A reload that fails stops there and says what to do.
    const InstallRun failed = RunInstall(folder.Path(), true, {1});
    EXPECT_EQ(failed.code, ExitCode::Failure);
    EXPECT_EQ(failed.programs.size(), 1u);
    EXPECT_NE(failed.err.find("'udevadm control --reload' failed"), std::string::npos)
        << failed.err;
}

TEST(VarlokctlUdevRuleTest, APackagesRuleIsAppliedWhereItIsAndNotCopied) {
    const TempFolder folder;
    const InstallRun run = RunInstall(
        folder.Path(), true, {}, platform::UdevRuleFile{"/lib/udev/rules.d/70-varlok.rules", true});
    ASSERT_EQ(run.code, ExitCode::Ok) << run.err;
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
    const std::vector<std::vector<std::string>> expected{{"udevadm", "control", "--reload"},
                                                         {"udevadm", "trigger"}};
    EXPECT_EQ(run.programs, expected);
    EXPECT_EQ(run.out,
              "udev reads the rule from /lib/udev/rules.d/70-varlok.rules\n"
              "ran udevadm control --reload\n"
              "ran udevadm trigger\n");
}

TEST(VarlokctlUdevRuleTest, InstallWithoutRootSaysWhatToRunAndTouchesNothing) {
    const TempFolder folder;
    const InstallRun run = RunInstall(folder.Path(), false);
    EXPECT_EQ(run.code, ExitCode::PermissionDenied);
    for (const std::string& text : std::vector<std::string>{
             "installing the udev rule needs root", "sudo varlokctl udev-rule --install",
             "sudo cp " VARLOK_BUILD_DATA_DIR "/udev/70-varlok.rules " + folder.Path().string() +
                 "/",
             "sudo udevadm control --reload && sudo udevadm trigger"}) {
        EXPECT_NE(run.err.find(text), std::string::npos) << text << '\n' << run.err;
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
    EXPECT_TRUE(run.programs.empty());

    // Where a package installed the rule into udev's folder, there is
    // nothing to copy, only udev to have it applied.
    const platform::UdevRuleFile packaged{"/lib/udev/rules.d/70-varlok.rules", true};
    const InstallRun applying = RunInstall(folder.Path(), false, {}, packaged);
    EXPECT_EQ(applying.code, ExitCode::PermissionDenied);
    EXPECT_EQ(applying.err,
              "varlokctl: applying the udev rule /lib/udev/rules.d/70-varlok.rules needs root. "
              "Run:\n"
              "  sudo varlokctl udev-rule --install\n"
              "or:\n"
              "  sudo udevadm control --reload && sudo udevadm trigger\n");

    const ToolRun misplaced = RunTool(std::make_shared<HidBus>(), {"info", "--install"});
    EXPECT_EQ(misplaced.code, ExitCode::Usage);
    EXPECT_NE(misplaced.err.find("--install belongs to udev-rule"), std::string::npos);
}

TEST_F(VarlokctlTest, NoMouseWhenOnlyTheDecoyIsThere) {
    m_mouse->Unplug();
    const ToolRun run = RunTool(m_bus, {"info"});
    EXPECT_EQ(run.code, ExitCode::NoMouse);
    EXPECT_NE(run.err.find("no mouse found"), std::string::npos);
    // The decoy is never opened for configuration.
    EXPECT_TRUE(m_mouse->Log().empty());

    const ToolRun empty = RunTool(std::make_shared<HidBus>(), {"dump"});
    EXPECT_EQ(empty.code, ExitCode::NoMouse);
}

TEST_F(VarlokctlTest, InfoDecodesTheInformationBlock) {
    const ToolRun run = RunTool(m_bus, {"info"});
    ASSERT_EQ(run.code, ExitCode::Ok) << run.err;
    const std::string path =
        sim::VirtualHidBackend(m_mouse).PathOf(sim::MouseCollection::Configuration);
    EXPECT_NE(run.out.find("mouse                 " + path + "\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("sensor                0x3360, base DPI 100, stage labels 100 to 12000"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("DPI step              100\n"), std::string::npos);
    EXPECT_NE(run.out.find("highest DPI position  15\n"), std::string::npos);
    EXPECT_NE(run.out.find("macro memory          4096 bytes (32 x 128)\n"), std::string::npos);
    EXPECT_NE(run.out.find("device info           " + Hex(m_mouse->DeviceInfo()) + "\n"),
              std::string::npos);

    const auto requests = Requests(*m_mouse);
    ASSERT_EQ(requests.size(), 3U);
    EXPECT_EQ(requests[0], Frame({0x04, 0x01, 0x00, 0x01}));
    EXPECT_EQ(requests[1], Frame({0x04, 0x24, 0x00, 0x03, 0x21}));
    EXPECT_EQ(requests[2], Frame({0x04, 0x02, 0x00, 0x02}));
    EXPECT_FALSE(m_mouse->InTransfer());
}

TEST_F(VarlokctlTest, UnknownSensorIsNamedAsSuch) {
    auto info = m_mouse->DeviceInfo();
    info[9] = 0x34;
    info[10] = 0x12;
    m_mouse->SetDeviceInfo(info);
    const ToolRun run = RunTool(m_bus, {"info"});
    ASSERT_EQ(run.code, ExitCode::Ok);
    EXPECT_NE(run.out.find("sensor                0x1234 (not in the sensor table)\n"),
              std::string::npos)
        << run.out;
}

TEST_F(VarlokctlTest, SimulateAndTraceShowEveryReport) {
    const auto bus = std::make_shared<HidBus>();
    const ToolRun run = RunTool(bus, {"--simulate", "--trace", "info"});
    ASSERT_EQ(run.code, ExitCode::Ok) << run.err;
    EXPECT_NE(run.out.find("sensor                0x3360"), std::string::npos);

    std::string request = "> 04 24 00 03 21 00 00 00";
    for (int i = 0; i < 56; ++i) {
        request += " 00";
    }
    EXPECT_NE(run.trace.find(request + "\n"), std::string::npos) << run.trace;
    const std::size_t answer = run.trace.find("\n< 04 ", run.trace.find(request));
    ASSERT_NE(answer, std::string::npos) << run.trace;
    const std::string answerLine =
        run.trace.substr(answer + 1, run.trace.find('\n', answer + 1) - answer - 1);
    EXPECT_EQ(answerLine.size(), 2 + 64 * 3 - 1) << answerLine;
    // Without --trace nothing is traced.
    const ToolRun quiet = RunTool(bus, {"info"});
    EXPECT_EQ(quiet.code, ExitCode::Ok);
    EXPECT_TRUE(quiet.trace.empty());
}

TEST_F(VarlokctlTest, ReadSettingsDecodesTheRecordOfTheProfileAsked) {
    auto area = m_mouse->SettingsArea();
    std::array<std::uint8_t, 56> record{};
    record[0] = 2;
    for (std::size_t i = 1; i <= 9; ++i) {
        record[i] = static_cast<std::uint8_t>(0xA0 + i);
    }
    record[14] = 3;
    const std::array<std::uint8_t, 7> codes{3, 0, 15, 7, 0x20, 1, 2};
    const std::array<std::size_t, 7> stageBytes{15, 16, 17, 18, 20, 21, 22};
    for (std::size_t s = 0; s < 7; ++s) {
        record[stageBytes[s]] = codes[s];
        record[23 + 3 * s] = static_cast<std::uint8_t>(0x10 * s);
        record[24 + 3 * s] = 0x32;
        record[25 + 3 * s] = static_cast<std::uint8_t>(s);
    }
    record[19] = 2;
    record[44] = 0xFF;
    record[45] = 0x80;
    record[46] = 0x01;
    record[47] = 0x00;
    record[48] = 0x11;
    record[49] = 0x22;
    std::copy(record.begin(), record.end(), area.begin() + 128);
    m_mouse->SetSettingsArea(area);

    const ToolRun run = RunTool(m_bus, {"read-settings", "--profile", "2"});
    ASSERT_EQ(run.code, ExitCode::Ok) << run.err;
    for (const char* line : {
             "settings record of profile 2 (offset 128)\n",
             "active profile        2\n",
             "lighting bytes        a1 a2 a3 a4 a5 a6 a7 a8 a9\n",
             "report rate index     3\n",
             "DPI stage 1           code  3 = 1000 DPI, colour 003200\n",
             "DPI stage 2           code  0 = 250 DPI, colour 103201\n",
             "DPI stage 3           code 15 = 4000 DPI, colour 203202\n",
             "DPI stage 4           code  7 = 2000 DPI, colour 303203\n",
             "DPI stage 5           code 32 (not in the DPI table), colour 403204\n",
             "DPI stage 6           code  1 = 500 DPI, colour 503205\n",
             "DPI stage 7           code  2 = 750 DPI, colour 603206\n",
             "current stage         2 (stage 3)\n",
             "wheel colour          ff8001\n",
             "logo colour           001122\n",
         }) {
        EXPECT_NE(run.out.find(line), std::string::npos) << line << run.out;
    }
    EXPECT_NE(run.out.find("raw                   " + Hex(record) + "\n"), std::string::npos);
    const auto requests = Requests(*m_mouse);
    ASSERT_EQ(requests.size(), 1U);
    // 0x05 + 0x38 + 0x80 = 0xBD
    EXPECT_EQ(requests[0], Frame({0x04, 0xBD, 0x00, 0x05, 0x38, 0x80, 0x00}));
}

TEST_F(VarlokctlTest, DumpReadsTheWholeMouse) {
    const ToolRun run = RunTool(m_bus, {"dump"});
    ASSERT_EQ(run.code, ExitCode::Ok) << run.err;
    // Bracket, information block, factory map (10 chunks), five blocks
    // (10 chunks each), five settings records.
    const auto requests = Requests(*m_mouse);
    EXPECT_EQ(requests.size(), 1U + 1U + 10U + 50U + 5U + 1U);
    EXPECT_EQ(requests.front()[3], 0x01);
    EXPECT_EQ(requests.back()[3], 0x02);

    const auto block3 = m_mouse->StoredKeyBlock(3);
    const std::size_t section = run.out.find("key block 3 (512 bytes at offset 378)\n");
    ASSERT_NE(section, std::string::npos) << run.out;
    const std::size_t firstLine =
        section + std::string("key block 3 (512 bytes at offset 378)\n").size();
    EXPECT_EQ(run.out.substr(firstLine, 6 + 16 * 3),
              "0000: " + Hex(std::span(block3).first(16)) + "\n");
    const std::string lastLine = "01f0: " + Hex(std::span(block3).last(16)) + "\n";
    EXPECT_NE(run.out.find(lastLine, section), std::string::npos);
    for (const char* title : {"device info (33 bytes)\n", "factory key map (512 bytes)\n",
                              "key block 0 (512 bytes at offset 0)\n",
                              "settings record 4 (56 bytes at offset 256)\n"}) {
        EXPECT_NE(run.out.find(title), std::string::npos) << title;
    }
}

TEST_F(VarlokctlTest, FaultyMouseGivesItsExitCode) {
    struct Case {
        VirtualMouse::Faults faults;
        ExitCode code = ExitCode::Ok;
        const char* message = "";
        std::size_t requests = 0;
    };
    VirtualMouse::Faults silent;
    silent.silent = true;
    VirtualMouse::Faults failing;
    failing.failWrites = true;
    VirtualMouse::Faults failed;
    failed.forcedStatus = 0xFF;
    VirtualMouse::Faults refused;
    refused.forcedStatus = 0xFE;
    for (const Case& c : {Case{silent, ExitCode::NotAnswering, "not answering", 4},
                          Case{failing, ExitCode::NotAnswering, "not answering", 1},
                          Case{failed, ExitCode::DeviceError, "status 0xFF", 1},
                          Case{refused, ExitCode::DeviceError, "status 0xFE", 1}}) {
        m_mouse->SetFaults(c.faults);
        m_mouse->ClearLog();
        const ToolRun run = RunTool(m_bus, {"info"});
        EXPECT_EQ(run.code, c.code) << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(Requests(*m_mouse).size(), c.requests) << run.err;
        EXPECT_TRUE(run.out.empty());
    }
}

TEST_F(VarlokctlTest, GarbageAnswersCountAsNotAnswering) {
    VirtualMouse::Faults garbage;
    garbage.garbage = true;
    m_mouse->SetFaults(garbage);
    const ToolRun run = RunTool(m_bus, {"read-settings"});
    EXPECT_EQ(run.code, ExitCode::NotAnswering) << run.err;
    EXPECT_EQ(Requests(*m_mouse).size(), 4U);
}

TEST_F(VarlokctlTest, SetWritesTheWholeRecordOnceKeepingTheActiveProfile) {
    auto area = m_mouse->SettingsArea();
    area[0] = 3;  // the onboard profile the mouse has in force
    m_mouse->SetSettingsArea(area);
    // The record in force: the active profile, then that profile's record.
    Bytes expected(area.begin() + 192, area.begin() + 248);
    expected[0] = 3;
    ASSERT_NE(expected[16], 0);
    expected[14] = 2;   // 500 Hz
    expected[16] = 0;   // stage 2: 250 DPI, the later of its two values
    expected[22] = 15;  // stage 7: 4000 DPI
    std::ranges::copy(Bytes{0x12, 0x34, 0x56}, expected.begin() + 23);  // stage 1 colour
    std::ranges::copy(Bytes{0xA0, 0xB1, 0xC2}, expected.begin() + 29);  // stage 3 colour

    const ToolRun run = RunTool(
        m_bus, {"set", "--dpi", "2=1500", "--dpi=7=4000", "--dpi", "2=250", "--stage-colour",
                "3=#A0b1C2", "--stage-colour=1=123456", "--report-rate", "500"});
    ASSERT_EQ(run.code, ExitCode::Ok) << run.err;
    const auto requests = Requests(*m_mouse);
    ASSERT_EQ(requests.size(), 2U);
    EXPECT_EQ(requests[0], Request(0x05, 56, 0));
    EXPECT_EQ(requests[1], WriteSettingsRequest(0, expected));
    const auto after = m_mouse->SettingsArea();
    EXPECT_EQ(after[0], 3);
    EXPECT_TRUE(std::equal(expected.begin() + 1, expected.end(), after.begin() + 193));
    EXPECT_TRUE(std::equal(area.begin() + 1, area.begin() + 192, after.begin() + 1));
    for (const char* line : {"wrote the settings record in force: onboard profile 3 (offset 0)\n",
                             "active profile        3\n", "report rate index     2\n",
                             "DPI stage 2           code  0 = 250 DPI, colour ",
                             "DPI stage 3           code  7 = 2000 DPI, colour a0b1c2\n"}) {
        EXPECT_NE(run.out.find(line), std::string::npos) << line << run.out;
    }
}

TEST_F(VarlokctlTest, ProfileZerosRecordIsReachedOnlyWhileProfileZeroIsActive) {
    m_mouse->PressProfileButton();
    m_mouse->PressProfileButton();
    const auto before = m_mouse->SettingsArea();
    const ToolRun refused = RunTool(m_bus, {"set", "--profile", "0", "--dpi", "1=4000"});
    EXPECT_EQ(refused.code, ExitCode::Failure);
    EXPECT_NE(refused.err.find("only while profile 0 is active, and the mouse is on profile 2"),
              std::string::npos)
        << refused.err;
    EXPECT_EQ(m_mouse->SettingsArea(), before);
    EXPECT_EQ(RunTool(m_bus, {"read-settings", "--profile", "0"}).code, ExitCode::Failure);
    const ToolRun inForce = RunTool(m_bus, {"read-settings"});
    EXPECT_NE(inForce.out.find("settings record in force: onboard profile 2 (offset 0)\n"),
              std::string::npos)
        << inForce.out;
}

TEST_F(VarlokctlTest, TheVirtualMouseKeepsItsMemoryBetweenRunsUnlessStartedFresh) {
    const TempFolder folder;
    const auto run = [state = folder / "varlok" /
                              "virtual-mouse.state"](std::vector<std::string_view> arguments) {
        // A process of its own each time: a new bus, a new virtual mouse.
        return RunTool(std::make_shared<HidBus>(), std::move(arguments), nullptr, state);
    };
    ASSERT_EQ(run({"--simulate", "set", "--dpi", "1=2000"}).code, ExitCode::Ok);
    const std::string changed = "DPI stage 1           code  7 = 2000 DPI";
    const std::string factory = "DPI stage 1           code  1 = 500 DPI";
    EXPECT_NE(run({"--simulate", "read-settings"}).out.find(changed), std::string::npos);
    EXPECT_NE(run({"--simulate=fresh", "read-settings"}).out.find(factory), std::string::npos);
    EXPECT_NE(run({"--simulate", "read-settings"}).out.find(factory), std::string::npos);
    const ToolRun bad = run({"--simulate=stale", "info"});
    EXPECT_EQ(bad.code, ExitCode::Usage);
    EXPECT_NE(bad.err.find("--simulate takes no value but 'fresh'"), std::string::npos);
}

TEST_F(VarlokctlTest, SetOnAnotherProfileWritesAtItsOffsetAndTracesTheWrite) {
    auto area = m_mouse->SettingsArea();
    for (std::size_t i = 128; i < 192; ++i) {
        area[i] = static_cast<std::uint8_t>(i);
    }
    m_mouse->SetSettingsArea(area);
    // Bytes 50-55 of the record go back as they were read.
    Bytes expected(area.begin() + 128, area.begin() + 184);
    expected[14] = 3;                                                   // 1000 Hz
    std::ranges::copy(Bytes{0x0A, 0x0B, 0x0C}, expected.begin() + 41);  // stage 7 colour

    const ToolRun run = RunTool(m_bus, {"--trace", "set", "--profile", "2", "--report-rate", "1000",
                                        "--stage-colour", "7=0a0B0c"});
    ASSERT_EQ(run.code, ExitCode::Ok) << run.err;
    const Bytes write = WriteSettingsRequest(128, expected);
    EXPECT_EQ(Requests(*m_mouse), (std::vector<Bytes>{Request(0x05, 56, 128), write}));
    auto written = area;
    std::ranges::copy(expected, written.begin() + 128);
    EXPECT_EQ(m_mouse->SettingsArea(), written);
    EXPECT_NE(run.trace.find("> " + Hex(write) + "\n"), std::string::npos) << run.trace;
    EXPECT_NE(run.out.find("wrote the settings record of profile 2 (offset 128)\n"),
              std::string::npos);

    // A read the mouse refuses leaves nothing to write back.
    VirtualMouse::Faults failed;
    failed.forcedStatus = 0xFF;
    m_mouse->SetFaults(failed);
    m_mouse->ClearLog();
    const ToolRun refused = RunTool(m_bus, {"set", "--dpi", "1=1000"});
    EXPECT_EQ(refused.code, ExitCode::DeviceError);
    EXPECT_NE(refused.err.find("ReadSettings"), std::string::npos) << refused.err;
    EXPECT_EQ(Requests(*m_mouse).size(), 1U);
}

TEST_F(VarlokctlTest, SetRefusesBadValuesBeforeTouchingTheMouse) {
    struct Case {
        std::vector<std::string_view> arguments;
        std::vector<const char*> message;
    };
    const std::vector<Case> cases{
        {{"set", "--dpi", "1=300"},
         {"--dpi '1=300': 300 is not a DPI", "multiples of 250 from 250 to 4000"}},
        {{"set", "--dpi", "3=4250"}, {"4250 is not a DPI", "from 250 to 4000"}},
        {{"set", "--dpi", "8=1000"}, {"'8=1000': the stage must be a number from 1 to 7"}},
        {{"set", "--dpi", "1000"}, {"expected STAGE=DPI"}},
        {{"set", "--stage-colour", "1=12345G"}, {"12345G is not a colour", "RRGGBB"}},
        {{"set", "--report-rate", "300"}, {"300 Hz is not a report rate", "125, 250, 500 or 1000"}},
        {{"set"}, {"set needs something to change"}},
        {{"set", "--profile", "5", "--dpi", "1=1000"}, {"--profile needs a number from 0 to 4"}},
        {{"set", "--dpi", "1=1000", "extra"}, {"unexpected argument 'extra'"}},
        {{"info", "--dpi", "1=1000"}, {"--dpi belongs to set"}},
        {{"dump", "--profile", "1"}, {"--profile belongs to read-settings and set"}},
    };
    for (const Case& c : cases) {
        const ToolRun run = RunTool(m_bus, c.arguments);
        EXPECT_EQ(run.code, ExitCode::Usage) << run.err;
        for (const char* text : c.message) {
            EXPECT_NE(run.err.find(text), std::string::npos) << text << '\n' << run.err;
        }
        EXPECT_TRUE(run.out.empty());
    }
    EXPECT_TRUE(m_mouse->Log().empty());
}

TEST_F(VarlokctlTest, ApplySendsEachKindOfProfileAsSelectingItDoes) {
    const TempFolder folder;
    const Bytes lighting = Pattern(64, 1);
    Bytes lightingRecord(lighting.begin(), lighting.begin() + 50);
    lightingRecord.resize(56, 0);

    // A key profile cut short: the rest of its block goes out as zeros.
    const Bytes shortKeys = Pattern(100, 7);
    Bytes keyBlock = shortKeys;
    keyBlock.resize(512, 0);

    const Bytes device = Pattern(576, 3);
    Bytes deviceRecord(device.begin() + 512, device.begin() + 562);
    deviceRecord.resize(56, 0);
    std::vector<Bytes> deviceRequests{WriteSettingsRequest(0, deviceRecord)};
    const auto held = m_mouse->StoredKeyBlock(0);
    for (Bytes& chunk : KeyBlock0Requests(device, held)) {
        deviceRequests.push_back(std::move(chunk));
    }

    struct Case {
        const char* file;
        const Bytes& body;
        std::vector<Bytes> requests;
        const char* applied;
    };
    for (const Case& c : {
             Case{"Lights.LED", lighting, {WriteSettingsRequest(0, lightingRecord)}, "lighting"},
             Case{"keys.pro", shortKeys, KeyBlock0Requests(keyBlock, held), "key"},
             Case{"all.Config", device, deviceRequests, "device"},
         }) {
        const std::filesystem::path path = folder / c.file;
        WriteBytes(path, ProfileFile(c.body));
        m_mouse->ClearLog();
        const ToolRun run = RunTool(m_bus, {"apply", path.string()});
        ASSERT_EQ(run.code, ExitCode::Ok) << c.file << run.err;
        EXPECT_EQ(Requests(*m_mouse), c.requests) << c.file;
        EXPECT_NE(run.out.find(std::string("applied the ") + c.applied + " profile " +
                               path.string() + "\n"),
                  std::string::npos)
            << run.out;
    }
    // Only profile 0's block came from the file; the blocks after it in the
    // window stayed as they were.
    const auto stored = m_mouse->StoredKeyBlock(0);
    EXPECT_TRUE(std::equal(device.begin(), device.begin() + 126, stored.begin()));
    EXPECT_TRUE(std::equal(held.begin() + 126, held.end(), stored.begin() + 126));
}

TEST_F(VarlokctlTest, ApplyRefusesWhatIsNoProfileFileBeforeOpeningTheMouse) {
    const TempFolder folder;
    WriteBytes(folder / "notes.led", "just some text, long enough to hold a header");
    WriteBytes(folder / "keys.txt", ProfileFile(Pattern(512, 0)));
    std::filesystem::create_directory(folder / "folder.pro");
    const std::string notes = (folder / "notes.led").string();
    const std::string missing = (folder / "missing.config").string();
    const std::string directory = (folder / "folder.pro").string();
    const std::string text = (folder / "keys.txt").string();
    struct Case {
        std::vector<std::string_view> arguments;
        ExitCode code;
        std::string message;
    };
    for (const Case& c : {
             Case{{"apply", notes}, ExitCode::Failure, notes + " is not a profile file"},
             Case{{"apply", missing}, ExitCode::Failure, "cannot read " + missing},
             Case{{"apply", directory}, ExitCode::Failure, "cannot read " + directory},
             Case{{"apply", text},
                  ExitCode::Usage,
                  "apply takes a .config, .led or .pro file, not '" + text + "'"},
             Case{{"apply"}, ExitCode::Usage, "apply needs a profile file"},
             Case{{"apply", notes, text}, ExitCode::Usage, "unexpected argument '" + text + "'"},
         }) {
        const ToolRun run = RunTool(m_bus, c.arguments);
        EXPECT_EQ(run.code, c.code) << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.message << '\n' << run.err;
        EXPECT_TRUE(run.out.empty());
    }
    EXPECT_TRUE(m_mouse->Log().empty());
}

TEST(VarlokctlPermissionTest, DeniedNodeNamesTheUdevRuleOfThisInstall) {
    const auto bus = std::make_shared<HidBus>();
    bus->Attach(std::make_shared<LockedBackend>());
    const ToolRun run = RunTool(bus, {"info"});
    EXPECT_EQ(run.code, ExitCode::PermissionDenied);
    EXPECT_NE(run.err.find(LockedBackend::kPath), std::string::npos) << run.err;
    // This build tree's rule, and how to put it in force.
    const std::string rule = VARLOK_BUILD_DATA_DIR "/udev/70-varlok.rules";
    EXPECT_NE(run.err.find("Install the udev rule " + rule), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("'sudo varlokctl udev-rule --install'"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("\n  sudo cp " + rule +
                           " /etc/udev/rules.d/\n"
                           "  sudo udevadm control --reload && sudo udevadm trigger\n"),
              std::string::npos)
        << run.err;

    // A package's rule, which udev reads where it is, needs only applying.
    std::ostringstream out;
    std::ostringstream err;
    ToolEnvironment installed{bus, out, err,        nullptr, nullptr, false,
                              {},  {},  kOwnerWait, {},      nullptr};
    installed.udevRule = platform::UdevRuleFile{"/lib/udev/rules.d/70-varlok.rules", true};
    const std::vector<std::string_view> info{"info"};
    EXPECT_EQ(CommandLine(installed).Run(info), ExitCode::PermissionDenied);
    EXPECT_NE(err.str().find("The udev rule /lib/udev/rules.d/70-varlok.rules that lets the user "
                             "at the seat open the mouse is installed; have udev apply it"),
              std::string::npos)
        << err.str();
    EXPECT_EQ(err.str().find("sudo cp"), std::string::npos) << err.str();

    const ToolRun list = RunTool(bus, {"list"});
    EXPECT_EQ(list.code, ExitCode::Ok);
    EXPECT_EQ(list.out, std::string(LockedBackend::kPath) +
                            "\n  vendor 0c45  product 7643  (cannot open: permission denied)\n");
}

TEST_F(VarlokctlTest, ListShowsEveryCollection) {
    const ToolRun run = RunTool(m_bus, {"list"});
    ASSERT_EQ(run.code, ExitCode::Ok) << run.err;
    const sim::VirtualHidBackend backend(m_mouse);
    const std::string configuration = backend.PathOf(sim::MouseCollection::Configuration);
    const std::string consumer = backend.PathOf(sim::MouseCollection::Consumer);
    EXPECT_NE(run.out.find(configuration +
                           "\n  vendor 0c45  product 7643  usage page ff1c  usage 0092\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(
        run.out.find(consumer + "\n  vendor 0c45  product 7643  usage page 000c  usage 0001\n"),
        std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find(sim::VirtualHidBackend::DecoyPath() + "\n  vendor 0c45  product 7644"),
              std::string::npos)
        << run.out;
    // Listing sends nothing to any collection.
    EXPECT_TRUE(Requests(*m_mouse).empty());

    const ToolRun empty = RunTool(std::make_shared<HidBus>(), {"list"});
    EXPECT_EQ(empty.code, ExitCode::Ok);
    EXPECT_EQ(empty.out, "no HID collections found\n");
}

}  // namespace
}  // namespace varlok::tools

namespace varlok::tools {
namespace {

// The data bytes of the lighting-frame requests the mouse received, one
// 66-byte frame per pair of requests.
std::vector<std::vector<std::uint8_t>> LightingFrames(const VirtualMouse& mouse) {
    std::vector<std::vector<std::uint8_t>> frames;
    for (const std::vector<std::uint8_t>& request : Requests(mouse)) {
        if (request[3] != 0x12) {
            continue;
        }
        const std::size_t offset = request[5] | request[6] << 8;
        if (offset == 0) {
            frames.emplace_back();
        }
        EXPECT_EQ(frames.back().size(), offset);
        frames.back().insert(frames.back().end(), request.begin() + 8,
                             request.begin() + 8 + request[4]);
    }
    return frames;
}

std::vector<std::uint8_t> RepeatLed(std::array<std::uint8_t, 3> led) {
    std::vector<std::uint8_t> frame;
    for (int i = 0; i < 22; ++i) {
        frame.insert(frame.end(), led.begin(), led.end());
    }
    return frame;
}

TEST_F(VarlokctlTest, EffectSendsOneFrameInTwoReportsPerStep) {
    const ToolRun run = RunTool(m_bus, {"effect", "spectrum", "--frames", "3", "--fast"});
    EXPECT_EQ(run.code, ExitCode::Ok) << run.err;
    EXPECT_NE(run.out.find("effect spectrum (mode 2): 3 frames sent"), std::string::npos);
    // Right: the wheel runs down from entry 191 (255, 0, 0), 190 (255, 0, 2),
    // 189 (255, 0, 4), all at brightness 255.
    const auto frames = LightingFrames(*m_mouse);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0], RepeatLed({254, 0, 0}));
    EXPECT_EQ(frames[1], RepeatLed({254, 0, 1}));
    EXPECT_EQ(frames[2], RepeatLed({254, 0, 3}));
    EXPECT_EQ(Requests(*m_mouse).size(), 6u);
}

TEST_F(VarlokctlTest, EffectOptionsReachTheEffect) {
    const ToolRun run =
        RunTool(m_bus, {"effect", "5", "--brightness", "2", "--colour", "#010203", "--wheel",
                        "0a0b0c", "--logo", "FF0000", "--frames=1", "--fast"});
    EXPECT_EQ(run.code, ExitCode::Ok) << run.err;
    // Brightness 149: 255 x 149 >> 8 = 148; 10 x 149 >> 8 = 5, 11 -> 6, 12 -> 6.
    std::vector<std::uint8_t> expected;
    for (int i = 0; i < 18; ++i) {
        expected.insert(expected.end(), {0, 1, 1});
    }
    for (int i = 0; i < 3; ++i) {
        expected.insert(expected.end(), {148, 0, 0});
    }
    expected.insert(expected.end(), {5, 6, 6});
    ASSERT_EQ(LightingFrames(*m_mouse).size(), 1u);
    EXPECT_EQ(LightingFrames(*m_mouse)[0], expected);

    m_mouse->ClearLog();
    // Trail, left, seven colours: the head starts at LED 17 in red.
    ASSERT_EQ(RunTool(m_bus, {"effect", "trail", "--direction", "left", "--seven", "--frames", "1",
                              "--fast"})
                  .code,
              ExitCode::Ok);
    const auto frames = LightingFrames(*m_mouse);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0][51], 237);  // level 255 x 239 >> 8 = 238, then 255 x 238 >> 8
    EXPECT_EQ(frames[0][48], 0);
}

TEST_F(VarlokctlTest, EffectStopsWhenInterruptedAndRefusesBadArguments) {
    const std::atomic<bool> interrupted{true};
    const ToolRun stopped = RunTool(m_bus, {"effect", "wave"}, &interrupted);
    EXPECT_EQ(stopped.code, ExitCode::Ok);
    EXPECT_NE(stopped.out.find("0 frames sent, then interrupted"), std::string::npos);

    m_mouse->ClearLog();
    const std::vector<std::vector<std::string_view>> cases{
        {"effect"},
        {"effect", "7"},
        {"effect", "rainbow"},
        {"effect", "wave", "extra"},
        {"effect", "wave", "--speed", "5"},
        {"effect", "wave", "--brightness", "-1"},
        {"effect", "wave", "--direction", "up"},
        {"effect", "wave", "--colour", "12345"},
        {"effect", "wave", "--wheel", "gg0000"},
        {"effect", "wave", "--frames", "0"},
        {"effect", "wave", "--frames"},
        {"info", "--fast"},
        {"info", "--seven"},
        {"set", "--speed", "1"},
    };
    for (const auto& arguments : cases) {
        const ToolRun run = RunTool(m_bus, arguments);
        EXPECT_EQ(run.code, ExitCode::Usage) << arguments.size() << ": " << run.err;
        EXPECT_TRUE(run.out.empty());
    }
    EXPECT_TRUE(m_mouse->Log().empty());
}

}  // namespace
}  // namespace varlok::tools

namespace varlok::tools {
namespace {

// A macro store of two: "name_1" without actions and "Reload" with three.
std::filesystem::path WriteTwoMacros(const TempFolder& documents) {
    const std::filesystem::path folder = documents / "VARLOK" / "ms";
    std::filesystem::create_directories(folder);
    WriteBytes(folder / "msMacro.ini", "[MACROCOUNT]\ncount=2\n[MACRONAME]\n0=name_1\n1=Reload\n");
    WriteBytes(folder / "Reload.mac",
               "[MACROACTIONCOUNT]\ncount=3\n[MACROACTION]\n0=4,0,129,1,1,a\n1=0,0,1,1,0,a\n"
               "2=0,0,5,9,0,b\n");
    return folder;
}

TEST_F(VarlokctlTest, MacrosListsTheStoreAgainstTheMousesMemory) {
    TempFolder documents;
    const platform::testing::ScopedEnvironment environment("VARLOK_DOCUMENTS_DIR",
                                                           documents.Path().string());
    const std::filesystem::path folder = WriteTwoMacros(documents);
    const ToolRun run = RunTool(m_bus, {"macros"});
    EXPECT_EQ(run.code, ExitCode::Ok) << run.err;
    EXPECT_EQ(run.out, "2 macros in " + (folder / "msMacro.ini").string() +
                           "\n"
                           "   0      0 actions  name_1\n"
                           "   1      3 actions  Reload\n"
                           "table                 40 bytes (2 macros, 3 actions)\n"
                           "macro memory          4096 bytes (32 x 128)\n"
                           "fits                  yes, 4056 bytes to spare\n");
    auto info = m_mouse->DeviceInfo();
    info[device::DeviceInfo::kMacroUnitsIndex] = 0;
    m_mouse->SetDeviceInfo(info);
    EXPECT_NE(RunTool(m_bus, {"macros"}).out.find("no: remove at least 11 actions"),
              std::string::npos);
}

// The commands of the host's requests, in order (report byte 3).
std::vector<std::uint8_t> RequestCommands(const sim::VirtualMouse& mouse) {
    std::vector<std::uint8_t> commands;
    for (const sim::LoggedReport& report : mouse.Log()) {
        if (report.direction == sim::LoggedReport::Direction::HostToDevice &&
            report.bytes.size() > 3) {
            commands.push_back(report.bytes[3]);
        }
    }
    return commands;
}

TEST_F(VarlokctlTest, UploadSendsScriptsMacrosThenTheActiveKeyBlockOrRefusesTheMacros) {
    TempFolder documents;
    const platform::testing::ScopedEnvironment environment("VARLOK_DOCUMENTS_DIR",
                                                           documents.Path().string());
    const std::filesystem::path folder = WriteTwoMacros(documents);
    const ToolRun run = RunTool(m_bus, {"upload"});
    ASSERT_EQ(run.code, ExitCode::Ok) << run.err;
    EXPECT_NE(run.out.find("macros: 40 bytes, sent"), std::string::npos) << run.out;
    // The scripts' table, the macros' table, each in a transfer bracket,
    // then the key block in its own: read of its window, then the write.
    const std::vector<std::uint8_t> commands = RequestCommands(*m_mouse);
    const auto at = [&](std::uint8_t command) {
        return std::ranges::find(commands, command) - commands.begin();
    };
    const auto last = [&](std::uint8_t command) {
        return commands.rend() - std::ranges::find(commands.rbegin(), commands.rend(), command);
    };
    ASSERT_LT(at(0x17), at(0x15));
    EXPECT_LT(last(0x17), at(0x15));
    EXPECT_LT(last(0x15), last(0x09)) << "the key block goes last";
    EXPECT_EQ(commands.back(), 0x02) << "the last transfer is closed";
    const std::optional<std::vector<std::uint8_t>> built =
        keys::BuildMacroTable(keys::MacroStore(folder).LoadAllMacros());
    ASSERT_TRUE(built.has_value());
    const std::vector<std::uint8_t> memory = m_mouse->MacroTable();
    ASSERT_GE(memory.size(), built->size());
    EXPECT_TRUE(std::equal(built->begin(), built->end(), memory.begin()))
        << "the mouse holds the store's table";

    // Too large for the mouse: refused before any byte of the macros.
    auto info = m_mouse->DeviceInfo();
    info[device::DeviceInfo::kMacroUnitsIndex] = 0;
    m_mouse->SetDeviceInfo(info);
    m_mouse->ClearLog();
    const ToolRun refused = RunTool(m_bus, {"upload"});
    EXPECT_EQ(refused.code, ExitCode::Failure);
    EXPECT_NE(refused.err.find("at least 11"), std::string::npos) << refused.err;
    const std::vector<std::uint8_t> sent = RequestCommands(*m_mouse);
    EXPECT_EQ(std::ranges::count(sent, 0x15), 0);
    EXPECT_EQ(std::ranges::count(sent, 0x09), 0);
}

}  // namespace
}  // namespace varlok::tools

namespace varlok::tools {
namespace {

TEST(VarlokctlCommandTableTest, TheHelpAndTheUsageErrorsComeFromTheTable) {
    const std::string help = CommandLine::HelpText();
    const auto bus = std::make_shared<HidBus>();
    for (const CommandEntry* command : Commands()) {
        const std::string name(command->name);
        EXPECT_NE(command->run, nullptr) << name;
        EXPECT_NE(help.find("\n  " + name + ' '), std::string::npos) << name;
        for (const OptionEntry& option : command->options) {
            EXPECT_NE(help.find(std::string(option.name)), std::string::npos) << option.name;
        }
        // One operand too many names the command and shows its usage.
        std::vector<std::string_view> arguments{command->name};
        arguments.insert(arguments.end(), command->operands.size(), "x");
        arguments.push_back("surplus");
        const ToolRun run = RunTool(bus, arguments);
        EXPECT_EQ(run.code, ExitCode::Usage) << name;
        EXPECT_NE(run.err.find(name + ": unexpected argument 'surplus'\nusage: " +
                               UsageLine(*command) + "\n"),
                  std::string::npos)
            << run.err;
    }
    std::istringstream lines(help);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_LE(line.size(), 80U) << line;
    }
    const ToolRun unknown = RunTool(bus, {"frobnicate"});
    EXPECT_NE(unknown.err.find("unknown command 'frobnicate'; the commands are " + CommandNames()),
              std::string::npos)
        << unknown.err;
    const ToolRun missing = RunTool(bus, {"select-profile", "key"});
    EXPECT_NE(missing.err.find("select-profile needs a profile name\nusage: varlokctl "),
              std::string::npos)
        << missing.err;
}

TEST(VarlokctlCommandTableTest, VersionAndGlobalOptionsComeFromTheirTables) {
    const ToolRun version = RunTool(std::make_shared<HidBus>(), {"info", "--version"});
    EXPECT_EQ(version.code, ExitCode::Ok);
    EXPECT_EQ(version.out, "varlokctl " + std::string(kVersion) + "\n");
    const std::string help = CommandLine::HelpText();
    for (const OptionEntry& option : GlobalOptions()) {
        EXPECT_NE(
            help.find("\n  " + std::string(option.name) + (option.name.size() < 12 ? " " : "\n")),
            std::string::npos)
            << option.name;
    }
}

TEST(VarlokctlServiceErrorTest, TheWindowsErrorsBecomeExitCodes) {
    using service::ServiceError;
    const auto code = [](const std::string& name, const std::string& message = "why") {
        return DescribeCallFailure({{}, name, message}, "SetDpi", "the varlok window (pid 1)").code;
    };
    for (const auto& [error, expected] : {std::pair{ServiceError::InvalidArgument, ExitCode::Usage},
                                          {ServiceError::UnsafeName, ExitCode::Usage},
                                          {ServiceError::NotConnected, ExitCode::NoMouse},
                                          {ServiceError::NotFound, ExitCode::Failure},
                                          {ServiceError::BadFile, ExitCode::Failure},
                                          {ServiceError::Refused, ExitCode::Failure}}) {
        EXPECT_EQ(code(service::ErrorName(error)), expected) << service::ErrorName(error);
    }
    // Which of the two the mouse did, the window's message says.
    const std::string deviceFailed = service::ErrorName(ServiceError::DeviceFailed);
    for (const auto& [result, expected] :
         {std::pair{device::LinkResult::NoAnswer, ExitCode::NotAnswering},
          {device::LinkResult::WriteFailed, ExitCode::NotAnswering},
          {device::LinkResult::DeviceFailed, ExitCode::DeviceError},
          {device::LinkResult::DeviceRefused, ExitCode::DeviceError}}) {
        EXPECT_EQ(code(deviceFailed, service::DescribeFailure({"ReadSettings", result})), expected)
            << device::Describe(result);
    }
    EXPECT_EQ(code("org.freedesktop.DBus.Error.NoReply"), ExitCode::Failure);
}

TEST_F(VarlokctlTest, SwitchProfileAndTheCurrentStageAreWrittenToTheMouse) {
    const ToolRun switched = RunTool(m_bus, {"switch-profile", "2"});
    ASSERT_EQ(switched.code, ExitCode::Ok) << switched.err;
    EXPECT_EQ(switched.out, "onboard profile 2 is active\n");
    EXPECT_EQ(Requests(*m_mouse),
              (std::vector<Bytes>{Request(0x06, 1, 0, Bytes{2}), Request(0x05, 1, 0)}));
    EXPECT_EQ(m_mouse->SettingsArea()[0], 2);

    ASSERT_EQ(RunTool(m_bus, {"set", "--stage", "4"}).code, ExitCode::Ok);
    EXPECT_EQ(m_mouse->SettingsArea()[128 + 19], 3);
    for (const std::vector<std::string_view>& arguments :
         std::vector<std::vector<std::string_view>>{{"switch-profile", "5"},
                                                    {"set", "--stage", "8"}}) {
        EXPECT_EQ(RunTool(m_bus, arguments).code, ExitCode::Usage);
    }
}

TEST_F(VarlokctlTest, SelectProfileWithoutAWindowSendsTheEntrysFileAndMakesItTheSelection) {
    const TempFolder documents;
    const ScopedEnvironment environment("VARLOK_DOCUMENTS_DIR", documents.Path().string());
    const std::filesystem::path folder = documents / "VARLOK" / "ms";
    std::filesystem::create_directories(folder);
    WriteBytes(folder / "msProfile.ini",
               "[PROFILEDENGCOUNT]\ncount=2\n[PROFILEDENGNAME]\n0=Calm\n1=Bright\n"
               "[PROFILEDENGSELECT]\nselect=0\n");
    const Bytes lighting = Pattern(64, 9);
    WriteBytes(folder / "Bright.led", ProfileFile(lighting));
    Bytes record(lighting.begin(), lighting.begin() + 50);
    record.resize(56, 0);

    const ToolRun run = RunTool(m_bus, {"select-profile", "lighting", "bright"});
    ASSERT_EQ(run.code, ExitCode::Ok) << run.err;
    EXPECT_EQ(Requests(*m_mouse), std::vector<Bytes>{WriteSettingsRequest(0, record)});
    EXPECT_EQ(platform::IniFile(folder / "msProfile.ini").Read("PROFILEDENGSELECT", "select"), "1");

    m_mouse->ClearLog();
    const ToolRun missing = RunTool(m_bus, {"select-profile", "lighting", "Dark"});
    EXPECT_EQ(missing.code, ExitCode::Failure);
    EXPECT_NE(missing.err.find("no lighting profile named 'Dark'"), std::string::npos);
    EXPECT_NE(missing.err.find("the list holds Calm, Bright"), std::string::npos) << missing.err;
    EXPECT_EQ(RunTool(m_bus, {"select-profile", "colour", "Calm"}).code, ExitCode::Usage);
    EXPECT_EQ(RunTool(m_bus, {"select-profile", "lighting", "../Calm"}).code, ExitCode::Usage);
    EXPECT_TRUE(m_mouse->Log().empty());
}

// What a command writes while it runs on a thread of its own.
class SharedText : public std::streambuf {
public:
    [[nodiscard]] bool WaitFor(std::string_view text) {
        std::unique_lock lock(m_mutex);
        return m_written.wait_for(lock, std::chrono::seconds(20),
                                  [&] { return m_text.find(text) != std::string::npos; });
    }
    [[nodiscard]] std::string Text() {
        const std::lock_guard lock(m_mutex);
        return m_text;
    }

private:
    int overflow(int c) override {
        const char ch = static_cast<char>(c);
        xsputn(&ch, 1);
        return c;
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        const std::lock_guard lock(m_mutex);
        m_text.append(text, static_cast<std::size_t>(count));
        m_written.notify_all();
        return count;
    }

    std::mutex m_mutex;
    std::condition_variable m_written;
    std::string m_text;
};

TEST_F(VarlokctlTest, WatchWithoutAWindowFollowsTheMousesOwnReportsUntilInterrupted) {
    const TempFolder locks;
    m_bus->SetOwnerLocks(device::OwnerLocks{locks.Path(), "varlokctl"});
    SharedText text;
    std::ostream out(&text);
    std::ostringstream err;
    platform::Event interruption(true, false);
    ToolEnvironment environment{m_bus, out, err,        nullptr, nullptr,      false,
                                {},    {},  kOwnerWait, {},      &interruption};
    ExitCode code = ExitCode::Failure;
    std::thread watch([&] {
        const std::vector<std::string_view> arguments{"watch"};
        code = CommandLine(environment).Run(arguments);
    });
    EXPECT_TRUE(text.WaitFor("state: profile 0, stage 2 (1000 DPI), wave\n")) << text.Text();
    // Its notification monitor listens.
    ASSERT_TRUE(m_mouse->WaitForWaitingReaders(1, std::chrono::seconds(20)));
    m_mouse->PressDpiButton();
    EXPECT_TRUE(text.WaitFor("stage: profile 0, stage 3 (2000 DPI), wave\n")) << text.Text();
    m_mouse->PressProfileButton();
    EXPECT_TRUE(text.WaitFor("profile: profile 1, ")) << text.Text();
    {
        // While the window has the mouse its record cannot be read.
        platform::OwnerLock window;
        ASSERT_EQ(window.TryAcquire(locks / "sim.lock", "varlok"),
                  platform::OwnerLock::Result::Acquired);
        m_mouse->PressDpiButton();
        EXPECT_TRUE(text.WaitFor("button: profile 1, ")) << text.Text();
    }
    m_mouse->Unplug();
    EXPECT_TRUE(text.WaitFor("removed: no mouse\n")) << text.Text();
    interruption.Set();
    watch.join();
    EXPECT_EQ(code, ExitCode::Ok) << err.str();
}

TEST_F(VarlokctlTest, WatchEndsWhenNobodyReadsItsLinesEvenWithNothingToWrite) {
    // A pipe whose reader has gone, as a status bar that quit leaves it.
    int ends[2] = {-1, -1};
    ASSERT_EQ(::pipe(ends), 0);
    ::close(ends[0]);
    const platform::FileDescriptor writeEnd(ends[1]);
    std::ostringstream out;
    std::ostringstream err;
    platform::Event interruption(true, false);
    ToolEnvironment environment{m_bus, out, err,        nullptr, nullptr,       false,
                                {},    {},  kOwnerWait, {},      &interruption, writeEnd.Get()};
    std::promise<ExitCode> ended;
    std::thread watch([&] {
        const std::vector<std::string_view> arguments{"watch"};
        ended.set_value(CommandLine(environment).Run(arguments));
    });
    std::future<ExitCode> code = ended.get_future();
    const bool endedAlone = code.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
    interruption.Set();
    watch.join();
    ASSERT_TRUE(endedAlone) << "watch went on writing to nobody: " << out.str();
    EXPECT_EQ(code.get(), ExitCode::Failure);
}

}  // namespace
}  // namespace varlok::tools
