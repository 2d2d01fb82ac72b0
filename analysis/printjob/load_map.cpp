// Load Map: the zone pass, the geometry checks, the pin table and the map pass.
#include "load_map.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>

#include "document/core_error.h"
#include "printjob/text_numbers.h"

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

void setFields(GridParameters& p, const ZoneExtent& e, const PrintJobParameters& job) {
    p.spotDiameter = 0.2;
    p.backgroundDiameter = 0.3;
    p.cellsX = static_cast<std::int32_t>(e.spotsX);
    p.cellsY = static_cast<std::int32_t>(e.spotsY);
    p.stepXmm = job.grid_step_x;
    p.stepYmm = job.grid_step_y;
    p.quadsX = static_cast<std::int32_t>(job.pins_x * e.blockCols);
    p.quadsY = static_cast<std::int32_t>(job.pins_y * e.blockRows);
    p.quadStepX = job.grid_quad_step_x;
    p.quadStepY = job.grid_quad_step_y;
    p.relativeOffsets = 0;
    p.zone = 0;
    p.originX = job.zone_0_origin_x;
    p.originY = job.zone_0_origin_y;
    // The print job's quads lie on its template steps.
    p.quadShiftX.fill(0.0);
    p.quadShiftY.fill(0.0);
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

std::vector<std::string> LoadMap(std::istream& in, GridParameters& params, PrintJobParameters& job,
                                 std::ostream& diagnostics) {
    const std::istream::pos_type start = in.tellg();
    if (start == std::istream::pos_type(-1)) throw CoreError("Unable to open file.");
    ReadParameters(in, nullptr, parameterTable(job), kMapParameterLimit, diagnostics);

    rewind(in, start);
    const ZoneExtent extent = scanZones(in);
    checkGeometry(extent, job);
    setFields(params, extent, job);

    // Without a map if the new one cannot be allocated: the old one no longer fits the fields.
    params.slideMap.reset();
    auto map =
        std::make_shared<SlideMap>(params.quadsX, params.quadsY, params.cellsX, params.cellsY);
    rewind(in, start);
    std::vector<std::string> messages = fillMap(in, *map, job);
    params.slideMap = std::move(map);
    return messages;
}

std::vector<std::string> LoadMapFile(const std::string& path, GridParameters& params,
                                     PrintJobParameters& job, std::ostream& diagnostics) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) throw CoreError("Unable to open file.");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw CoreError("Unable to open file.");
    return LoadMap(in, params, job, diagnostics);
}

}  // namespace orvane
