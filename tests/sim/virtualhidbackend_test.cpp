#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "device/hidreportdescriptor.h"
#include "sim/mousedescriptors.h"
#include "simtestsupport.h"

namespace varlok::sim::test {
namespace {

using device::HidOpenError;
using device::HidReportDescriptor;
using device::ReportKind;
using device::TransferStatus;

class VirtualHidBackendTest : public SimTest {};

TEST_F(VirtualHidBackendTest, EnumerationShowsTheDecoyAndEveryCollection) {
    std::vector<std::string> paths;
    ASSERT_TRUE(m_backend->Enumerate(paths));
    const std::vector<std::string> expected = {
        "sim:decoy-if1#vid_0c45&pid_7644&mi_01",
        "sim:mouse-1-if0#vid_0c45&pid_7643&mi_00",
        "sim:mouse-1-if1#vid_0c45&pid_7643&mi_01&col01",
        "sim:mouse-1-if1#vid_0c45&pid_7643&mi_01&col02",
    };
    EXPECT_EQ(paths, expected);
    EXPECT_EQ(m_backend->PathOf(MouseCollection::Configuration), expected[3]);
    EXPECT_EQ(m_backend->Scheme(), "sim");

    m_mouse->Unplug();
    paths.clear();
    ASSERT_TRUE(m_backend->Enumerate(paths));
    EXPECT_EQ(paths, std::vector<std::string>{expected[0]});
    EXPECT_EQ(m_backend->PathOf(MouseCollection::Configuration), "");

    m_mouse->Plug();
    paths.clear();
    ASSERT_TRUE(m_backend->Enumerate(paths));
    ASSERT_EQ(paths.size(), 4U);
    EXPECT_EQ(paths[3], "sim:mouse-2-if1#vid_0c45&pid_7643&mi_01&col02");
}

TEST_F(VirtualHidBackendTest, AttributesTellTheMouseFromTheDecoy) {
    const auto config = OpenConfig();
    EXPECT_EQ(config->Attributes().vendorId, 0x0C45);
    EXPECT_EQ(config->Attributes().productId, 0x7643);
    EXPECT_EQ(config->Attributes().versionNumber, 0x0100);
    const auto decoy = OpenPath(VirtualHidBackend::DecoyPath());
    EXPECT_EQ(decoy->Attributes().vendorId, 0x0C45);
    EXPECT_EQ(decoy->Attributes().productId, 0x7644);
}

TEST_F(VirtualHidBackendTest, InterfaceOneDescriptorParsesIntoConsumerThenConfiguration) {
    const auto config = OpenConfig();
    const auto bytes = config->ReportDescriptor();
    EXPECT_EQ(bytes, OpenConsumer()->ReportDescriptor());

    HidReportDescriptor parser;
    ASSERT_TRUE(parser.Parse(bytes).Ok());
    ASSERT_EQ(parser.Collections().size(), 2U);
    EXPECT_TRUE(parser.Numbered());

    const auto& consumer = parser.Collections()[0];
    EXPECT_EQ(consumer.usagePage, 0x000C);
    EXPECT_EQ(consumer.usage, 0x0001);
    EXPECT_EQ(consumer.caps.inputReportByteLength, kConsumerReportSize);
    EXPECT_EQ(consumer.caps.outputReportByteLength, 0);
    ASSERT_EQ(consumer.ButtonCaps(ReportKind::Input).size(), 1U);
    const auto& keys = consumer.ButtonCaps(ReportKind::Input)[0];
    EXPECT_EQ(keys.reportId, kConsumerReportId);
    EXPECT_TRUE(keys.isArray);
    EXPECT_EQ(keys.usageMin, 0);
    EXPECT_EQ(keys.usageMax, 0x0FFF);
    EXPECT_EQ(keys.bitSize, 16);

    const auto& configuration = parser.Collections()[1];
    EXPECT_EQ(configuration.usagePage, 0xFF1C);
    EXPECT_EQ(configuration.usage, 0x92);
    EXPECT_EQ(configuration.caps.inputReportByteLength, 64);
    EXPECT_EQ(configuration.caps.outputReportByteLength, 64);
    EXPECT_TRUE(configuration.HasReportId(ReportKind::Input, 0x04));
    EXPECT_TRUE(configuration.HasReportId(ReportKind::Output, 0x04));
}

TEST_F(VirtualHidBackendTest, PointerAndDecoyDescriptorsParse) {
    HidReportDescriptor parser;
    ASSERT_TRUE(parser
                    .Parse(OpenPath(m_backend->PathOf(MouseCollection::Pointer), true, false)
                               ->ReportDescriptor())
                    .Ok());
    ASSERT_EQ(parser.Collections().size(), 1U);
    EXPECT_FALSE(parser.Numbered());
    EXPECT_EQ(parser.Collections()[0].usagePage, 0x0001);
    EXPECT_EQ(parser.Collections()[0].usage, 0x0002);
    EXPECT_EQ(parser.Collections()[0].caps.inputReportByteLength, 5);  // id 0 + 4 bytes

    ASSERT_TRUE(parser.Parse(OpenPath(VirtualHidBackend::DecoyPath())->ReportDescriptor()).Ok());
    ASSERT_EQ(parser.Collections().size(), 1U);
    EXPECT_EQ(parser.Collections()[0].usagePage, 0xFF1C);
    EXPECT_EQ(parser.Collections()[0].usage, 0x92);
}

TEST_F(VirtualHidBackendTest, OpenRefusesUnknownStaleAndConflictingPaths) {
    HidOpenError error = HidOpenError::None;
    EXPECT_EQ(m_backend->Open("sim:nothing#vid_0c45&pid_7643", {true, true, false}, error),
              nullptr);
    EXPECT_EQ(error, HidOpenError::NotFound);

    const std::string path = m_backend->PathOf(MouseCollection::Configuration);
    auto exclusive = m_backend->Open(path, {true, true, true}, error);
    ASSERT_NE(exclusive, nullptr);
    EXPECT_EQ(m_backend->Open(path, {true, true, false}, error), nullptr);
    EXPECT_EQ(error, HidOpenError::Busy);
    // Reading beside an exclusive writer is allowed, as with Windows share modes.
    EXPECT_NE(m_backend->Open(path, {true, false, false}, error), nullptr);
    exclusive.reset();
    EXPECT_NE(m_backend->Open(path, {true, true, false}, error), nullptr);

    m_mouse->Unplug();
    m_mouse->Plug();
    EXPECT_EQ(m_backend->Open(path, {true, true, false}, error), nullptr);
    EXPECT_EQ(error, HidOpenError::NotFound);
}

TEST_F(VirtualHidBackendTest, ProbeFollowsThePresentPlugIn) {
    const std::string config = m_backend->PathOf(MouseCollection::Configuration);
    EXPECT_TRUE(m_backend->Probe(config));
    EXPECT_TRUE(m_backend->Probe(VirtualHidBackend::DecoyPath()));
    m_mouse->Unplug();
    EXPECT_FALSE(m_backend->Probe(config));
    EXPECT_TRUE(m_backend->Probe(VirtualHidBackend::DecoyPath()));
    m_mouse->Plug();
    // Same collection, but a new plug-in: the old path is gone for good.
    EXPECT_FALSE(m_backend->Probe(config));
    EXPECT_TRUE(m_backend->Probe(m_backend->PathOf(MouseCollection::Configuration)));
}

TEST_F(VirtualHidBackendTest, AnswersGoOnlyToTheConnectionThatAsked) {
    auto first = OpenConfig();
    auto second = OpenConfig();
    auto consumer = OpenConsumer();
    const auto request = Request(device::Command::ReadSettings, 1, 0);
    ASSERT_EQ(first->Write(request.Raw(), kGuard).status, TransferStatus::Done);

    std::vector<std::uint8_t> buffer(64);
    EXPECT_EQ(second->Read(buffer, std::chrono::milliseconds(0)).status, TransferStatus::TimedOut);
    EXPECT_EQ(consumer->Read(buffer, std::chrono::milliseconds(0)).status,
              TransferStatus::TimedOut);
    const auto answer = first->Read(buffer, kGuard);
    EXPECT_EQ(answer.status, TransferStatus::Done);
    EXPECT_EQ(answer.bytes, 64U);
    // Delivered once: nothing is left to read.
    EXPECT_EQ(first->Read(buffer, std::chrono::milliseconds(0)).status, TransferStatus::TimedOut);
}

TEST_F(VirtualHidBackendTest, OnlyTheConfigurationCollectionTakesOutputReports) {
    const auto request = Request(device::Command::BeginTransfer);
    auto consumer = OpenPath(m_backend->PathOf(MouseCollection::Consumer), true, true);
    EXPECT_EQ(consumer->Write(request.Raw(), kGuard).status, TransferStatus::Failed);
    auto pointer = OpenPath(m_backend->PathOf(MouseCollection::Pointer), true, true);
    EXPECT_EQ(pointer->Write(request.Raw(), kGuard).status, TransferStatus::Failed);
    auto readOnly = OpenPath(m_backend->PathOf(MouseCollection::Configuration), true, false);
    EXPECT_EQ(readOnly->Write(request.Raw(), kGuard).status, TransferStatus::Failed);
    EXPECT_FALSE(m_mouse->InTransfer());
}

TEST_F(VirtualHidBackendTest, PressEventReachesReadersOfInterfaceOneInOrder) {
    auto consumer = OpenConsumer();
    auto config = OpenConfig();
    auto pointer = OpenPath(m_backend->PathOf(MouseCollection::Pointer), true, false);
    m_mouse->PressEvent(0x401);
    m_mouse->PressEvent(0x403);

    const std::vector<std::vector<std::uint8_t>> expected = {
        {0x02, 0x01, 0x04}, {0x02, 0x00, 0x00}, {0x02, 0x03, 0x04}, {0x02, 0x00, 0x00}};
    for (auto* connection : {consumer.get(), config.get()}) {
        for (const auto& report : expected) {
            std::vector<std::uint8_t> buffer(64, 0xEE);
            const auto read = connection->Read(buffer, kGuard);
            ASSERT_EQ(read.status, TransferStatus::Done);
            buffer.resize(read.bytes);
            EXPECT_EQ(buffer, report);
        }
    }
    std::vector<std::uint8_t> buffer(5);
    EXPECT_EQ(pointer->Read(buffer, std::chrono::milliseconds(0)).status, TransferStatus::TimedOut);

    const auto log = m_mouse->Log();
    ASSERT_EQ(log.size(), 8U);
    EXPECT_EQ(log[0].direction, LoggedReport::Direction::DeviceToHost);
    EXPECT_EQ(log[0].path, m_backend->PathOf(MouseCollection::Consumer));
    EXPECT_EQ(log[0].bytes, expected[0]);
}

TEST_F(VirtualHidBackendTest, UnreadEventsAreCappedButAnswersAreKept) {
    auto config = OpenConfig();
    for (int i = 0; i < 40; ++i) {
        m_mouse->PressEvent(0x401);  // 80 reports for a ring of 64
    }
    const auto request = Request(device::Command::BeginTransfer);
    ASSERT_EQ(config->Write(request.Raw(), kGuard).status, TransferStatus::Done);
    std::vector<std::uint8_t> buffer(64);
    int events = 0;
    for (;;) {
        ASSERT_EQ(config->Read(buffer, kGuard).status, TransferStatus::Done);
        if (buffer[0] != kConsumerReportId) {
            break;
        }
        ++events;
    }
    EXPECT_EQ(events, 64);
    EXPECT_EQ(buffer[0], 0x04);
    EXPECT_EQ(buffer[3], 0x01);
}

TEST_F(VirtualHidBackendTest, DecoyTakesReportsButNeverAnswers) {
    auto decoy = OpenPath(VirtualHidBackend::DecoyPath());
    const auto request = Request(device::Command::ReadDeviceInfo, 0x21);
    EXPECT_EQ(decoy->Write(request.Raw(), kGuard).status, TransferStatus::Done);
    std::vector<std::uint8_t> buffer(64);
    EXPECT_EQ(decoy->Read(buffer, std::chrono::milliseconds(0)).status, TransferStatus::TimedOut);

    const auto log = m_mouse->Log();
    ASSERT_EQ(log.size(), 1U);
    EXPECT_EQ(log[0].path, VirtualHidBackend::DecoyPath());
    EXPECT_TRUE(std::ranges::equal(log[0].bytes, request.Raw()));
}

}  // namespace
}  // namespace varlok::sim::test
