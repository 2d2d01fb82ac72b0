// Fuzzes the grid definition file reader (Grid > Load Grid). A file that loads must survive a
// save and a second load unchanged: the written bytes of both rounds are compared.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "base/core_error.h"
#include "grid/grid_file.h"

namespace {

std::string written(const orvane::SpotGrid& grid) {
    std::ostringstream out(std::ios::binary);
    orvane::WriteGrid(grid, out);
    return out.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size), std::ios::binary);
    orvane::SpotGrid grid;
    try {
        orvane::ReadGrid(in, grid);
    } catch (const orvane::CoreError&) {
        return 0;  // refused, the grid unchanged (checked by the unit tests)
    }
    const std::string first = written(grid);
    std::istringstream again(first, std::ios::binary);
    orvane::SpotGrid reloaded;
    orvane::ReadGrid(again, reloaded);  // what we wrote must load
    if (written(reloaded) != first) std::abort();
    return 0;
}
