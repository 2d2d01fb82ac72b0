// The grid-info summary.
#include "grid_info.h"

#include <string>

#include "grid/define_grid.h"
#include "grid/spot_walk.h"

namespace orvane {

namespace {

void describeQuad(const GridQuad& q, const std::string& key, std::ostream& out) {
    out << key << "defined: " << q.defined << "\n";
    for (auto [name, p] : {std::pair{"TL", &q.TL}, {"TR", &q.TR}, {"BL", &q.BL}, {"BR", &q.BR}})
        out << key << name << ": " << p->x << " " << p->y << "\n";
    out << key << "nx: " << q.nx << "\n" << key << "ny: " << q.ny << "\n";
    out << key << "spotRadius: " << q.spotRadius << "\n";
    out << key << "backgroundRadius: " << q.backgroundRadius << "\n";
    out << key << "stepX: " << q.stepX << "\n" << key << "stepY: " << q.stepY << "\n";
    out << key << "selection: ";
    if (q.HasSelection())
        out << q.selCol << " " << q.selRow << "\n";
    else
        out << "none\n";
    std::int64_t counts[4] = {0, 0, 0, 0};
    if (q.defined)
        for (std::int32_t i = 0; i < q.count; ++i)
            for (int bit = 0; bit < 4; ++bit)
                if (q.flags[static_cast<std::size_t>(i)] & (1 << bit)) ++counts[bit];
    const char* names[4] = {"highlighted", "marked", "selected", "excluded"};
    for (int bit = 0; bit < 4; ++bit) out << key << names[bit] << ": " << counts[bit] << "\n";
}

}  // namespace

void DescribeGrid(const SpotGrid& grid, std::ostream& out) {
    const GridParameters& p = grid.parameters;
    const GridFieldTexts texts = FormatGridFields(p);
    for (std::size_t i = 0; i < kGridFieldCount; ++i)
        out << GridFieldName(static_cast<GridField>(i)) << ": " << texts[i] << "\n";
    out << "slideMap: " << (p.slideMap ? "yes" : "no") << "\n";
    out << "slideMapRecords: " << p.slideMapCount() << "\n";
    ForEachQuad<WalkOrder::ByColumn>(grid, [&](std::int32_t qx, std::int32_t qy,
                                               const GridQuad& quad) {
        describeQuad(quad, "quad[" + std::to_string(qx) + "][" + std::to_string(qy) + "].", out);
    });
}

}  // namespace orvane
