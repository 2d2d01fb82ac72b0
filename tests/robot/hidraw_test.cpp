// The hidraw backend: uevent and report-descriptor parsers on captured bytes, enumeration of a
// fake sysfs tree, and report I/O through a socket pair standing in for /dev/hidrawN.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "../support/temp_dir.h"
#include "hid_link.h"
#include "hidraw_backend.h"
#include "hidraw_parsers.h"

namespace arx {
namespace {

namespace fs = std::filesystem;

// A vendor-defined controller without report IDs: 18 bytes in, 8 bytes out.
const std::vector<uint8_t> kController = {
    0x06, 0x00, 0xFF,                                // Usage Page (vendor 0xFF00)
    0x09, 0x01, 0xA1, 0x01,                          // Usage 1, Collection (Application)
    0x15, 0x00, 0x26, 0xFF, 0x00,                    // Logical 0..255
    0x75, 0x08, 0x95, 0x12, 0x09, 0x01, 0x81, 0x02,  // 18 x 8 bits Input
    0x95, 0x08, 0x09, 0x01, 0x91, 0x02,              // 8 x 8 bits Output
    0xC0};

// A keyboard (report 1: 8 bytes in, 5 + 3 LED bits out) and consumer keys (report 2: 16 bits in).
const std::vector<uint8_t> kKeyboardWithIds = {
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x85, 0x01, 0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15,
    0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0x95, 0x01, 0x75, 0x08, 0x81, 0x01,
    0x95, 0x05, 0x75, 0x01, 0x05, 0x08, 0x19, 0x01, 0x29, 0x05, 0x91, 0x02, 0x95, 0x01, 0x75,
    0x03, 0x91, 0x01, 0x95, 0x06, 0x75, 0x08, 0x15, 0x00, 0x25, 0x65, 0x05, 0x07, 0x19, 0x00,
    0x29, 0x65, 0x81, 0x00, 0xC0, 0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x02, 0x15, 0x00,
    0x26, 0xFF, 0x03, 0x19, 0x00, 0x2A, 0xFF, 0x03, 0x75, 0x10, 0x95, 0x01, 0x81, 0x00, 0xC0};

// A full-speed generic device: 64 bytes each way, a feature report that does not count.
const std::vector<uint8_t> kGeneric64 = {0x06, 0xA0, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x75, 0x08, 0x95,
                                         0x40, 0x09, 0x01, 0x81, 0x02, 0x95, 0x40, 0x09, 0x01, 0x91,
                                         0x02, 0x96, 0x00, 0x01, 0x09, 0x01, 0xB1, 0x02, 0xC0};

std::optional<ReportLengths> parse(const std::vector<uint8_t>& d) {
    return parseReportDescriptor(d.data(), d.size());
}

TEST(ReportDescriptor, LengthsOfCapturedDescriptors) {
    struct Case {
        const char* what;
        const std::vector<uint8_t>* bytes;
        uint16_t input, output;
        bool ids;
    };
    const Case cases[] = {{"controller", &kController, 19, 9, false},
                          {"keyboard with report ids", &kKeyboardWithIds, 9, 2, true},
                          {"generic 64-byte device", &kGeneric64, 65, 65, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto lengths = parse(*c.bytes);
        ASSERT_TRUE(lengths);
        EXPECT_EQ(lengths->input, c.input);
        EXPECT_EQ(lengths->output, c.output);
        EXPECT_EQ(lengths->usesReportIds, c.ids);
    }
}

TEST(ReportDescriptor, PushPopLongItemsAndPartialBytes) {
    // Push 8 x 4, Input 16 x 2 (4 bytes), Pop, Input 8 x 4 (4 bytes), a long item, Input 3 x 1.
    const auto lengths =
        parse({0x75, 0x08, 0x95, 0x04, 0xA4, 0x75, 0x10, 0x95, 0x02, 0x81, 0x02, 0xB4, 0x81,
               0x02, 0xFE, 0x02, 0x10, 0xAA, 0xBB, 0x75, 0x03, 0x95, 0x01, 0x81, 0x02});
    ASSERT_TRUE(lengths);
    EXPECT_EQ(lengths->input, 1 + 4 + 4 + 1);
    EXPECT_EQ(lengths->output, 0);
}

TEST(ReportDescriptor, RefusesDamagedDescriptors) {
    const std::vector<std::vector<uint8_t>> bad = {
        {0x75},                    // item data missing
        {0x26, 0xFF},              // two-byte item cut short
        {0xB4},                    // pop without push
        {0x85, 0x00},              // report ID 0 is reserved
        {0xFE, 0x05, 0x10, 0x01},  // long item longer than the descriptor
        {0x77, 0xFF, 0xFF, 0xFF, 0xFF, 0x97, 0xFF, 0xFF, 0xFF, 0xFF, 0x81, 0x02},  // absurd size
    };
    for (std::size_t i = 0; i < bad.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_FALSE(parse(bad[i]));
    }
}

TEST(Uevent, VendorAndProductFromHidId) {
    const auto ids = parseUeventIds(
        "DRIVER=hid-generic\nHID_ID=0003:00004242:00004201\nHID_NAME=ARX controller\n");
    ASSERT_TRUE(ids);
    EXPECT_EQ(ids->vendorId, 0x4242);
    EXPECT_EQ(ids->productId, 0x4201);
    const auto lower = parseUeventIds("HID_ID=0003:0000abcd:0000EF01");
    ASSERT_TRUE(lower);
    EXPECT_EQ(lower->vendorId, 0xABCD);
    EXPECT_EQ(lower->productId, 0xEF01);
    for (const char* bad :
         {"DRIVER=hid-generic\n", "HID_ID=0003:00004242", "HID_ID=0003:00014242:00004201",
          "HID_ID=0003:4242:zz01", "HID_ID=0003::00004201", "XHID_ID=0003:00004242:00004201"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(parseUeventIds(bad));
    }
}

// A fake /sys/class/hidraw and /dev in a temporary folder.
class FakeSysfs {
public:
    FakeSysfs() {
        fs::create_directories(root_ / "sys");
        fs::create_directories(root_ / "dev");
    }
    void add(const std::string& node, const std::string& uevent,
             const std::vector<uint8_t>& descriptor, bool withDevNode = true) {
        const fs::path dir = root_ / "sys" / node / "device";
        fs::create_directories(dir);
        if (!uevent.empty()) std::ofstream(dir / "uevent") << uevent;
        std::ofstream(dir / "report_descriptor", std::ios::binary)
            .write(reinterpret_cast<const char*>(descriptor.data()),
                   static_cast<std::streamsize>(descriptor.size()));
        if (withDevNode) std::ofstream(root_ / "dev" / node) << "";
    }
    std::unique_ptr<HidrawBackend> backend() const {
        return std::make_unique<HidrawBackend>((root_ / "sys").string(), (root_ / "dev").string());
    }

private:
    orvane::testing_support::TempDir dir_{"arx_hidraw_test"};
    const fs::path root_ = dir_.path();
};

TEST(HidrawBackendTest, EnumeratesInNumericOrderWithIds) {
    FakeSysfs sysfs;
    sysfs.add("hidraw10", "HID_ID=0003:00004242:00004201\n", kController);
    sysfs.add("hidraw2", "", kController);
    sysfs.add("hidraw0", "HID_ID=0003:00004242:00004202\n", kController);
    sysfs.add("hidrawx", "HID_ID=0003:00004242:00004201\n", kController);
    const auto devices = sysfs.backend()->enumerate();
    ASSERT_EQ(devices.size(), 3u);
    EXPECT_EQ(devices[0].path, "hidraw0");
    EXPECT_EQ(devices[1].path, "hidraw2");
    EXPECT_EQ(devices[2].path, "hidraw10");
    EXPECT_EQ(devices[0].productId, 0x4202);
    EXPECT_FALSE(devices[1].vendorId);
    EXPECT_EQ(devices[2].productId, 0x4201);
}

TEST(HidrawBackendTest, OpenTakesLengthsFromTheDescriptor) {
    FakeSysfs sysfs;
    sysfs.add("hidraw0", "HID_ID=0003:00004242:00004202\n", kController);
    sysfs.add("hidraw1", "HID_ID=0003:00004242:00004201\n", kController, false);
    sysfs.add("hidraw3", "HID_ID=0003:00004242:00004201\n", kGeneric64);
    sysfs.add("hidraw4", "HID_ID=0003:00004242:00004201\n", kController);
    HidLink link(sysfs.backend());
    // hidraw0 has another product, hidraw1 no device node: hidraw3 is the first match.
    ASSERT_TRUE(link.open(0x4242, 0x4201));
    EXPECT_EQ(link.caps().inputReportByteLength, 65);
    EXPECT_EQ(link.caps().outputReportByteLength, 65);
    EXPECT_FALSE(link.open(0x4242, 0x4203));
    EXPECT_FALSE(sysfs.backend()->open("../hidraw0"));
}

// A SOCK_SEQPACKET pair keeps report boundaries, as a hidraw node does.
struct ReportPipe {
    ReportPipe() { EXPECT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET, 0, fds), 0); }
    ~ReportPipe() {
        if (fds[1] >= 0) close(fds[1]);
    }
    void deviceSends(const std::vector<uint8_t>& r) const {
        ASSERT_EQ(::write(fds[1], r.data(), r.size()), static_cast<ssize_t>(r.size()));
    }
    int fds[2] = {-1, -1};
};

TEST(HidrawDeviceTest, ReportWithoutIdGetsAZeroInFront) {
    ReportPipe pipe;
    HidrawDevice device(pipe.fds[0], HidCaps{19, 9}, false);
    std::vector<uint8_t> sent(18);
    for (std::size_t i = 0; i < sent.size(); ++i) sent[i] = static_cast<uint8_t>(0x10 + i);
    pipe.deviceSends(sent);
    std::vector<uint8_t> buf(64, 0xEE);
    ASSERT_EQ(device.read(buf.data(), 19, 1000), HidReadResult::Ok);
    EXPECT_EQ(buf[0], 0);
    EXPECT_EQ(std::vector<uint8_t>(buf.begin() + 1, buf.begin() + 19), sent);
    EXPECT_EQ(buf[19], 0xEE);  // nothing beyond the report length is touched
}

TEST(HidrawDeviceTest, NumberedReportKeepsItsIdAndShortReportsAreZeroFilled) {
    ReportPipe pipe;
    HidrawDevice device(pipe.fds[0], HidCaps{19, 9}, true);
    pipe.deviceSends({0x01, 0x05, 0x07});
    std::vector<uint8_t> buf(19, 0xEE);
    ASSERT_EQ(device.read(buf.data(), buf.size(), 1000), HidReadResult::Ok);
    EXPECT_EQ(buf[0], 0x01);
    EXPECT_EQ(buf[1], 0x05);
    EXPECT_EQ(buf[2], 0x07);
    EXPECT_EQ(buf[18], 0);
}

TEST(HidrawDeviceTest, TimeOutAndHangUp) {
    ReportPipe pipe;
    HidrawDevice device(pipe.fds[0], HidCaps{19, 9}, false);
    std::vector<uint8_t> buf(19);
    EXPECT_EQ(device.read(buf.data(), buf.size(), 20), HidReadResult::Timeout);
    close(pipe.fds[1]);
    pipe.fds[1] = -1;
    EXPECT_EQ(device.read(buf.data(), buf.size(), 1000), HidReadResult::Failed);
}

TEST(HidrawDeviceTest, WriteSendsTheReportIdByte) {
    ReportPipe pipe;
    HidrawDevice device(pipe.fds[0], HidCaps{19, 9}, false);
    const CommandReport r = makeCommandReport(3, 0x40, 0, 0, 0, 0);
    EXPECT_EQ(device.write(r.bytes.data(), r.bytes.size()), 9);
    uint8_t got[16];
    ASSERT_EQ(::read(pipe.fds[1], got, sizeof got), 9);
    EXPECT_EQ(got[0], 0);
    EXPECT_EQ(got[1], 3);
    EXPECT_EQ(got[2], 0x40);
}

}  // namespace
}  // namespace arx
