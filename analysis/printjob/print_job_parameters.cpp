// The print-job parameter table and its line reader.
#include "print_job_parameters.h"

#include <cstdio>
#include <iostream>
#include <string_view>

#include "base/text_numbers.h"

namespace orvane {

double PrintJobParameters::zoneOriginX(std::int32_t zone) const {
    return zone == 2 ? zone_2_origin_x : zone == 1 ? zone_1_origin_x : zone_0_origin_x;
}

double PrintJobParameters::zoneOriginY(std::int32_t zone) const {
    return zone == 2 ? zone_2_origin_y : zone == 1 ? zone_1_origin_y : zone_0_origin_y;
}

PrintJobParameters& processPrintJobParameters() {
    static PrintJobParameters values;
    return values;
}

std::vector<ParameterEntry> parameterTable(PrintJobParameters& v) {
    return {
        {"setup_file_name", kParamString, &v.setup_file_name},
        {"job_file_name", kParamString, &v.job_file_name},
        {"print_start_date_time", kParamString, &v.print_start_date_time},
        {"pins_x", kParamInteger, &v.pins_x},
        {"pins_y", kParamInteger, &v.pins_y},
        {"pins_step", kParamInteger, &v.pins_step},
        {"spots_per_wick", kParamInteger, &v.spots_per_wick},
        {"prespot_slides", kParamInteger, &v.prespot_slides},
        {"prespot_step", kParamReal, &v.prespot_step},
        {"prespot_spots", kParamInteger, &v.prespot_spots},
        {"prespot_gap", kParamInteger, &v.prespot_gap},
        {"prespot_hexp", kParamInteger, &v.prespot_hexp},
        {"prespot_label_border", kParamReal, &v.prespot_label_border},
        {"spot_slides", kParamInteger, &v.spot_slides},
        {"spot_zones", kParamInteger, &v.spot_zones},
        {"spot_step", kParamReal, &v.spot_step},
        {"border_x", kParamReal, &v.border_x},
        {"border_y", kParamReal, &v.border_y},
        {"spot_label_border", kParamReal, &v.spot_label_border},
        {"spots_x", kParamInteger, &v.spots_x},
        {"spots_y", kParamInteger, &v.spots_y},
        {"spot_hexp", kParamInteger, &v.spot_hexp},
        {"interleave_x", kParamInteger, &v.interleave_x},
        {"interleave_y", kParamInteger, &v.interleave_y},
        {"plate_num", kParamInteger, &v.plate_num},
        {"align_check", kParamInteger, &v.align_check},
        {"wash_radio", kParamInteger, &v.wash_radio},
        {"zone_0_origin_x", kParamReal, &v.zone_0_origin_x},
        {"zone_0_origin_y", kParamReal, &v.zone_0_origin_y},
        {"zone_1_origin_x", kParamReal, &v.zone_1_origin_x},
        {"zone_1_origin_y", kParamReal, &v.zone_1_origin_y},
        {"zone_2_origin_x", kParamReal, &v.zone_2_origin_x},
        {"zone_2_origin_y", kParamReal, &v.zone_2_origin_y},
        {"grid_step_x", kParamReal, &v.grid_step_x},
        {"grid_step_y", kParamReal, &v.grid_step_y},
        {"grid_offs_y", kParamReal, &v.grid_offs_y},
        {"grid_spot_ncols", kParamInteger, &v.grid_spot_ncols},
        {"grid_spot_nrows", kParamInteger, &v.grid_spot_nrows},
        {"grid_quad_ncols", kParamInteger, &v.grid_quad_ncols},
        {"grid_quad_nrows", kParamInteger, &v.grid_quad_nrows},
        {"grid_quad_step_x", kParamReal, &v.grid_quad_step_x},
        {"grid_quad_step_y", kParamReal, &v.grid_quad_step_y},
        {"sentinel", kParamSentinel, nullptr},
    };
}

bool ReadLinePiece(std::istream& in, std::size_t maxChars, std::string& piece) {
    piece.clear();
    std::streambuf* buf = in.rdbuf();
    if (!buf) return false;
    bool any = false;
    while (piece.size() < maxChars) {
        const int c = buf->sbumpc();
        if (c == std::char_traits<char>::eof()) {
            in.setstate(std::ios::eofbit);
            return any;
        }
        any = true;
        if (c == '\n') return true;
        piece.push_back(static_cast<char>(c));
    }
    // A full piece: a line feed right after it still belongs to this line.
    if (buf->sgetc() == '\n') buf->sbumpc();
    return true;
}

namespace {

constexpr std::size_t kParameterPieceChars = 255;
constexpr std::string_view kSeparators = "\t =,;#:\n\r";

// The tokens of one piece; text after a NUL byte is not part of the line.
std::vector<std::string_view> tokenise(std::string_view line) {
    line = line.substr(0, line.find('\0'));
    std::vector<std::string_view> tokens;
    std::size_t pos = 0;
    while (true) {
        pos = line.find_first_not_of(kSeparators, pos);
        if (pos == std::string_view::npos) break;
        std::size_t end = line.find_first_of(kSeparators, pos);
        if (end == std::string_view::npos) end = line.size();
        tokens.push_back(line.substr(pos, end - pos));
        pos = end;
    }
    return tokens;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    return true;
}

bool convertValue(const ParameterEntry& entry, std::string_view token) {
    switch (entry.type) {
    case kParamInteger: {
        const auto value = leadingInteger(token);
        if (!value) return false;
        *static_cast<std::int32_t*>(entry.storage) = *value;
        return true;
    }
    case kParamReal: {
        const auto value = leadingReal(token);
        if (!value) return false;
        *static_cast<double*>(entry.storage) = *value;
        return true;
    }
    case kParamYesNo:
        if (equalsIgnoringCase(token, "yes"))
            *static_cast<std::int32_t*>(entry.storage) = 1;
        else if (equalsIgnoringCase(token, "no"))
            *static_cast<std::int32_t*>(entry.storage) = 0;
        else
            return false;
        return true;
    case kParamString: *static_cast<std::string*>(entry.storage) = std::string(token); return true;
    default: return false;
    }
}

const ParameterEntry* findEntry(const std::vector<ParameterEntry>& table, std::string_view name) {
    for (const ParameterEntry& entry : table) {
        if (entry.type == kParamSentinel) break;
        if (equalsIgnoringCase(entry.name, name)) return &entry;
    }
    return nullptr;
}

void writeListing(std::ostream& out, const std::vector<ParameterEntry>& table) {
    out << "\nparameter file processed, the following parameters will be used :";
    char text[400];
    for (const ParameterEntry& entry : table) {
        if (entry.type == kParamSentinel) break;
        if (entry.type == kParamReal)
            std::snprintf(text, sizeof text, "\n%s = %.3f", entry.name,
                          *static_cast<const double*>(entry.storage));
        else if (entry.type == kParamString)
            std::snprintf(text, sizeof text, "\n%s = %s", entry.name,
                          static_cast<const std::string*>(entry.storage)->c_str());
        else
            std::snprintf(text, sizeof text, "\n%s = %d", entry.name,
                          *static_cast<const std::int32_t*>(entry.storage));
        out << text;
    }
}

}  // namespace

std::int32_t ReadParameters(std::istream& in, std::ostream* listing,
                            const std::vector<ParameterEntry>& table, std::int32_t maxCount,
                            std::ostream& diagnostics) {
    std::int32_t count = 0;
    std::int32_t lineNumber = 0;
    std::string piece;
    while (ReadLinePiece(in, kParameterPieceChars, piece)) {
        ++lineNumber;
        const std::vector<std::string_view> tokens = tokenise(piece);
        if (tokens.empty() || tokens[0].front() == '/') continue;
        const ParameterEntry* entry = findEntry(table, tokens[0]);
        if (!entry) {
            diagnostics << "\nunknown parameter at line " << lineNumber << ", name \"" << tokens[0]
                        << "\"";
            continue;
        }
        if (tokens.size() < 2 || !convertValue(*entry, tokens[1])) {
            diagnostics << "\nparse error at line " << lineNumber << ", name \"" << tokens[0]
                        << "\", assuming default value";
            continue;
        }
        ++count;
        if (maxCount != 0 && count >= maxCount) break;
    }
    if (listing) writeListing(*listing, table);
    return count;
}

std::int32_t ReadParameters(std::istream& in, std::ostream* listing,
                            const std::vector<ParameterEntry>& table, std::int32_t maxCount) {
    return ReadParameters(in, listing, table, maxCount, std::cout);
}

}  // namespace orvane
