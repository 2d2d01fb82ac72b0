// Option helpers of the measurement subcommands.
#include "batch/measure_options.h"

#include <charconv>
#include <limits>

#include "base/core_error.h"
#include "batch/image_inputs.h"
#include "measure/spot_geometry.h"
#include "measure/spot_results.h"

namespace orvane::batch {

std::optional<double> percentOption(const ParsedArgs& args, const std::string& name) {
    const std::optional<std::string> text = singleValue(args, name);
    if (!text) return std::nullopt;
    double value = 0.0;
    const char* end = text->data() + text->size();
    const auto [at, error] = std::from_chars(text->data(), end, value);
    if (text->empty() || error != std::errc() || at != end || !(value >= 0.0) || !(value <= 100.0))
        throw UsageError(name + " takes a number from 0 to 100, not '" + *text + "'");
    return value;
}

std::optional<std::string> singleValue(const ParsedArgs& args, const std::string& name) {
    const std::vector<std::string> values = args.values(name);
    if (values.empty()) return std::nullopt;
    if (values.size() > 1) throw UsageError(name + " given more than once");
    return values[0];
}

std::string singleOutput(const ParsedArgs& args, const std::string& example) {
    const std::optional<std::string> output = singleValue(args, "--output");
    if (!output) throw UsageError("no output file given (-o " + example + ")");
    if (output->empty()) throw UsageError("the output file name is empty");
    return *output;
}

std::optional<std::vector<std::int32_t>> parseIntegerList(const std::string& text,
                                                          std::size_t count) {
    std::vector<std::int32_t> values;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        const std::string part =
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        const std::optional<std::int64_t> value =
            parseInteger(part, std::numeric_limits<std::int32_t>::min(),
                         std::numeric_limits<std::int32_t>::max());
        if (!value) return std::nullopt;
        values.push_back(static_cast<std::int32_t>(*value));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    if (values.size() != count) return std::nullopt;
    return values;
}

QuadIndex currentQuadFrom(const ParsedArgs& args) {
    const std::optional<std::string> text = singleValue(args, "--current-quad");
    if (!text) return {};
    const auto values = parseIntegerList(*text, 2);
    if (!values || (*values)[0] < 0 || (*values)[0] >= kMaxQuadsX || (*values)[1] < 0 ||
        (*values)[1] >= kMaxQuadsY)
        throw UsageError("--current-quad takes QX,QY with 0 <= QX < 4 and 0 <= QY < 16, not '" +
                         *text + "'");
    return {(*values)[0], (*values)[1]};
}

std::vector<OptionSpec> selectionOptions() {
    return {{"--rect", "", true},          {"--circle-diameter", "", true},
            {"--circle-radius", "", true}, {"--spot", "", true},
            {"--grid", "", true},          {"--output", "-o", true}};
}

SelectionRequest selectionRequestFrom(const ParsedArgs& args) {
    struct ToolOption {
        const char* name;
        ToolKind tool;
    };
    const ToolOption tools[] = {{"--rect", ToolKind::Rectangle},
                                {"--circle-diameter", ToolKind::CircleByDiameter},
                                {"--circle-radius", ToolKind::CircleByRadius},
                                {"--spot", ToolKind::Grid}};
    SelectionRequest request;
    int given = 0;
    for (const ToolOption& option : tools) {
        const std::optional<std::string> text = singleValue(args, option.name);
        if (!text) continue;
        ++given;
        const auto values = parseIntegerList(*text, 4);
        if (!values)
            throw UsageError(std::string(option.name) +
                             " takes four comma-separated integers, not '" + *text + "'");
        request.shape.tool = option.tool;
        if (option.tool == ToolKind::Grid) {
            request.quad = {(*values)[0], (*values)[1]};
            request.col = (*values)[2];
            request.row = (*values)[3];
        } else {
            request.shape.x0 = (*values)[0];
            request.shape.y0 = (*values)[1];
            request.shape.x1 = (*values)[2];
            request.shape.y1 = (*values)[3];
        }
    }
    if (given != 1)
        throw UsageError(
            "give exactly one of --rect, --circle-diameter, --circle-radius and --spot");
    request.gridPath = singleValue(args, "--grid");
    if (request.shape.tool == ToolKind::Grid && !request.gridPath)
        throw UsageError("--spot needs --grid GRID.grd");
    if (request.shape.tool != ToolKind::Grid && request.gridPath)
        throw UsageError("--grid goes with --spot only");
    return request;
}

std::optional<SelectedSpot> selectedSpotOf(const SpotGrid& grid, const SelectionRequest& request) {
    if (!grid.InUse(request.quad.qx, request.quad.qy)) return std::nullopt;
    const GridQuad& quad = grid.quad(request.quad.qx, request.quad.qy);
    if (!quad.ValidSpot(request.col, request.row) ||
        (quad.Flags(request.col, request.row) & Excluded) != 0)
        return std::nullopt;
    const GridPoint centre = *quad.SpotCentre(request.col, request.row);
    return SelectedSpot{centre.x, centre.y, quad.spotRadius, quad.roundCells == 1};
}

GridInputs loadGridInputs(const ParsedArgs& args, Progress& progress) {
    if (args.positionals.size() < 2)
        throw UsageError("give the grid file, then the image and its overlays");
    GridInputs inputs;
    inputs.grid = loadGridFile(args.positionals[0]);
    inputs.image = loadInputs({args.positionals.begin() + 1, args.positionals.end()}, progress);
    return inputs;
}

const GridQuad& currentQuadOf(const SpotGrid& grid, const QuadIndex& index) {
    if (!grid.InUse(index.qx, index.qy))
        throw UsageError("--current-quad " + std::to_string(index.qx) + "," +
                         std::to_string(index.qy) + " is not one of the grid's quads");
    const GridQuad& quad = grid.quad(index.qx, index.qy);
    RequireGridDisplay(ToolKind::Grid, quad);
    return quad;
}

void warnSpotsOutsideScans(const GridInputs& inputs, const GridQuad& currentQuad,
                           std::ostream& err) {
    const std::string text =
        OutsideScansWarning(CountSpotsOutsideScans(inputs.image, inputs.grid, currentQuad));
    if (!text.empty()) err << "warning: " << text << "\n";
}

}  // namespace orvane::batch
