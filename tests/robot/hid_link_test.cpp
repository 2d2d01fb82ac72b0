// HidLink: report encoding and decoding, open by ids, the read failure path, failed writes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "arx.h"
#include "fake_hid.h"
#include "hid_link.h"

namespace arx {
namespace {

using testing::FakeBackend;
using testing::statusBytes;

TEST(CommandReport, NestedLoopCounts) {
    struct Case {
        int32_t n;
        uint8_t b6, b7, b8;
    };
    const Case cases[] = {{1, 0x01, 0x01, 0x01},        {256, 0x00, 0x01, 0x01},
                          {257, 0x01, 0x02, 0x01},      {65536, 0x00, 0x00, 0x01},
                          {65537, 0x01, 0x01, 0x02},    {0, 0x00, 0x00, 0x00},
                          {16777216, 0x00, 0x00, 0x00}, {372, 0x74, 0x02, 0x01}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        const CommandReport r = makeCommandReport(1, 0, 64, 2, c.n, 0);
        EXPECT_EQ(r.bytes[6], c.b6);
        EXPECT_EQ(r.bytes[7], c.b7);
        EXPECT_EQ(r.bytes[8], c.b8);
    }
}

TEST(CommandReport, OffsetByteAndDisplacement) {
    EXPECT_EQ(makeCommandReport(1, 0, 0, 2, 5, 1000).bytes[3], 0);
    EXPECT_EQ(makeCommandReport(1, 0, 64, 2, 5, 0).bytes[3], 1);
    EXPECT_EQ(makeCommandReport(1, 0, 64, 2, 5, 640).bytes[3], 11);
    const CommandReport r = makeCommandReport(2, DIR_FLAG, 64, 2, 372, 0);
    const std::vector<uint8_t> expected = {0x00, 0x02, 0x80, 0x01, 0x40, 0x02, 0x74, 0x02, 0x01};
    EXPECT_EQ(std::vector<uint8_t>(r.bytes.begin(), r.bytes.end()), expected);
    EXPECT_EQ(r.displacement, 1000);
    // Every byte is the low 8 bits of its value.
    const CommandReport big = makeCommandReport(3, 0, 300, 257, 1, 0);
    EXPECT_EQ(big.bytes[4], 300 & 0xFF);
    EXPECT_EQ(big.bytes[5], 1);
}

TEST(StatusReport, Positions24BitSignExtended) {
    struct Case {
        uint8_t b0, b1, b2;
        int32_t value;
    };
    const Case cases[] = {{0xFF, 0xFF, 0x7F, 8388607},
                          {0x00, 0x00, 0x80, -8388608},
                          {0xFF, 0xFF, 0xFF, -1},
                          {0x34, 0x12, 0x00, 0x1234}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        const uint8_t bytes[3] = {c.b0, c.b1, c.b2};
        EXPECT_EQ(decodePosition24(bytes), c.value);
    }
}

TEST(StatusReport, FieldsFromTheirBytes) {
    std::vector<uint8_t> r(19, 0);
    r[1] = 0x05;
    r[2] = 0xFE;
    r[3] = 3;
    r[4] = 0;  // axis 1 at rest
    r[5] = 0xFF, r[6] = 0xFF, r[7] = 0xFF;
    r[9] = 7;  // axis 2 moving
    r[10] = 0x10;
    r[14] = 0;
    r[17] = 0x80;
    const StatusReport s = decodeStatusReport(r.data());
    EXPECT_TRUE(s.homeFlag[0]);
    EXPECT_FALSE(s.homeFlag[1]);
    EXPECT_TRUE(s.homeFlag[2]);
    EXPECT_EQ(s.deviceCount, 0xFE);
    EXPECT_EQ(s.pending, 3);
    EXPECT_TRUE(s.done[0]);
    EXPECT_FALSE(s.done[1]);
    EXPECT_TRUE(s.done[2]);
    EXPECT_EQ(s.position[0], -1);
    EXPECT_EQ(s.position[1], 0x10);
    EXPECT_EQ(s.position[2], -8388608);
}

TEST(HidLinkOpen, FirstMatchWinsAndOthersAreClosed) {
    auto backend = std::make_unique<FakeBackend>();
    auto otherProduct = backend->add("a", 0x4242, 0x4202);
    auto noIds = backend->add("b", std::nullopt, std::nullopt);
    auto unopenable = backend->add("c", 0x4242, 0x4201);
    unopenable->openable = false;
    auto first = backend->add("d", 0x4242, 0x4201);
    auto second = backend->add("e", 0x4242, 0x4201);
    HidLink link(std::move(backend));
    EXPECT_TRUE(link.open(0x4242, 0x4201));
    EXPECT_EQ(otherProduct->opens, otherProduct->closes);
    EXPECT_EQ(noIds->opens, 0);
    EXPECT_EQ(first->opens, 1);
    EXPECT_EQ(first->closes, 0);
    EXPECT_EQ(second->opens, 0);
    EXPECT_EQ(link.caps().inputReportByteLength, 19);
}

TEST(HidLinkOpen, IdsAboveSixteenBitsNeverMatch) {
    auto backend = std::make_unique<FakeBackend>();
    backend->add("a", 0x4242, 0x4201);
    HidLink link(std::move(backend));
    EXPECT_FALSE(link.open(0x14242, 0x4201));
    EXPECT_FALSE(link.open(0x4242, 0x10000 + 0x4201));
    EXPECT_FALSE(link.isOpen());
}

TEST(HidLinkOpen, RefusesReportsTooShortForTheProtocol) {
    struct Case {
        std::optional<HidCaps> caps;
        bool accepted;
    };
    const Case cases[] = {{HidCaps{19, 9}, true}, {HidCaps{18, 9}, false}, {HidCaps{19, 8}, false},
                          {std::nullopt, false},  {HidCaps{65, 9}, true},  {HidCaps{64, 64}, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caps ? c.caps->inputReportByteLength : 0);
        auto backend = std::make_unique<FakeBackend>();
        auto dev = backend->add("a", 1, 2);
        dev->caps = c.caps;
        HidLink link(std::move(backend));
        EXPECT_EQ(link.open(1, 2), c.accepted);
        EXPECT_EQ(dev->closes, c.accepted ? 0 : 1);
    }
}

TEST(HidLinkRead, LongInputReportGetsABufferThatFits) {
    // A report longer than 64 bytes must not overrun the read buffer (ASan watches).
    auto backend = std::make_unique<FakeBackend>();
    auto dev = backend->add("a", 1, 2);
    dev->caps = HidCaps{200, 9};
    std::vector<uint8_t> report(200, 0xAA);
    report[2] = 9;
    dev->inputs.push_back(report);
    HidLink link(std::move(backend));
    ASSERT_TRUE(link.open(1, 2));
    link.readStatus();
    EXPECT_EQ(dev->lastReadLength, 200u);
    EXPECT_EQ(link.status().deviceCount, 9);
}

// The Python module's way to stay interruptible: the hook runs before each read slice and may
// throw out of the wait, which leaves the device open for the next read.
TEST(HidLinkRead, WaitHookRunsBetweenSlicesAndMayAbandonTheWait) {
    struct Stop {};
    for (const int throwAt : {0, 3}) {
        SCOPED_TRACE(throwAt);
        auto backend = std::make_unique<FakeBackend>();
        auto dev = backend->add("a", 1, 2);
        dev->whenEmpty = HidReadResult::Timeout;
        HidLink link(std::move(backend));
        ASSERT_TRUE(link.open(1, 2));
        int calls = 0;
        link.setWaitHook([&] {
            if (++calls == throwAt) throw Stop{};
            if (calls == 4) dev->inputs.push_back(statusBytes(7, 0));
        });
        if (throwAt != 0) {
            EXPECT_THROW(link.readStatus(), Stop);
            EXPECT_TRUE(link.isOpen());
            dev->inputs.push_back(statusBytes(8, 0));
            link.setWaitHook(nullptr);
            link.readStatus();
            EXPECT_EQ(link.status().deviceCount, 8);
            EXPECT_EQ(dev->readTimeouts.back(), kReadTimeoutMs);  // one plain read again
        } else {
            link.readStatus();
            EXPECT_EQ(calls, 4);
            EXPECT_EQ(link.status().deviceCount, 7);
            ASSERT_EQ(dev->readTimeouts.size(), 4u);
            for (int t : dev->readTimeouts) {
                EXPECT_GT(t, 0);
                EXPECT_LE(t, kWaitSliceMs);
            }
        }
    }
}

TEST(HidLinkRead, FailureClosesTheDeviceAndEveryLaterReadFails) {
    const std::pair<HidReadResult, std::string> cases[] = {
        {HidReadResult::Timeout, "ReadFile timeout"},
        {HidReadResult::Failed, "Read failed"},
        {HidReadResult::Abandoned, "Ownership problems"}};
    for (const auto& [result, text] : cases) {
        SCOPED_TRACE(text);
        auto backend = std::make_unique<FakeBackend>();
        auto dev = backend->add("a", 1, 2);
        dev->inputs.push_back(statusBytes(4, 0));
        dev->whenEmpty = result;
        HidLink link(std::move(backend));
        std::vector<std::string> labels;
        link.setDiagnosticHook([&](const std::string& l) { labels.push_back(l); });
        ASSERT_TRUE(link.open(1, 2));
        EXPECT_EQ(labels.back(), "SetupDiDestroyDeviceInfoList");
        link.readStatus();
        EXPECT_EQ(link.status().deviceCount, 4);
        EXPECT_THROW(link.readStatus(), ReadErrorEx);
        EXPECT_EQ(labels.back(), text);
        EXPECT_EQ(dev->closes, 1);
        EXPECT_FALSE(link.isOpen());
        // A report arriving now is never decoded: the device is closed until the next open.
        dev->inputs.push_back(statusBytes(9, 0));
        EXPECT_THROW(link.readStatus(), ReadErrorEx);
        EXPECT_THROW(link.send(makeCommandReport(1, IDLE_FLAG, 0, 0, 0, 0)), ReadErrorEx);
        EXPECT_TRUE(dev->written.empty());
        EXPECT_EQ(link.status().deviceCount, 4);
        ASSERT_TRUE(link.open(1, 2));
        link.readStatus();
        EXPECT_EQ(link.status().deviceCount, 9);
    }
}

TEST(HidLinkSend, ShortOrFailedWriteThrowsAndKeepsCountAndDevice) {
    for (long result : {-1L, 8L, 0L}) {
        SCOPED_TRACE(result);
        auto backend = std::make_unique<FakeBackend>();
        auto dev = backend->add("a", 1, 2);
        dev->inputs.push_back(statusBytes(0, 0));
        dev->writeResult = result;
        HidLink link(std::move(backend));
        ASSERT_TRUE(link.open(1, 2));
        EXPECT_THROW(link.send(makeCommandReport(1, IDLE_FLAG, 0, 0, 0, 0)), WriteErrorEx);
        EXPECT_EQ(link.sentCount(), 0);
        EXPECT_TRUE(link.isOpen());
    }
}

TEST(HidLinkSend, LongOutputReportIsPaddedWithZeros) {
    auto backend = std::make_unique<FakeBackend>();
    auto dev = backend->add("a", 1, 2);
    dev->caps = HidCaps{19, 12};
    dev->inputs.push_back(statusBytes(0, 0));
    HidLink link(std::move(backend));
    ASSERT_TRUE(link.open(1, 2));
    link.send(makeCommandReport(3, IDLE_FLAG, 0, 0, 0, 0));
    ASSERT_EQ(dev->written.size(), 1u);
    const std::vector<uint8_t> expected = {0, 3, 0x40, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(dev->written[0], expected);
    EXPECT_EQ(link.sentCount(), 1);
}

TEST(HidLinkSend, WaitsUntilEveryCommandIsAcceptedAndAtMostThreeWait) {
    auto backend = std::make_unique<FakeBackend>();
    auto dev = backend->add("a", 1, 2);
    HidLink link(std::move(backend));
    ASSERT_TRUE(link.open(1, 2));
    link.setSentCount(5);
    // Not yet accepted, then too many waiting, then ready: the third report releases the write.
    dev->inputs = {statusBytes(4, 0), statusBytes(5, 4), statusBytes(5, 3), statusBytes(6, 0)};
    link.send(makeCommandReport(1, IDLE_FLAG, 0, 0, 0, 0));
    EXPECT_EQ(dev->written.size(), 1u);
    EXPECT_EQ(dev->inputs.size(), 1u);
    EXPECT_EQ(link.sentCount(), 6);
}

TEST(HidLinkSend, SentCountWrapsAndMatchesAWrappedDevice) {
    auto backend = std::make_unique<FakeBackend>();
    auto dev = backend->add("a", 1, 2);
    HidLink link(std::move(backend));
    ASSERT_TRUE(link.open(1, 2));
    link.setSentCount(255);
    dev->inputs = {statusBytes(255, 0), statusBytes(0, 1)};
    link.send(makeCommandReport(1, IDLE_FLAG, 0, 0, 0, 0));
    EXPECT_EQ(link.sentCount(), 0);
    link.send(makeCommandReport(1, IDLE_FLAG, 0, 0, 0, 0));
    EXPECT_EQ(link.sentCount(), 1);
    EXPECT_EQ(dev->written.size(), 2u);
}

}  // namespace
}  // namespace arx
