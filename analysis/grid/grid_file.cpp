// Writing and reading of the grid definition file. The file is a text stream: on writing every
// content byte 0x0A becomes 0x0D 0x0A, on reading every 0x0D 0x0A becomes 0x0A again. A byte
// 0x1A is data like any other; nothing treats it as an end-of-file mark.
#include "grid_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <istream>
#include <ostream>
#include <vector>

#include "base/allocator.h"
#include "base/core_error.h"
#include "grid/spot_walk.h"

namespace orvane {

namespace {

// ---- writing -----------------------------------------------------------------------------

class TranslatingWriter {
public:
    explicit TranslatingWriter(std::ostream& out) : out_(out) {}
    ~TranslatingWriter() = default;

    void bytes(const void* data, std::size_t n) {
        const auto* p = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < n; ++i) put(p[i]);
    }
    void i32(std::int32_t v) {
        const auto u = static_cast<std::uint32_t>(v);
        for (int shift = 0; shift < 32; shift += 8) put(static_cast<unsigned char>(u >> shift));
    }
    void zeros(std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) put(0);
    }
    void flush() {
        out_.write(buffer_.data(), static_cast<std::streamsize>(used_));
        used_ = 0;
    }

private:
    void put(unsigned char c) {
        if (used_ + 2 > buffer_.size()) flush();
        if (c == '\n') buffer_[used_++] = '\r';
        buffer_[used_++] = static_cast<char>(c);
    }

    std::ostream& out_;
    std::array<char, 65536> buffer_{};
    std::size_t used_ = 0;
};

// Where the block holds whether a map follows and its record count; the fields' own places
// are in their table.
constexpr std::size_t kMapPresentOffset = 92;
constexpr std::size_t kMapCountOffset = 96;

using ParameterBlock = std::array<unsigned char, kGridParameterBlockSize>;

void putI32(ParameterBlock& b, std::size_t at, std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (std::size_t i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(u >> (8 * i));
}

void putF64(ParameterBlock& b, std::size_t at, double v) {
    const auto u = std::bit_cast<std::uint64_t>(v);
    for (std::size_t i = 0; i < 8; ++i) b[at + i] = static_cast<unsigned char>(u >> (8 * i));
}

// Every byte no field holds is zero.
void writeParameters(TranslatingWriter& w, const GridParameters& p, std::int32_t mapCount) {
    ParameterBlock b{};
    putI32(b, kMapPresentOffset, p.slideMap ? 1 : 0);
    putI32(b, kMapCountOffset, p.slideMap ? mapCount : 0);
    for (const GridFieldSpec& field : kGridFields) {
        if (field.isInteger())
            putI32(b, field.fileOffset, p.*field.integer);
        else
            putF64(b, field.fileOffset, p.*field.number);
    }
    w.bytes(b.data(), b.size());
}

// The map in the record order of the current Quads and Cells. After Load Map these are the
// map's own dimensions; if they were changed since, every spot the grid can reach keeps its
// record and the rest is written empty, so the file's count always matches its geometry.
void writeMap(TranslatingWriter& w, const GridParameters& p) {
    static const SlideMapRecord kEmpty{};
    ForEachQuadSlot<WalkOrder::ByColumn>(p, [&](std::int32_t qx, std::int32_t qy) {
        ForEachCell<WalkOrder::ByColumn>(p.cellsX, p.cellsY, [&](std::int32_t sx, std::int32_t sy) {
            const SlideMapRecord* r = p.slideMap->GetSpotRecord(qx, qy, sx, sy);
            w.bytes(r ? r : &kEmpty, sizeof(SlideMapRecord));
        });
    });
}

void writeQuad(TranslatingWriter& w, const GridQuad& q) {
    w.zeros(16);
    w.i32(q.count);
    for (const GridPoint* corner : {&q.TL, &q.TR, &q.BL, &q.BR}) {
        w.i32(corner->x);
        w.i32(corner->y);
    }
    for (std::int32_t v :
         {q.nx, q.ny, q.spotRadius, q.backgroundRadius, q.stepX, q.stepY, q.selCol, q.selRow,
          q.prevSelCol, q.prevSelRow, q.fullDisplay, q.roundCells, q.defined})
        w.i32(v);
    w.zeros(16);
    if (!q.defined) return;
    const auto n = static_cast<std::size_t>(q.count);
    w.bytes(q.flags.get(), n);
    w.bytes(q.shownFlags.get(), n);
    for (std::size_t i = 0; i < n; ++i) w.i32(q.offsetX[i]);
    for (std::size_t i = 0; i < n; ++i) w.i32(q.offsetY[i]);
}

std::int32_t mapRecordCount(const GridParameters& p) {
    if (!p.slideMap) return 0;
    const std::int64_t count = std::int64_t{p.quadsX} * p.quadsY * p.cellsX * p.cellsY;
    if (count > 0x7fffffff) throw CoreError("The slide map is too large for a grid file.");
    return static_cast<std::int32_t>(count);
}

// ---- reading -----------------------------------------------------------------------------

std::string invalid(const std::string& why) { return "Invalid grid definition file: " + why; }

[[noreturn]] void refuse(const std::string& why) { throw CoreError(invalid(why)); }

// Reads content bytes, undoing the CR LF translation, and knows how many stored bytes are left
// when the stream can tell, so that sizes read from the file are checked before allocating.
class TranslatingReader {
public:
    explicit TranslatingReader(std::istream& in) : buf_(in.rdbuf()) {
        const auto start = in.tellg();
        if (start != std::istream::pos_type(-1) && in.seekg(0, std::ios::end)) {
            const auto end = in.tellg();
            in.seekg(start);
            if (end != std::istream::pos_type(-1) && end >= start)
                remaining_ = static_cast<std::int64_t>(end - start);
        }
        in.clear();
    }

    // Content never has more bytes than are stored, since translation only adds bytes.
    void expect(std::uint64_t contentBytes) const {
        if (remaining_ >= 0 && contentBytes > static_cast<std::uint64_t>(remaining_))
            refuse("it ends early.");
    }
    // The next content byte, or -1 at the end of the stream.
    int next() {
        if (!buf_) return -1;
        const int c = buf_->sbumpc();
        if (c == std::char_traits<char>::eof()) return -1;
        consumed(1);
        if (c == '\r' && buf_->sgetc() == '\n') {
            buf_->sbumpc();
            consumed(1);
            return '\n';
        }
        return c;
    }
    void bytes(void* data, std::size_t n) {
        auto* p = static_cast<unsigned char*>(data);
        for (std::size_t i = 0; i < n; ++i) {
            const int c = next();
            if (c < 0) refuse("it ends early.");
            p[i] = static_cast<unsigned char>(c);
        }
    }

private:
    void consumed(std::int64_t n) {
        if (remaining_ >= 0) remaining_ -= n;
    }

    std::streambuf* buf_;
    std::int64_t remaining_ = -1;
};

std::int32_t i32At(const unsigned char* p) {
    std::uint32_t u = 0;
    for (int i = 3; i >= 0; --i) u = (u << 8) | p[i];
    return static_cast<std::int32_t>(u);
}

double f64At(const unsigned char* p) {
    std::uint64_t u = 0;
    for (int i = 7; i >= 0; --i) u = (u << 8) | p[i];
    return std::bit_cast<double>(u);
}

void readHeader(TranslatingReader& r) {
    const std::string expected = kGridFileHeader;
    std::string line;
    for (int c = r.next(); c != '\n'; c = r.next()) {
        if (c < 0 || line.size() > expected.size()) refuse("the header line differs.");
        line.push_back(static_cast<char>(c));
    }
    if (line != expected) refuse("the header line differs.");
}

struct StagedParameters {
    GridParameters params;
    bool mapPresent = false;
    std::int32_t mapCount = 0;
};

StagedParameters readParameters(TranslatingReader& r) {
    ParameterBlock b{};
    r.bytes(b.data(), b.size());
    StagedParameters s;
    GridParameters& p = s.params;
    s.mapPresent = i32At(&b[kMapPresentOffset]) != 0;
    s.mapCount = i32At(&b[kMapCountOffset]);
    for (const GridFieldSpec& field : kGridFields) {
        if (field.isInteger())
            p.*field.integer = i32At(&b[field.fileOffset]);
        else
            p.*field.number = f64At(&b[field.fileOffset]);
    }
    if (auto why = CheckGridCounts(p)) refuse(*why);
    return s;
}

std::shared_ptr<const SlideMap> readMap(TranslatingReader& r, const StagedParameters& s) {
    const GridParameters& p = s.params;
    const std::int64_t expected = std::int64_t{p.quadsX} * p.quadsY * p.cellsX * p.cellsY;
    if (s.mapCount != expected)
        refuse("the slide map has " + std::to_string(s.mapCount) + " records instead of " +
               std::to_string(expected) + ".");
    r.expect(static_cast<std::uint64_t>(expected) * sizeof(SlideMapRecord));
    auto map = std::make_shared<SlideMap>(p.quadsX, p.quadsY, p.cellsX, p.cellsY);
    SlideMapRecord* records = map->records();
    for (std::int32_t i = 0; i < map->recordCount(); ++i) {
        r.bytes(&records[i], sizeof(SlideMapRecord));
        // Every text stays terminated within its field, whatever the file held.
        records[i].uid[kSlideMapTextSize - 1] = '\0';
        records[i].description[kSlideMapTextSize - 1] = '\0';
    }
    return map;
}

void checkQuadHeader(const GridQuad& q, std::int32_t qx, std::int32_t qy) {
    const std::string where = "quad [" + std::to_string(qx) + "][" + std::to_string(qy) + "] ";
    if (!q.defined) {
        if (q.nx != 0 || q.ny != 0 || q.count != 0) refuse(where + "is undefined but has spots.");
        return;
    }
    if (q.nx < 1 || q.nx > kMaxCells || q.ny < 1 || q.ny > kMaxCells)
        refuse(where + "has " + std::to_string(q.nx) + " x " + std::to_string(q.ny) +
               " spots, outside 1..10000.");
    if (static_cast<std::int64_t>(q.count) != std::int64_t{q.nx} * q.ny)
        refuse(where + "has a spot count that differs from nx x ny.");
    const bool none = q.selCol == -1 && q.selRow == -1;
    if (!none && !(q.selCol >= 0 && q.selCol < q.nx && q.selRow >= 0 && q.selRow < q.ny))
        refuse(where + "has its selected spot outside the quad.");
}

GridQuad readQuad(TranslatingReader& r, std::int32_t qx, std::int32_t qy) {
    std::array<unsigned char, kGridQuadHeaderSize> b{};
    r.bytes(b.data(), b.size());
    GridQuad q;
    q.count = i32At(&b[16]);
    q.TL = {i32At(&b[20]), i32At(&b[24])};
    q.TR = {i32At(&b[28]), i32At(&b[32])};
    q.BL = {i32At(&b[36]), i32At(&b[40])};
    q.BR = {i32At(&b[44]), i32At(&b[48])};
    q.nx = i32At(&b[52]);
    q.ny = i32At(&b[56]);
    q.spotRadius = i32At(&b[60]);
    q.backgroundRadius = i32At(&b[64]);
    q.stepX = i32At(&b[68]);
    q.stepY = i32At(&b[72]);
    q.selCol = i32At(&b[76]);
    q.selRow = i32At(&b[80]);
    q.prevSelCol = i32At(&b[84]);
    q.prevSelRow = i32At(&b[88]);
    q.fullDisplay = i32At(&b[92]);
    q.roundCells = i32At(&b[96]);
    q.defined = i32At(&b[100]) != 0 ? 1 : 0;
    checkQuadHeader(q, qx, qy);
    if (!q.defined) return q;

    const auto n = static_cast<std::uint64_t>(q.count);
    r.expect(n * 10);
    q.flags = allocateBuffer<std::uint8_t>(n);
    q.shownFlags = allocateBuffer<std::uint8_t>(n);
    q.offsetX = allocateBuffer<std::int32_t>(n);
    q.offsetY = allocateBuffer<std::int32_t>(n);
    r.bytes(q.flags.get(), n);
    r.bytes(q.shownFlags.get(), n);
    for (auto* array : {q.offsetX.get(), q.offsetY.get()}) {
        for (std::uint64_t i = 0; i < n; ++i) {
            unsigned char v[4];
            r.bytes(v, 4);
            array[i] = i32At(v);
        }
    }
    return q;
}

// ---- files -------------------------------------------------------------------------------

// The mode a newly created file would get, or the existing file's mode when it is replaced.
mode_t modeForReplacement(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) return st.st_mode & 07777;
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

std::optional<std::string> CheckGridCounts(const GridParameters& p) {
    for (GridField count :
         {GridField::quadsX, GridField::quadsY, GridField::cellsX, GridField::cellsY}) {
        const GridFieldSpec& field = SpecOf(count);
        const std::int32_t value = p.*field.integer;
        if (value < field.low || value > field.high)
            return std::string(field.label) + " is " + std::to_string(value) + ", outside " +
                   std::to_string(static_cast<std::int32_t>(field.low)) + ".." +
                   std::to_string(static_cast<std::int32_t>(field.high)) + ".";
    }
    return std::nullopt;
}

void WriteGrid(const SpotGrid& grid, std::ostream& out) {
    const GridParameters& p = grid.parameters;
    if (auto why = CheckGridCounts(p)) throw CoreError("The grid cannot be saved: " + *why);
    const std::int32_t mapCount = mapRecordCount(p);
    TranslatingWriter w(out);
    w.bytes(kGridFileHeader, std::strlen(kGridFileHeader));
    w.bytes("\n", 1);
    writeParameters(w, p, mapCount);
    if (p.slideMap) writeMap(w, p);
    ForEachQuad<WalkOrder::ByColumn>(
        grid, [&](std::int32_t, std::int32_t, const GridQuad& quad) { writeQuad(w, quad); });
    w.flush();
}

void SaveGrid(const SpotGrid& grid, const std::string& path) {
    const std::filesystem::path target(path);
    std::filesystem::path dir = target.parent_path();
    if (dir.empty()) dir = ".";
    std::string temp = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) throw CoreError("Unable to open file.");
    ::fchmod(fd, modeForReplacement(path));
    ::close(fd);
    try {
        {
            std::ofstream out(temp, std::ios::binary | std::ios::trunc);
            if (!out) throw CoreError("Unable to open file.");
            WriteGrid(grid, out);
            out.close();
            if (!out) throw CoreError("Unable to write file.");
        }
        if (std::rename(temp.c_str(), path.c_str()) != 0) throw CoreError("Unable to open file.");
    } catch (...) {
        std::remove(temp.c_str());
        throw;
    }
}

void ReadGrid(std::istream& in, SpotGrid& grid) {
    TranslatingReader r(in);
    readHeader(r);
    StagedParameters staged = readParameters(r);
    if (staged.mapPresent) staged.params.slideMap = readMap(r, staged);
    const GridParameters& p = staged.params;
    std::vector<GridQuad> quads;
    quads.reserve(static_cast<std::size_t>(p.quadsX) * static_cast<std::size_t>(p.quadsY));
    ForEachQuadSlot<WalkOrder::ByColumn>(
        p, [&](std::int32_t qx, std::int32_t qy) { quads.push_back(readQuad(r, qx, qy)); });

    // Everything read and checked: only now does the grid change.
    grid.parameters = std::move(staged.params);
    std::size_t i = 0;
    ForEachQuad<WalkOrder::ByColumn>(
        grid, [&](std::int32_t, std::int32_t, GridQuad& quad) { quad = std::move(quads[i++]); });
}

void LoadGrid(const std::string& path, SpotGrid& grid) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) throw CoreError("Unable to open file.");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw CoreError("Unable to open file.");
    ReadGrid(in, grid);
}

}  // namespace orvane
