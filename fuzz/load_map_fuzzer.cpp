// Fuzzes Load Map over a slide map data file: parameter lines, pin lines, zone lines and
// anything else. A map that loads must match the grid geometry it set, record for record.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "base/core_error.h"
#include "grid/layout_files.h"

namespace {

void checkMap(const orvane::GridParameters& params) {
    if (!params.slideMap) std::abort();  // Load Map always builds one
    const orvane::SlideMap& map = *params.slideMap;
    if (map.quadsX() != params.quadsX || map.quadsY() != params.quadsY ||
        map.spotsX() != params.cellsX || map.spotsY() != params.cellsY)
        std::abort();
    const std::int64_t count =
        std::int64_t{params.quadsX} * params.quadsY * params.cellsX * params.cellsY;
    if (map.recordCount() != count) std::abort();
    for (std::int32_t i = 0; i < map.recordCount(); ++i) {
        const orvane::SlideMapRecord& record = map.records()[i];
        if (record.Uid().size() > 255 || record.Description().size() > 255) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    orvane::GridParameters params;
    orvane::PrintJobParameters job;
    std::ostringstream diagnostics;
    try {
        orvane::LoadMap(in, params, job, diagnostics);
    } catch (const orvane::CoreError&) {
        return 0;  // a refused geometry or an out-of-memory map
    }
    checkMap(params);
    return 0;
}
