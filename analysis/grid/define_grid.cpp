// Grid Parameters validation, the Zone rule and the Define Grid layout.
#include "define_grid.h"

#include <algorithm>
#include <cstdio>

#include "base/text_numbers.h"
#include "grid/grid_quad.h"
#include "grid/spot_walk.h"

namespace orvane {

namespace {

// Bounds in the shortest general form: 0.05, 25, 10000.
std::string shortest(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string rangeMessage(const GridFieldSpec& item) {
    return std::string(item.isInteger() ? "Please enter an integer between "
                                        : "Please enter a number between ") +
           shortest(item.low) + " and " + shortest(item.high) + ".";
}

// Parses one field into `params`; the message of its failure otherwise.
std::optional<std::string> readField(const GridFieldSpec& item, const std::string& text,
                                     GridParameters& params) {
    if (item.isInteger()) {
        std::int64_t value = 0;
        const FieldParse result = parseFieldInteger(text, value);
        if (result == FieldParse::kNotANumber) return "Please enter an integer.";
        if (result == FieldParse::kOutOfRange || value < item.low || value > item.high)
            return rangeMessage(item);
        params.*item.integer = static_cast<std::int32_t>(value);
        return std::nullopt;
    }
    double value = 0.0;
    const FieldParse result = parseFieldNumber(text, value);
    if (result == FieldParse::kNotANumber) return "Please enter a number.";
    // Written so that a NaN ("nan" parses as a number) fails the range too.
    if (result == FieldParse::kOutOfRange || !(value >= item.low && value <= item.high))
        return rangeMessage(item);
    params.*item.number = value;
    return std::nullopt;
}

}  // namespace

const char* GridFieldName(GridField field) { return SpecOf(field).name; }

std::optional<GridField> FindGridField(std::string_view name) {
    for (const GridFieldSpec& item : kGridFields)
        if (name == item.name) return item.field;
    return std::nullopt;
}

GridFieldTexts FormatGridFields(const GridParameters& params) {
    GridFieldTexts texts;
    for (const GridFieldSpec& item : kGridFields) {
        char text[40];
        if (item.isInteger())
            std::snprintf(text, sizeof text, "%d", params.*item.integer);
        else
            std::snprintf(text, sizeof text, "%.15g", params.*item.number);
        texts[static_cast<std::size_t>(item.field)] = text;
    }
    return texts;
}

std::optional<FieldError> ValidateGridFields(const GridFieldTexts& texts, GridParameters& params) {
    GridParameters staged = params;
    for (const GridFieldSpec& item : kGridFields) {
        if (auto message = readField(item, texts[static_cast<std::size_t>(item.field)], staged))
            return FieldError{item.field, std::move(*message)};
    }
    params = std::move(staged);
    return std::nullopt;
}

std::optional<FieldError> ApplyZoneChange(const GridFieldTexts& texts, GridParameters& params,
                                          const PrintJobParameters& job) {
    GridParameters staged = params;
    if (auto error = ValidateGridFields(texts, staged)) return error;
    if (staged.zone >= 0 && staged.zone <= 2) {
        staged.originX = job.zoneOriginX(staged.zone);
        staged.originY = job.zoneOriginY(staged.zone);
    }
    params = std::move(staged);
    return std::nullopt;
}

void ApplyGridSettings(GridParameters& params,
                       const std::vector<std::pair<std::string, std::string>>& settings,
                       const PrintJobParameters& job) {
    GridParameters staged = params;
    GridFieldTexts texts = FormatGridFields(staged);
    for (const auto& [name, value] : settings) {
        const auto field = FindGridField(name);
        if (!field) throw CoreError("Unknown grid parameter \"" + name + "\".");
        texts[static_cast<std::size_t>(*field)] = value;
        if (*field != GridField::zone) continue;
        if (auto error = ApplyZoneChange(texts, staged, job))
            throw GridFieldError(error->field, error->message);
        texts = FormatGridFields(staged);  // the controls are refilled from the fields
    }
    if (auto error = ValidateGridFields(texts, staged))
        throw GridFieldError(error->field, error->message);
    params = std::move(staged);
}

bool IsEmptyWell(std::string_view uid) {
    return uid.empty() ||
           (uid.size() == 2 && asciiLower(uid[0]) == 'n' && asciiLower(uid[1]) == 'a');
}

namespace {

void excludeSpotsWithoutWell(GridQuad& quad, const GridParameters& p, std::int32_t qx,
                             std::int32_t qy) {
    if (!p.slideMap) return;
    ForEachSpotOf<WalkOrder::ByColumn>(
        quad, quad.nx, quad.ny, [&](std::int32_t col, std::int32_t row) {
            // A spot beyond the map's own dimensions has no well in it either.
            const SlideMapRecord* record = p.GetSpotRecord(qx, qy, col, row);
            if (!record || IsEmptyWell(record->Uid())) quad.Flags(col, row) |= Excluded;
        });
}

}  // namespace

void DefineGridLayout(SpotGrid& grid, const LayeredImage& image) {
    const GridParameters& p = grid.parameters;
    double ox = p.originX;
    double oy = p.originY;
    if (!p.relativeOffsets) {
        // A position on the slide: the scan's origin and the slide edge's offset come off.
        ox = p.originX - image.scanOriginX - 1.6;
        oy = p.originY - image.scanOriginY - 0.9;
    }
    ForEachQuad<WalkOrder::ByColumn>(grid, [&](std::int32_t qx, std::int32_t qy, GridQuad& quad) {
        const std::size_t slot = QuadSlot(qx, qy);
        const double qox = ox + p.quadShiftX[slot];
        const double qoy = oy + p.quadShiftY[slot];
        const std::int32_t x0 = image.LengthToPixelsX(qx * p.quadStepX + qox);
        const std::int32_t y0 = image.LengthToPixelsY(qy * p.quadStepY + qoy);
        const std::int32_t x1 =
            image.LengthToPixelsX((p.cellsX - 1) * p.stepXmm + qx * p.quadStepX + qox);
        const std::int32_t y1 =
            image.LengthToPixelsY((p.cellsY - 1) * p.stepYmm + qy * p.quadStepY + qoy);
        // Both radii use the x resolution.
        const std::int32_t r = image.LengthToPixelsX(p.spotDiameter * 0.5);
        const std::int32_t bigR = image.LengthToPixelsX(p.backgroundDiameter * 0.5);
        quad.InitQuad(x0, y0, x1, y1, p.cellsX, p.cellsY, r, bigR, p.roundCells);
        excludeSpotsWithoutWell(quad, p, qx, qy);
    });
}

}  // namespace orvane
