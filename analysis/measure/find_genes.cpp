// Gene search over the slide map.
#include "find_genes.h"

#include <cstdio>

#include "base/core_error.h"
#include "grid/spot_walk.h"

namespace orvane {

namespace {

std::string lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool fieldMatches(const std::string& field, const std::string& pattern, bool wholeWord) {
    return wholeWord ? field == pattern : field.find(pattern) != std::string::npos;
}

}  // namespace

void RequireAnnotatedGrid(bool overlayShown, ToolKind tool, const SpotGrid& grid) {
    if (!overlayShown || tool != ToolKind::Grid || !grid.parameters.slideMap)
        throw CoreError("Find requires annotated grid");
}

bool SpotMatches(const FindSettings& settings, std::string_view uid, std::string_view description) {
    const std::string p = settings.matchCase ? settings.pattern : lowered(settings.pattern);
    const std::string u = settings.matchCase ? std::string(uid) : lowered(uid);
    const std::string d = settings.matchCase ? std::string(description) : lowered(description);
    return (settings.uidField && fieldMatches(u, p, settings.matchWholeWord)) ||
           (settings.descrField && fieldMatches(d, p, settings.matchWholeWord));
}

std::int32_t FindGenes(SpotGrid& grid, const FindSettings& settings) {
    std::int32_t count = 0;
    const GridParameters& p = grid.parameters;
    ForEachQuad<WalkOrder::ByColumn>(grid, [&](std::int32_t qx, std::int32_t qy, GridQuad& quad) {
        if (quad.defined == 0) return;
        quad.ClearFlags(Highlighted);
        ForEachSpotOf<WalkOrder::ByRow>(
            quad, quad.nx, quad.ny, [&](std::int32_t sx, std::int32_t sy) {
                const SlideMapRecord* record = p.GetSpotRecord(qx, qy, sx, sy);
                const std::string_view uid = record ? record->Uid() : std::string_view();
                const std::string_view descr = record ? record->Description() : std::string_view();
                if (!SpotMatches(settings, uid, descr)) return;
                quad.Flags(sx, sy) |= Highlighted;
                ++count;
            });
    });
    return count;
}

std::string FindResultMessage(std::int32_t count) {
    if (count == 0) return "Pattern not found.";
    char text[64];
    std::snprintf(text, sizeof text, "Found %d matching genes.", count);
    return text;
}

}  // namespace orvane
