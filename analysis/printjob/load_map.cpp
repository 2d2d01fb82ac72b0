// Load Map's reader: the zone pass, the geometry checks, the pin table and the map pass.
#include "load_map.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/core_error.h"
#include "base/text_numbers.h"

namespace orvane {

namespace {

// Longer lines of the map file are read in pieces of this many characters, each a line.
constexpr std::size_t kMapPieceChars = 1022;
constexpr std::int32_t kMapParameterLimit = 100;

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The matching rules of the C scanf family for the few directives the map formats use.
class LineScanner {
public:
    explicit LineScanner(std::string_view text) : text_(text.substr(0, text.find('\0'))) {}

    // A blank of the format: any run of white space, including none.
    LineScanner& blanks() {
        while (pos_ < text_.size() && isSpace(text_[pos_])) ++pos_;
        return *this;
    }
    // Ordinary characters must match exactly.
    bool literal(std::string_view s) {
        if (text_.substr(pos_, s.size()) != s) return false;
        pos_ += s.size();
        return true;
    }
    // %d: leading white space skipped, a sign, at least one digit.
    bool integer(std::int32_t& value) {
        blanks();
        std::size_t end = pos_;
        if (end < text_.size() && (text_[end] == '+' || text_[end] == '-')) ++end;
        while (end < text_.size() && text_[end] >= '0' && text_[end] <= '9') ++end;
        const auto parsed = leadingInteger(text_.substr(pos_, end - pos_));
        if (!parsed) return false;
        value = *parsed;
        pos_ = end;
        return true;
    }
    // %[^,]: at least one character, up to the next comma (white space included).
    bool untilComma(std::string& value) {
        const std::size_t end = std::min(text_.find(',', pos_), text_.size());
        if (end == pos_) return false;
        value.assign(text_.substr(pos_, end - pos_));
        pos_ = end;
        return true;
    }
    // %s: leading white space skipped, then one non-blank word.
    bool word(std::string& value) {
        blanks();
        std::size_t end = pos_;
        while (end < text_.size() && !isSpace(text_[end])) ++end;
        if (end == pos_) return false;
        value.assign(text_.substr(pos_, end - pos_));
        pos_ = end;
        return true;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

struct PinEntry {
    std::string uid;
    std::string description;
};
using PinTable = std::array<std::array<PinEntry, kPinTableY>, kPinTableX>;

struct ZoneExtent {
    std::int64_t spotsX = 0;  // largest spot_col + 1; 0 without zone lines
    std::int64_t spotsY = 0;
    std::int64_t blockCols = 0;
    std::int64_t blockRows = 0;
    bool negativeIndex = false;
};

void rewind(std::istream& in, std::istream::pos_type start) {
    in.clear();
    in.seekg(start);
    if (!in) throw CoreError("Unable to open file.");
}

ZoneExtent scanZones(std::istream& in) {
    ZoneExtent extent;
    std::string piece;
    while (ReadLinePiece(in, kMapPieceChars, piece)) {
        const auto zone = ParseZoneLine(piece);
        if (!zone) continue;
        if (zone->blockCol < 0 || zone->blockRow < 0 || zone->spotCol < 0 || zone->spotRow < 0) {
            extent.negativeIndex = true;
            continue;
        }
        extent.spotsX = std::max<std::int64_t>(extent.spotsX, zone->spotCol + std::int64_t{1});
        extent.spotsY = std::max<std::int64_t>(extent.spotsY, zone->spotRow + std::int64_t{1});
        extent.blockCols =
            std::max<std::int64_t>(extent.blockCols, zone->blockCol + std::int64_t{1});
        extent.blockRows =
            std::max<std::int64_t>(extent.blockRows, zone->blockRow + std::int64_t{1});
    }
    return extent;
}

// The checks before anything of the grid changes; the first failing one gives the message.
void checkGeometry(const ZoneExtent& e, const PrintJobParameters& job) {
    if (e.negativeIndex) throw CoreError(kZoneIndexMessage);
    const std::int64_t quadsX = job.pins_x * e.blockCols;
    const std::int64_t quadsY = job.pins_y * e.blockRows;
    if (e.spotsX > job.grid_spot_ncols || e.spotsY > job.grid_spot_nrows ||
        quadsX > job.grid_quad_ncols || quadsY > job.grid_quad_nrows)
        throw CoreError(kMapGeometrySpecsMessage);
    if (quadsX > kMaxQuadsX || quadsY > kMaxQuadsY) throw CoreError(kMapLimitsMessage);
    // The pin table has 4 x 8 entries; a head outside it cannot be mapped.
    if (job.pins_x < 1 || job.pins_x > kPinTableX || job.pins_y < 1 || job.pins_y > kPinTableY)
        throw CoreError(kPinCountMessage);
}

// The grid counts a file declares itself; -1 where it says nothing (the process-wide values
// then come from an earlier file or the defaults, and cannot tell a truncated map).
struct DeclaredGrid {
    std::int32_t spotCols = -1, spotRows = -1, quadCols = -1, quadRows = -1;
};

DeclaredGrid declaredGrid(std::istream& in, const PrintJobParameters& job) {
    PrintJobParameters probe = job;
    probe.grid_spot_ncols = probe.grid_spot_nrows = -1;
    probe.grid_quad_ncols = probe.grid_quad_nrows = -1;
    std::ostringstream ignored;  // the real read already reported the file's lines
    ReadParameters(in, nullptr, parameterTable(probe), kMapParameterLimit, ignored);
    return {probe.grid_spot_ncols, probe.grid_spot_nrows, probe.grid_quad_ncols,
            probe.grid_quad_nrows};
}

std::string countPair(std::int64_t x, std::int64_t y) {
    return std::to_string(x) + " x " + std::to_string(y);
}

// A file that is no map (a text file, a results table) has no zone line and would give a grid
// of no spots; one cut short prints fewer cells or quads than its own job declares. Either
// would silently replace a good grid, so both are refused, naming what is missing.
void checkComplete(const ZoneExtent& e, const PrintJobParameters& job, const DeclaredGrid& d) {
    if (e.spotsX == 0) throw CoreError(kMapNoZonesMessage);
    if (!(job.grid_step_x > 0.0) || !(job.grid_step_y > 0.0)) throw CoreError(kMapStepsMessage);
    const bool cellsDeclared = d.spotCols > 0 && d.spotRows > 0;
    if (cellsDeclared && (e.spotsX < d.spotCols || e.spotsY < d.spotRows))
        throw CoreError("Incomplete slide map: its zone lines reach " +
                        countPair(e.spotsX, e.spotsY) + " cells of the " +
                        countPair(d.spotCols, d.spotRows) + " its print job declares.");
    const std::int64_t quadsX = job.pins_x * e.blockCols, quadsY = job.pins_y * e.blockRows;
    const bool quadsDeclared = d.quadCols > 0 && d.quadRows > 0;
    if (quadsDeclared && (quadsX < d.quadCols || quadsY < d.quadRows))
        throw CoreError("Incomplete slide map: its zone lines reach " + countPair(quadsX, quadsY) +
                        " quads of the " + countPair(d.quadCols, d.quadRows) +
                        " its print job declares.");
}

// The map's grid; the spot and background diameters are Load Map's defaults.
MapLayout layoutOf(const ZoneExtent& e, const PrintJobParameters& job) {
    MapLayout m;
    m.cellsX = static_cast<std::int32_t>(e.spotsX);
    m.cellsY = static_cast<std::int32_t>(e.spotsY);
    m.stepXmm = job.grid_step_x;
    m.stepYmm = job.grid_step_y;
    m.quadsX = static_cast<std::int32_t>(job.pins_x * e.blockCols);
    m.quadsY = static_cast<std::int32_t>(job.pins_y * e.blockRows);
    m.quadStepX = job.grid_quad_step_x;
    m.quadStepY = job.grid_quad_step_y;
    m.originX = job.zone_0_origin_x;
    m.originY = job.zone_0_origin_y;
    return m;
}

// One print stroke: every pin of the head deposits its well at the same spot of its own quad.
// The quad row nearest the top of the block takes the pin with the largest y index.
void applyStroke(SlideMap& map, const ZoneLine& zone, const PinTable& pins,
                 const PrintJobParameters& job) {
    for (std::int32_t i = 0; i < job.pins_x; ++i) {
        for (std::int32_t j = 0; j < job.pins_y; ++j) {
            SlideMapRecord* record =
                map.GetSpotRecord(job.pins_x * zone.blockCol + i, job.pins_y * zone.blockRow + j,
                                  zone.spotCol, zone.spotRow);
            if (!record) continue;
            const PinEntry& pin =
                pins[static_cast<std::size_t>(i)][static_cast<std::size_t>(job.pins_y - 1 - j)];
            record->SetUid(pin.uid);
            record->SetDescription(pin.description);
        }
    }
}

std::vector<std::string> fillMap(std::istream& in, SlideMap& map, const PrintJobParameters& job) {
    std::vector<std::string> messages;
    PinTable pins;
    std::string piece;
    while (ReadLinePiece(in, kMapPieceChars, piece)) {
        if (const auto pin = ParsePinLine(piece)) {
            if (pin->pinX < 0 || pin->pinX >= kPinTableX || pin->pinY < 0 ||
                pin->pinY >= kPinTableY) {
                messages.emplace_back(kPinAssignmentMessage);
                continue;
            }
            PinEntry& entry =
                pins[static_cast<std::size_t>(pin->pinX)][static_cast<std::size_t>(pin->pinY)];
            entry.uid = pin->uid.substr(0, kSlideMapTextSize - 1);
            entry.description = pin->description.substr(0, kSlideMapTextSize - 1);
        } else if (const auto zone = ParseZoneLine(piece)) {
            applyStroke(map, *zone, pins, job);
        }
    }
    return messages;
}

}  // namespace

std::optional<PinLine> ParsePinLine(std::string_view line) {
    LineScanner s(line);
    PinLine pin;
    if (s.literal("pin_x#") && s.integer(pin.pinX) && s.literal(",") &&
        s.blanks().literal("pin_y#") && s.integer(pin.pinY) && s.literal(",") &&
        s.blanks().literal("well_uid:") && s.blanks().untilComma(pin.uid) && s.literal(",") &&
        s.blanks().literal("well_descr:") && s.word(pin.description))
        return pin;
    return std::nullopt;
}

std::optional<ZoneLine> ParseZoneLine(std::string_view line) {
    LineScanner s(line);
    ZoneLine zone;
    if (s.literal("zone#") && s.integer(zone.zone) && s.literal(",") &&
        s.blanks().literal("block_col#") && s.integer(zone.blockCol) && s.literal(",") &&
        s.blanks().literal("block_row#") && s.integer(zone.blockRow) && s.literal(",") &&
        s.blanks().literal("spot_col#") && s.integer(zone.spotCol) && s.literal(",") &&
        s.blanks().literal("spot_row#") && s.integer(zone.spotRow))
        return zone;
    return std::nullopt;
}

MapLayout ReadMap(std::istream& in, PrintJobParameters& job, std::ostream& diagnostics) {
    const std::istream::pos_type start = in.tellg();
    if (start == std::istream::pos_type(-1)) throw CoreError("Unable to open file.");
    ReadParameters(in, nullptr, parameterTable(job), kMapParameterLimit, diagnostics);
    rewind(in, start);
    const DeclaredGrid declared = declaredGrid(in, job);

    rewind(in, start);
    const ZoneExtent extent = scanZones(in);
    checkGeometry(extent, job);
    checkComplete(extent, job, declared);
    MapLayout layout = layoutOf(extent, job);
    layout.slideMap =
        std::make_shared<SlideMap>(layout.quadsX, layout.quadsY, layout.cellsX, layout.cellsY);
    rewind(in, start);
    layout.messages = fillMap(in, *layout.slideMap, job);
    return layout;
}

MapLayout ReadMapFile(const std::string& path, PrintJobParameters& job, std::ostream& diagnostics) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) throw CoreError("Unable to open file.");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw CoreError("Unable to open file.");
    return ReadMap(in, job, diagnostics);
}

}  // namespace orvane
