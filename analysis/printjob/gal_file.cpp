// GAL reading. Every number is checked as a whole field, every index against the blocks, and
// each refusal names its line, since these files are often edited by hand.
#include "gal_file.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <istream>
#include <map>
#include <memory>
#include <optional>
#include <string_view>

#include "base/core_error.h"
#include "base/text_numbers.h"

namespace orvane {

namespace {

// Block positions that differ by less than this are one row or column of blocks, however small
// the blocks.
constexpr double kPositionTolerance = 1.0;  // micrometres

// No slide or plate is a metre long. Lengths beyond it are damaged numbers, and the lattice fit
// would lose whole micrometres on them.
constexpr double kMaxLength = 1e6;  // micrometres

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

[[noreturn]] void refuse(std::int64_t line, const std::string& what) {
    throw CoreError("GAL file, line " + std::to_string(line) + ": " + what);
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    return true;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// A field without its blanks and surrounding quotes.
std::string_view unquoted(std::string_view field) {
    field = trimmed(field);
    if (field.size() >= 2 && field.front() == '"' && field.back() == '"')
        field = field.substr(1, field.size() - 2);
    return field;
}

std::vector<std::string_view> split(std::string_view line, char separator) {
    std::vector<std::string_view> fields;
    for (std::size_t start = 0;;) {
        const std::size_t end = line.find(separator, start);
        fields.push_back(line.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) return fields;
        start = end + 1;
    }
}

std::optional<std::int64_t> integerField(std::string_view text) {
    std::int64_t value = 0;
    if (parseFieldInteger(unquoted(text), value) != FieldParse::kOk) return std::nullopt;
    return value;
}

std::optional<double> numberField(std::string_view text) {
    double value = 0;
    if (parseFieldNumber(unquoted(text), value) != FieldParse::kOk || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// "x, y, diameter, xFeatures, xSpacing, yFeatures, ySpacing"
std::optional<GalBlock> blockOf(std::string_view value) {
    const std::vector<std::string_view> f = split(value, ',');
    if (f.size() != 7) return std::nullopt;
    const auto x = numberField(f[0]), y = numberField(f[1]), d = numberField(f[2]);
    const auto nx = integerField(f[3]), ny = integerField(f[5]);
    const auto sx = numberField(f[4]), sy = numberField(f[6]);
    if (!x || !y || !d || !nx || !ny || !sx || !sy) return std::nullopt;
    if (*x < 0 || *y < 0 || *d <= 0 || *sx <= 0 || *sy <= 0) return std::nullopt;
    if (std::max({*x, *y, *d, *sx, *sy}) > kMaxLength) return std::nullopt;
    if (*nx < 1 || *ny < 1 || *nx > kMaxCells || *ny > kMaxCells) return std::nullopt;
    return GalBlock{*x, *y, *d, static_cast<std::int32_t>(*nx), *sx, static_cast<std::int32_t>(*ny),
                    *sy};
}

struct Reader {
    std::istream& in;
    std::int64_t number = 0;
    std::string line;

    bool next() {
        if (!std::getline(in, line)) return false;
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // The slide map keeps its texts NUL-terminated: an ID cut at a NUL would silently become
        // another ID. A text file holds none, so a NUL means a damaged file.
        if (line.find('\0') != std::string::npos)
            refuse(number, "the line holds a NUL byte; a GAL file is plain text.");
        return true;
    }
};

struct Columns {
    std::size_t block, column, row, id;
    std::optional<std::size_t> name;
};

std::optional<Columns> columnsOf(std::string_view line) {
    const std::vector<std::string_view> titles = split(line, '\t');
    auto find = [&titles](std::string_view title) -> std::optional<std::size_t> {
        for (std::size_t i = 0; i < titles.size(); ++i)
            if (equalsIgnoringCase(unquoted(titles[i]), title)) return i;
        return std::nullopt;
    };
    const auto block = find("Block"), column = find("Column"), row = find("Row"), id = find("ID");
    if (!block || !column || !row || !id) return std::nullopt;
    return Columns{*block, *column, *row, *id, find("Name")};
}

// One "Key=Value" header record; block records go to `blocks` by number.
void readRecord(const Reader& r, std::map<std::int64_t, GalBlock>& blocks,
                std::optional<std::int64_t>& count) {
    if (equalsIgnoringCase(unquoted(split(r.line, '\t').front()), "Block"))
        refuse(r.number, "the column titles lack Block, Column, Row or ID.");
    const std::string_view record = unquoted(r.line);
    const std::size_t equals = record.find('=');
    if (equals == std::string_view::npos)
        refuse(r.number, "expected a header record Key=Value or the column titles.");
    const std::string_view key = trimmed(record.substr(0, equals));
    const std::string_view value = record.substr(equals + 1);
    if (equalsIgnoringCase(key, "Type")) {
        if (!equalsIgnoringCase(trimmed(value).substr(0, 17), "GenePix ArrayList"))
            refuse(r.number,
                   "the file is not a GenePix Array List (Type=" + std::string(value) + ").");
    } else if (equalsIgnoringCase(key, "BlockCount")) {
        count = integerField(value);
        if (!count || *count < 1) refuse(r.number, "Blockcount is not a positive number.");
    } else if (equalsIgnoringCase(key, "BlockType")) {
        const auto type = integerField(value);
        if (!type || *type != 0)
            refuse(r.number, "only rectangular blocks (BlockType=0) can become a grid.");
    } else if (key.size() > 5 && equalsIgnoringCase(key.substr(0, 5), "Block")) {
        const auto n = integerField(key.substr(5));
        if (!n || *n < 1 || *n > kMaxQuadsX * kMaxQuadsY)
            refuse(r.number,
                   std::string(key) + " is not a block of a grid of at most 4 x 16 blocks.");
        const auto block = blockOf(value);
        if (!block)
            refuse(r.number,
                   std::string(key) +
                       " needs x, y, diameter, x features, x spacing, y features, y spacing"
                       " (positive numbers, at most 10000 features a side, lengths at most 1 m).");
        if (!blocks.emplace(*n, *block).second)
            refuse(r.number, std::string(key) + " is given twice.");
    }
}

std::vector<GalBlock> blockListOf(const Reader& r, const std::map<std::int64_t, GalBlock>& blocks,
                                  std::optional<std::int64_t> count) {
    if (blocks.empty()) refuse(r.number, "the header records describe no block.");
    std::vector<GalBlock> list;
    for (const auto& [n, block] : blocks) {
        if (n != static_cast<std::int64_t>(list.size()) + 1)
            refuse(r.number, "Block" + std::to_string(list.size() + 1) + " is missing.");
        list.push_back(block);
    }
    if (count && *count != static_cast<std::int64_t>(list.size()))
        refuse(r.number, "Blockcount=" + std::to_string(*count) + " but " +
                             std::to_string(list.size()) + " blocks are described.");
    return list;
}

GalFeature featureOf(const Reader& r, const Columns& c, const std::vector<GalBlock>& blocks) {
    const std::vector<std::string_view> f = split(r.line, '\t');
    const std::size_t needed = std::max({c.block, c.column, c.row, c.id, c.name.value_or(0)}) + 1;
    if (f.size() < needed) refuse(r.number, "the row has fewer fields than the column titles.");
    const auto block = integerField(f[c.block]), column = integerField(f[c.column]),
               row = integerField(f[c.row]);
    if (!block || *block < 1 || *block > static_cast<std::int64_t>(blocks.size()))
        refuse(r.number,
               "Block is not one of the blocks 1 to " + std::to_string(blocks.size()) + ".");
    const GalBlock& b = blocks[static_cast<std::size_t>(*block - 1)];
    if (!column || *column < 1 || *column > b.xFeatures || !row || *row < 1 || *row > b.yFeatures)
        refuse(r.number, "Column or Row lies outside block " + std::to_string(*block) + ".");
    return GalFeature{static_cast<std::int32_t>(*block), static_cast<std::int32_t>(*column),
                      static_cast<std::int32_t>(*row), std::string(unquoted(f[c.id])),
                      c.name ? std::string(unquoted(f[*c.name])) : std::string()};
}

// The rows or columns of blocks along one axis. Blocks of one column may stray from each other
// (real arrayers place blocks to a few tens of micrometres), so positions closer than half a
// block's extent are one column; blocks of different columns are a block's extent apart at
// least, or they would overlap.
struct Axis {
    std::vector<std::int32_t> index;  // per block: its column (row) among the sorted ones
    std::int32_t count = 0;
    double origin = 0, step = 0;  // the least-squares lattice origin + step x index, um
};

Axis axisOf(const std::vector<GalBlock>& blocks, double GalBlock::*member, double extent) {
    const double tolerance = std::max(kPositionTolerance, extent / 2);
    std::vector<std::size_t> order(blocks.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return blocks[a].*member < blocks[b].*member;
    });
    Axis axis;
    axis.index.assign(blocks.size(), 0);
    double first = 0;
    for (std::size_t i : order) {
        const double v = blocks[i].*member;
        if (axis.count == 0 || v - first >= tolerance) {
            ++axis.count;
            first = v;
        }
        axis.index[i] = axis.count - 1;
    }
    // position = origin + step x index, fitted over every block (a column with more blocks
    // weighs more); one column has no step.
    double n = 0, si = 0, sv = 0, sii = 0, siv = 0;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const double k = axis.index[i], v = blocks[i].*member;
        n += 1;
        si += k;
        sv += v;
        sii += k * k;
        siv += k * v;
    }
    const double variance = sii - si * si / n;
    axis.step = axis.count > 1 && variance > 0 ? (siv - si * sv / n) / variance : 0.0;
    axis.origin = (sv - axis.step * si) / n;
    return axis;
}

// A fitted value within a nanometre of a whole number of nanometres is taken as that: a
// regular file then gives exactly its own steps and origin, and zero shifts.
double snapped(double micrometres) {
    const double nm = std::round(micrometres * 1000.0);
    return std::fabs(micrometres * 1000.0 - nm) < 1e-3 ? nm / 1000.0 : micrometres;
}

bool sameSize(const GalBlock& a, const GalBlock& b) {
    return a.diameter == b.diameter && a.xFeatures == b.xFeatures && a.yFeatures == b.yFeatures &&
           a.xSpacing == b.xSpacing && a.ySpacing == b.ySpacing;
}

}  // namespace

GalFile ParseGal(std::istream& in) {
    Reader r{in, 0, {}};
    // Editors on Windows often save UTF-8 with a byte order mark.
    const bool read = r.next();
    if (read && r.line.rfind(kUtf8Bom, 0) == 0) r.line.erase(0, kUtf8Bom.size());
    if (!read || r.line.rfind("ATF", 0) != 0)
        throw CoreError("Not a GenePix Array List (GAL) file: it does not begin with ATF.");
    if (!r.next()) refuse(r.number, "the file ends after its first line.");
    // "54\t5", and as some writers have it "54 5" or with trailing tabs.
    std::vector<std::string_view> counts;
    for (std::string_view field : split(trimmed(r.line), '\t'))
        for (std::string_view word : split(field, ' '))
            if (!word.empty()) counts.push_back(word);
    if (counts.size() < 2 || !integerField(counts[0]) || !integerField(counts[1]))
        refuse(r.number, "expected the number of header records and of columns.");

    std::map<std::int64_t, GalBlock> blocks;
    std::optional<std::int64_t> blockCount;
    std::optional<Columns> columns;
    while (!columns) {
        if (!r.next())
            refuse(r.number,
                   "the file ends before the column titles Block, Column, Row, ID, Name.");
        if (trimmed(r.line).empty()) continue;
        columns = columnsOf(r.line);
        if (!columns) readRecord(r, blocks, blockCount);
    }
    GalFile gal;
    gal.blocks = blockListOf(r, blocks, blockCount);
    while (r.next()) {
        if (trimmed(r.line).empty()) continue;
        gal.features.push_back(featureOf(r, *columns, gal.blocks));
    }
    return gal;
}

GalLayout LayoutGal(const GalFile& gal) {
    if (gal.blocks.empty()) throw CoreError(kGalIrregularMessage);
    const GalBlock& first = gal.blocks.front();
    for (const GalBlock& b : gal.blocks)
        if (!sameSize(b, first)) throw CoreError(kGalSizesMessage);
    const Axis xs = axisOf(gal.blocks, &GalBlock::x, first.xFeatures * first.xSpacing);
    const Axis ys = axisOf(gal.blocks, &GalBlock::y, first.yFeatures * first.ySpacing);
    if (xs.count > kMaxQuadsX || ys.count > kMaxQuadsY) throw CoreError(kGalIrregularMessage);
    GalLayout layout;
    layout.quadsX = xs.count;
    layout.quadsY = ys.count;
    // Origins outside the slide's range of the dialog would be refused by Define Grid; the
    // shifts carry what the origin cannot.
    const double originX = std::max(0.0, snapped(xs.origin));
    const double originY = std::max(0.0, snapped(ys.origin));
    const double stepX = snapped(xs.step), stepY = snapped(ys.step);
    std::vector<bool> taken(static_cast<std::size_t>(xs.count * ys.count), false);
    for (std::size_t i = 0; i < gal.blocks.size(); ++i) {
        const std::int32_t qx = xs.index[i], qy = ys.index[i];
        const std::size_t slot = static_cast<std::size_t>(qy) * static_cast<std::size_t>(xs.count) +
                                 static_cast<std::size_t>(qx);
        if (taken[slot]) throw CoreError(kGalIrregularMessage);  // two blocks in one place
        taken[slot] = true;
        layout.quadX.push_back(qx);
        layout.quadY.push_back(qy);
        layout.shiftX.push_back(snapped(gal.blocks[i].x - (originX + stepX * qx)) / 1000.0);
        layout.shiftY.push_back(snapped(gal.blocks[i].y - (originY + stepY * qy)) / 1000.0);
    }
    layout.originX = originX / 1000.0;
    layout.originY = originY / 1000.0;
    layout.quadStepX = stepX / 1000.0;
    layout.quadStepY = stepY / 1000.0;
    return layout;
}

}  // namespace orvane
