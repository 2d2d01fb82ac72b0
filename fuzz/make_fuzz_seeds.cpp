// Writes the seed corpus of every fuzz harness into <out>/<harness>/: valid files of each kind
// and the edge cases the unit tests use. Nothing binary is kept in the repository; run through
// scripts/fuzz-seeds.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <tiffio.h>
#include <unistd.h>

#include "../tests/support/temp_dir.h"
#include "../tests/support/tiff_writer.h"
#include "document/tiff_messages.h"
#include "grid/grid_file.h"
#include "printjob/slide_map.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::string;
using orvane::testing_support::TempDir;

void save(const fs::path& dir, const std::string& name, const Bytes& bytes) {
    fs::create_directories(dir);
    std::ofstream(dir / name, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// ---- TIFF ----------------------------------------------------------------------------------

struct SeedTiff {
    std::uint32_t width = 7, height = 5;
    std::uint16_t bits = 16, samples = 1, photometric = PHOTOMETRIC_MINISBLACK;
    std::uint16_t planar = PLANARCONFIG_CONTIG, compression = COMPRESSION_NONE;
    std::uint32_t rowsPerStrip = 0;  // 0: the whole image in one strip
    std::uint32_t tile = 0;          // 16: tiled 16 x 16
    const char* description = nullptr;
    bool resolution = false;
};

// The file's bytes, written by the tests' TIFF writer: in strips, byte i of row y's scanline is
// i * 37 + y * 11 (mod 256); tiles are 0x5A throughout.
Bytes makeTiff(const TempDir& scratch, const SeedTiff& s) {
    orvane::testing_support::TiffSpec spec;
    spec.width = s.width;
    spec.height = s.height;
    spec.bitsPerSample = s.bits;
    spec.samplesPerPixel = s.samples;
    spec.photometric = s.photometric;
    spec.planar = s.planar;
    spec.compression = s.compression;
    spec.tileSize = s.tile;
    spec.rowsPerStrip = s.rowsPerStrip != 0 ? s.rowsPerStrip : s.height;
    if (s.description != nullptr) spec.description = s.description;
    if (s.resolution) {
        spec.xResolution = spec.yResolution = 2540.0f;
        spec.resolutionUnit = RESUNIT_INCH;
    }
    const std::uint32_t bytes = s.bits / 8 > 0 ? s.bits / 8 : 1;
    const std::uint32_t perPixel = s.planar == PLANARCONFIG_SEPARATE ? 1 : s.samples;
    spec.sample = [&](std::uint32_t x, std::uint32_t y, std::uint32_t sample) {
        std::uint32_t value = 0;
        for (std::uint32_t k = 0; k < bytes; ++k) {
            const std::uint32_t i = (x * perPixel + sample % perPixel) * bytes + k;
            const std::uint32_t byte = s.tile != 0 ? 0x5A : (i * 37 + y * 11) & 0xFF;
            value |= byte << (8 * k);
        }
        return value;
    };
    const std::string path = scratch.file("seed.tif");
    if (!orvane::testing_support::writeTiff(path, spec)) return {};
    Bytes bytesOut = orvane::testing_support::readFile(path);
    fs::remove(path);
    return bytesOut;
}

void tiffSeeds(const fs::path& out, const TempDir& scratch) {
    const fs::path dir = out / "tiff_load_fuzzer";
    const char* scanInfo = "SCANINFO:0,0>>12.5,3.25>>5>>1>>2>>3>>4>>0.5>>6";
    std::vector<std::pair<std::string, SeedTiff>> items = {
        {"grey16", {}},
        {"one_pixel", {.width = 1, .height = 1}},
        {"scaninfo_resolution", {.description = scanInfo, .resolution = true}},
        {"scaninfo_short", {.description = "SCANINFO:1.5,2.5"}},
        {"strips_of_two", {.width = 9, .height = 7, .rowsPerStrip = 2}},
        {"deflate", {.width = 33, .height = 17, .compression = COMPRESSION_ADOBE_DEFLATE}},
        {"lzw", {.width = 33, .height = 17, .compression = COMPRESSION_LZW, .rowsPerStrip = 4}},
        {"packbits", {.width = 33, .height = 17, .compression = COMPRESSION_PACKBITS}},
        {"tiled", {.width = 20, .height = 18, .tile = 16}},
        {"grey8", {.bits = 8}},
        {"rgb16", {.samples = 3, .photometric = PHOTOMETRIC_RGB}},
        {"planar_separate", {.samples = 2, .planar = PLANARCONFIG_SEPARATE}},
        {"grey_alpha16", {.samples = 2}},
        {"min_is_white", {.photometric = PHOTOMETRIC_MINISWHITE}},
        {"grey32", {.bits = 32}},
    };
    for (const auto& [name, item] : items) {
        const Bytes bytes = makeTiff(scratch, item);
        save(dir, name + ".tif", bytes);
        if (name == "grey16" || name == "strips_of_two" || name == "deflate")
            save(dir, name + "_truncated.tif", bytes.substr(0, bytes.size() / 2));
    }
    save(dir, "not_a_tiff", "P5\n7 5\n65535\n");
    save(dir, "header_only", Bytes("II*\0\x08\0\0\0", 8));
}

// ---- Grid definition file ------------------------------------------------------------------

Bytes gridBytes(const orvane::SpotGrid& grid) {
    std::ostringstream out(std::ios::binary);
    orvane::WriteGrid(grid, out);
    return out.str();
}

orvane::SpotGrid makeGrid(std::int32_t quadsX, std::int32_t quadsY, std::int32_t cellsX,
                          std::int32_t cellsY, bool withMap) {
    orvane::SpotGrid grid;
    auto& p = grid.parameters;
    p.quadsX = quadsX;
    p.quadsY = quadsY;
    p.cellsX = cellsX;
    p.cellsY = cellsY;
    for (std::int32_t qx = 0; qx < quadsX; ++qx)
        for (std::int32_t qy = 0; qy < quadsY; ++qy) {
            orvane::GridQuad& q = grid.quad(qx, qy);
            // Corners of 10 and 26 put the bytes 0x0A and 0x1A into the records.
            q.InitQuad(10 + 100 * qx, 26 + 100 * qy, 90 + 100 * qx, 13 + 60 + 100 * qy, cellsX,
                       cellsY, 4, 6, 1);
            q.Flags(0, 0) = orvane::Marked | orvane::Excluded;
            q.offsetX[0] = 10;
            q.offsetY[0] = -13;
            q.SelectSpot(cellsX - 1, cellsY - 1);
        }
    if (withMap) {
        auto map = std::make_shared<orvane::SlideMap>(quadsX, quadsY, cellsX, cellsY);
        for (std::int32_t i = 0; i < map->recordCount(); ++i) {
            map->records()[i].SetUid(i % 3 == 0 ? "NA" : "UID-" + std::to_string(i));
            map->records()[i].SetDescription("kinase\n" + std::to_string(i));
        }
        p.slideMap = map;
    }
    return grid;
}

void gridSeeds(const fs::path& out) {
    const fs::path dir = out / "grid_file_fuzzer";
    save(dir, "default_1x1", gridBytes(makeGrid(1, 1, 11, 5, false)));
    save(dir, "map_2x3", gridBytes(makeGrid(2, 3, 3, 2, true)));
    save(dir, "one_spot", gridBytes(makeGrid(1, 1, 1, 1, true)));
    orvane::SpotGrid undefined;  // quads present but never laid out
    save(dir, "undefined_quads", gridBytes(undefined));
    const Bytes full = gridBytes(makeGrid(1, 2, 4, 4, false));
    save(dir, "truncated", full.substr(0, full.size() - 7));
    save(dir, "header_only", Bytes(orvane::kGridFileHeader) + "\r\n");
    save(dir, "wrong_header", "grid definition file (text)\r\n");
}

// ---- Print-job parameters and slide map data -----------------------------------------------

const char* kParameterFile =
    "// print job\n"
    "setup_file_name = set.txt\njob_file_name: job.txt\nprint_start_date_time = Mon Jun 5\n"
    "pins_x = 2\npins_y 2\nPINS_STEP,1\nspots_per_wick = 150\nprespot_step = 0.275\n"
    "align_check = yes\nwash_radio = NO\nzone_0_origin_x = 3.5\nzone_0_origin_y = 4.25\n"
    "grid_step_x = 0.35\ngrid_step_y = 0.35\ngrid_spot_ncols = 12\ngrid_spot_nrows = 12\n"
    "grid_quad_ncols = 4\ngrid_quad_nrows = 16\ngrid_quad_step_x = 4.5\ngrid_quad_step_y = 4.5\n";

void parameterSeeds(const fs::path& out) {
    const fs::path dir = out / "read_parameters_fuzzer";
    save(dir, "full", kParameterFile);
    save(dir, "edge_cases",
         "pins_x = 3abc\ngrid_step_x = abc\npins_x\n/pins_x 3\n\n"
         "zone# 0, block_col# 0, block_row# 0, spot_col# 0, spot_row# 0\n"
         "pins_y = -2147483648\nspot_step = 1e308\nspot_step = nan\nspot_step = 0x1p4\n"
         "pins_x = 99999999999\n");
    save(dir, "long_line", "setup_file_name = " + std::string(600, 'x') + "\npins_x 4\n");
    save(dir, "crlf", "pins_x = 3\r\npins_y = 4\r\n");
}

void mapSeeds(const fs::path& out) {
    const fs::path dir = out / "load_map_fuzzer";
    std::string map = kParameterFile;
    map +=
        "pin_x# 0, pin_y# 0, well_uid: A1, well_descr: kinase\n"
        "pin_x# 1, pin_y# 0, well_uid: A2, well_descr: actin\n"
        "pin_x# 0, pin_y# 1, well_uid: AB 12, well_descr: kinase 3\n"
        "pin_x# 1, pin_y# 1, well_uid: NA, well_descr: empty\n";
    for (int block = 0; block < 2; ++block)
        for (int col = 0; col < 3; ++col)
            for (int row = 0; row < 2; ++row)
                map += "zone# 0, block_col# " + std::to_string(block) +
                       ", block_row# 0, spot_col# " + std::to_string(col) + ", spot_row# " +
                       std::to_string(row) + "\n";
    save(dir, "two_blocks", map);
    save(dir, "no_zone_lines", kParameterFile);
    save(dir, "bad_pins",
         "pin_x# 0, pin_y# 8, well_uid: A1, well_descr: x\npin_x# -1, pin_y# 0, well_uid: A1, "
         "well_descr: x\n"
         "pin_x# 0, pin_y# 0, well_uid: A1 well_descr: x\npin_x# 0, pin_y# 0, well_uid: A1, "
         "well_descr:\n"
         "zone# 0, block_col# 0, block_row# 0, spot_col# 1, spot_row# 1\n");
    save(dir, "negative_zone", "zone# 0, block_col# -1, block_row# 0, spot_col# 0, spot_row# 0\n");
    save(dir, "over_limits",
         "grid_quad_ncols = 10\npins_x = 2\nzone# 0, block_col# 2, block_row# 0, spot_col# 0, "
         "spot_row# 0\n");
    save(dir, "pins_outside_table",
         "pins_x = 5\npins_y = 9\nzone# 0,block_col#0,block_row#0,spot_col#0,spot_row#0\n");
}

// ---- GAL files -----------------------------------------------------------------------------

// A GAL of block records (already "x, y, ...") and feature rows, with line ends `eol`.
Bytes galText(const std::vector<std::string>& blocks, const std::vector<std::string>& rows,
              const std::string& eol = "\n", const std::string& extraHeader = "") {
    Bytes text = "ATF\t1.0" + eol + std::to_string(blocks.size() + 3) + "\t5" + eol;
    text += "\"Type=GenePix ArrayList V1.0\"" + eol +
            "\"BlockCount=" + std::to_string(blocks.size()) + "\"" + eol;
    text += "\"BlockType=0\"" + eol + extraHeader;
    for (std::size_t i = 0; i < blocks.size(); ++i)
        text += "\"Block" + std::to_string(i + 1) + "=" + blocks[i] + "\"" + eol;
    text += "\"Block\"\t\"Column\"\t\"Row\"\t\"ID\"\t\"Name\"" + eol;
    for (const std::string& row : rows) text += row + eol;
    return text;
}

// quadsX x quadsY blocks of cellsX x cellsY features, block 1 top-left, row by row.
std::vector<std::string> gridBlocks(int quadsX, int quadsY, int cellsX, int cellsY,
                                    double x0 = 3000, double y0 = 18300, double quadStep = 4500) {
    std::vector<std::string> blocks;
    for (int qy = 0; qy < quadsY; ++qy)
        for (int qx = 0; qx < quadsX; ++qx) {
            std::ostringstream b;
            b << x0 + quadStep * qx << ", " << y0 + quadStep * qy << ", 110, " << cellsX
              << ", 400, " << cellsY << ", 400";
            blocks.push_back(b.str());
        }
    return blocks;
}

// Every feature of every block, IDs numbered, every seventh one "empty".
std::vector<std::string> allFeatures(int blocks, int cellsX, int cellsY) {
    std::vector<std::string> rows;
    int n = 0;
    for (int b = 1; b <= blocks; ++b)
        for (int r = 1; r <= cellsY; ++r)
            for (int c = 1; c <= cellsX; ++c, ++n)
                rows.push_back(
                    std::to_string(b) + "\t" + std::to_string(c) + "\t" + std::to_string(r) + "\t" +
                    (n % 7 == 3 ? std::string("empty") : std::to_string(8400 + n)) + "\t\"gene " +
                    std::to_string(n) + "|clone, " + std::to_string(b) + "\"");
    return rows;
}

void galSeeds(const fs::path& out) {
    const fs::path dir = out / "gal_file_fuzzer";
    // The layout of a public example: 4 x 12 blocks of 10 x 9 features, 4.5 mm apart.
    save(dir, "example_layout", galText(gridBlocks(4, 12, 10, 9), allFeatures(2, 10, 9)));
    save(dir, "one_block", galText(gridBlocks(1, 1, 3, 2), allFeatures(1, 3, 2)));
    save(dir, "one_block_crlf", galText(gridBlocks(1, 1, 3, 2), allFeatures(1, 3, 2), "\r\n"));
    save(dir, "four_by_sixteen", galText(gridBlocks(4, 16, 2, 2), allFeatures(64, 2, 2)));
    save(dir, "one_column", galText(gridBlocks(1, 5, 4, 3), allFeatures(5, 4, 3)));
    // Block 1 in the second row, features out of order and repeated, texts at and over 255.
    const std::vector<std::string> sixBlocks = {
        "1000, 5500, 100, 3, 200, 2, 250", "1000, 1500, 100, 3, 200, 2, 250",
        "5000, 1500, 100, 3, 200, 2, 250", "9000, 1500, 100, 3, 200, 2, 250",
        "5000, 5500, 100, 3, 200, 2, 250", "9000, 5500, 100, 3, 200, 2, 250"};
    save(dir, "six_blocks_out_of_order",
         galText(sixBlocks,
                 {"6\t3\t2\t\"W 6\"\t\"last\"", "1\t1\t1\tW-1\t\"first, of block 1\"",
                  "1\t3\t2\tempty\t\"empty\"", "2\t2\t1\t\"EMPTY\"\tx", "1\t1\t1\tagain\tsecond",
                  "3\t1\t1\t" + std::string(255, 'u') + "\t" + std::string(300, 'd'), "",
                  "4\t2\t2\t\"\"\t\"\""}));
    save(dir, "within_a_micrometre",
         galText({"1000, 1500, 100, 3, 200, 2, 250", "5000.5, 1500.4, 100, 3, 200, 2, 250"},
                 {"2\t3\t2\tX\tY"}));
    save(
        dir, "column_order",
        "ATF\t1.0\n3\t6\n\"Type=GenePix ArrayList V1.0\"\n\"Block1=0, 0, 1e-3, 1, 1e-3, 1, 1e-3\"\n"
        "\"Extra="
        "1\"\n\"Name\"\t\"ID\"\t\"Row\"\t\"Column\"\t\"Block\"\t\"Other\"\nn\ti\t1\t1\t1\to\n");
    save(dir, "huge_numbers",
         galText({"1e300, 1e300, 1e300, 1000, 1e300, 100, 1e-300",
                  "1.7e308, 1e300, 1e300, 1000, 1e300, 100, 1e-300"},
                 {"2\t1000\t100\tX\tY"}));

    save(dir, "utf8_bom",
         "\xEF\xBB\xBF" + galText(gridBlocks(2, 1, 3, 2), allFeatures(2, 3, 2), "\r\n"));
    // A fuzz finding: an ID holding NUL bytes.
    save(dir, "nul_in_id",
         galText(gridBlocks(1, 1, 3, 2), {Bytes("1\t1\t2\t\x01\0\0\0y\tgene", 16)}));

    // The refusals of the reader's tests.
    const std::string ok = "1000, 1500, 100, 3, 200, 2, 250";
    const std::vector<Bytes> refused = {
        "",
        "ATF\t1.0\n",
        "ATF\t1.0\nabc\n",
        galText({ok}, {}, "\n", "\"BlockType=1\"\n"),
        galText({ok}, {}, "\n", "\"Type=Something else\"\n"),
        galText({"1000, 1500, 100, 3, 200, 2"}, {}),
        galText({"1000, 1500, 100, 3, -200, 2, 250"}, {}),
        galText({"1000, 1500, 100, 10001, 200, 2, 250"}, {}),
        galText({"1000, 1500, 1e999, 3, 200, 2, 250"}, {}),
        galText({ok, ok}, {}, "\n", "\"Block2=" + ok + "\"\n"),
        galText({ok}, {}, "\n", "\"Block3=" + ok + "\"\n"),
        galText({ok}, {}, "\n", "\"Block65=" + ok + "\"\n"),
        galText({ok}, {}, "\n", "\"BlockCount=2\"\n"),
        galText({ok}, {}, "\n", "no equals sign\n"),
        "ATF\t1.0\n1\t5\n\"Block1=" + ok + "\"\n",
        "ATF\t1.0\n1\t3\n\"Block1=" + ok + "\"\n\"Block\"\t\"Column\"\t\"Row\"\n",
        "ATF\t1.0\n0\t5\n\"Block\"\t\"Column\"\t\"Row\"\t\"ID\"\t\"Name\"\n",
        galText({ok}, {"1\t4\t1\tX\tx", "1\t1\t3\tX\tx"}),
        galText({ok}, {"2\t1\t1\tX\tx", "0\t1\t1\tX\tx"}),
        galText({ok}, {"1\tone\t1\tX\tx", "1\t1\t1"}),
        galText({ok, "5000, 1500, 100, 3, 200, 2, 250", "10000, 1500, 100, 3, 200, 2, 250"}, {}),
        galText({ok, "5000, 1500, 100, 3, 200, 2, 250", "1000, 5500, 100, 3, 200, 2, 250"}, {}),
        galText({ok, "1000.4, 1500, 100, 3, 200, 2, 250"}, {}),
        galText(gridBlocks(5, 1, 3, 2), {}),
        galText(gridBlocks(1, 17, 3, 2), {}),
        galText({ok, "5000, 1500, 100, 3, 200, 3, 250"}, {}),
        galText({"0, 0, 100, 10000, 200, 200, 250"}, {}),
    };
    for (std::size_t i = 0; i < refused.size(); ++i)
        save(dir, "refused_" + std::to_string(i), refused[i]);
}

// ---- orvane-batch numbers, rectangles and requests -----------------------------------------
// FuzzedDataProvider takes integers from the end of the input: the selector is the last byte.

Bytes withSelector(const Bytes& body, std::uint8_t selector) {
    return body + static_cast<char>(selector);
}

// A command line as the harness splits it: arguments separated by NUL bytes.
Bytes argumentBytes(std::initializer_list<const char*> args) {
    Bytes bytes;
    bool first = true;
    for (const char* arg : args) {
        if (!first) bytes += '\0';
        first = false;
        bytes += arg;
    }
    return bytes;
}

void batchSeeds(const fs::path& out) {
    const fs::path dir = out / "batch_numbers_fuzzer";
    // Integer case: the text, then max and min (8 bytes each, read from the end), the selector.
    const Bytes range(16, '\x7f');
    int n = 0;
    for (const char* text : {"0", "-1", "+42", "+-1", "9223372036854775807", "-9223372036854775808",
                             "99999999999999999999", " 1", "1 ", "", "0x10", "1e3"})
        save(dir, "integer_" + std::to_string(n++), withSelector(text + range, 0));
    n = 0;
    for (const char* text : {"1,2,3,4", "-5,0,-2147483648,2147483647", "1,2,3", "1,2,3,4,5",
                             "1,,3,4", "+1,+2,+3,+4", "2147483648,0,0,0"})
        save(dir, "rectangle_" + std::to_string(n++), withSelector(text, 1));
    save(dir, "export_args",
         withSelector(
             argumentBytes({"--linear", "--channel-off", "2", "-o", "out.tif", "a.tif", "b.tif"}),
             2));
    save(dir, "export_inline",
         withSelector(
             argumentBytes({"--channel-off=3", "--no-invert", "-o", "o.tif", "--", "-x.tif"}), 2));
    save(dir, "process_args",
         withSelector(argumentBytes({"--mean", "--subtract-background", "1,2,30,40", "--median",
                                     "-o", "out.tif", "in.tif"}),
                      3));
}

// ---- Robot: status reports, descriptors, uevents, simulator configuration -------------------

void robotSeeds(const fs::path& out) {
    const fs::path dir = out / "status_report_fuzzer";
    // Status case: 19 report bytes from the front, selector 0 last.
    const std::vector<std::uint8_t> status = {0,    0x05, 3,    1, 0, 0x10, 0x27, 0x00, 0, 0,
                                              0xF0, 0xD8, 0xFF, 0, 1, 0xFF, 0xFF, 0x7F, 0};
    save(dir, "status", withSelector(Bytes(status.begin(), status.end()), 0));
    save(dir, "status_extremes", withSelector(Bytes(19, '\xff'), 0));
    const std::vector<std::uint8_t> controller = {
        0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08,
        0x95, 0x12, 0x09, 0x01, 0x81, 0x02, 0x95, 0x08, 0x09, 0x01, 0x91, 0x02, 0xC0};
    save(dir, "descriptor", withSelector(Bytes(controller.begin(), controller.end()), 1));
    save(dir, "descriptor_ids",
         withSelector(Bytes("\x85\x01\x75\x08\x95\x12\x81\x02\x85\x02\x95\x08\x91\x02", 14), 1));
    save(dir, "uevent",
         withSelector("DRIVER=hid-generic\nHID_ID=0003:00004242:00004201\nHID_NAME=x\n", 2));
    save(dir, "uevent_bad", withSelector("HID_ID=0003:000142424:00004201\n", 2));
    save(dir, "sim_config",
         withSelector(
             "vendor_id = 0x4242\nticks_per_report = 1000\nstart_position_2 = -5\n"
             "flag_range_1 = -2000 0\nstop_after_reports = 3 # fault\nfail_writes_after = 2\n"
             "accept_delay_reports = 1\ninput_report_length = 19\n",
             3));

    // The protocol harness: a device that answers "all done, everything accepted" each time.
    const fs::path link = out / "robot_link_fuzzer";
    Bytes calm;
    for (int i = 0; i < 40; ++i) {
        calm += '\0';  // an Ok read
        Bytes report(19, '\0');
        report[2] = static_cast<char>(i / 4);
        calm += report;
    }
    save(link, "calm_device", calm + Bytes("\x13\x00\x09\x00", 4));
    save(link, "silent_device", Bytes("\x13\x00\x09\x00", 4));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds OUTDIR\n");
        return 2;
    }
    orvane::setTiffMessageSink({});
    const fs::path out = argv[1];
    const TempDir scratch("fuzz-seeds");
    tiffSeeds(out, scratch);
    gridSeeds(out);
    parameterSeeds(out);
    mapSeeds(out);
    galSeeds(out);
    batchSeeds(out);
    robotSeeds(out);
    return 0;
}
