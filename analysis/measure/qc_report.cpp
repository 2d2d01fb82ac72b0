// The QC report page: the quad table, the spot maps, the plots and the HTML around them. The
// markup is written well-formed (every element closed, attributes quoted, text escaped, no
// named entities beyond XML's) so that an XML parser reads it as strictly as a browser.
#include "measure/qc_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <utility>

#include "measure/result_file.h"
#include "measure/svg_plot.h"

namespace orvane {

namespace {

constexpr const char* kLayerColours[kMaxLayers] = {"#d62728", "#2ca02c", "#1f77b4"};
constexpr const char* kLayerNames[kMaxLayers] = {"red", "green", "blue"};

std::string layerName(int k) { return "layer " + std::to_string(k) + " (" + kLayerNames[k] + ")"; }

std::string number(double v, const char* format) {
    char text[64];
    std::snprintf(text, sizeof text, format, v);
    return text;
}

std::string optionalNumber(const std::optional<double>& v, const char* format) {
    return v && std::isfinite(*v) ? number(*v, format) : "–";
}

std::optional<double> median(std::vector<double> values) {
    if (values.empty()) return std::nullopt;
    const std::size_t n = values.size(), mid = n / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(mid),
                     values.end());
    const double upper = values[mid];
    if (n % 2 == 1) return upper;
    const double lower =
        *std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(mid));
    return (lower + upper) / 2;
}

double quantile(std::vector<double> values, double q) {
    if (values.empty()) return 0;
    const auto k = static_cast<std::size_t>(q * static_cast<double>(values.size() - 1));
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(k), values.end());
    return values[k];
}

// The quad's accumulating state: the counts of its row and the values its medians come from.
struct QuadTally {
    QuadQc row;
    std::array<std::vector<double>, kMaxLayers> snr;
    std::array<std::int64_t, kMaxLayers> found{};

    void add(const SpotResult& s, int layers) {
        ++row.spots;
        if (!s.measured()) {
            ++row.excluded;
            return;
        }
        if (s.outsideScans()) {
            ++row.outside;
            return;
        }
        ++row.measured;
        if ((s.flags & Marked) != 0) ++row.marked;
        bool saturated = false;
        for (int k = 0; k < layers; ++k) {
            const ChannelStatistics& c = s.channels[static_cast<std::size_t>(k)];
            if (c.percentSaturated > 0) saturated = true;
            if (const auto v = SpotSnr(c)) snr[static_cast<std::size_t>(k)].push_back(*v);
            if (c.percentAbove2Sd >= kFoundPercent) ++found[static_cast<std::size_t>(k)];
        }
        if (saturated) ++row.saturated;
        if (s.saturated) ++row.flaggedSaturated;
    }

    QuadQc finish(int layers) {
        for (int k = 0; k < layers; ++k) {
            const auto i = static_cast<std::size_t>(k);
            row.medianSnr[i] = median(snr[i]);
            if (row.measured > 0)
                row.foundPercent[i] =
                    100.0 * static_cast<double>(found[i]) / static_cast<double>(row.measured);
        }
        return row;
    }
};

}  // namespace

std::vector<QuadQc> SummariseQuads(const SpotResults& results) {
    std::map<std::int32_t, QuadTally> quads;  // by block number: the GenePix file's order
    QuadTally total;
    for (const SpotResult& s : results.spots) {
        QuadTally& t = quads[s.block];
        t.row.qx = s.qx;
        t.row.qy = s.qy;
        t.row.block = s.block;
        t.add(s, results.layerCount);
        total.add(s, results.layerCount);
    }
    std::vector<QuadQc> rows;
    rows.reserve(quads.size() + 1);
    for (auto& [block, tally] : quads) rows.push_back(tally.finish(results.layerCount));
    rows.push_back(total.finish(results.layerCount));
    return rows;
}

namespace {

// Colour scales of the spot maps: a sequential one for levels, a diverging one for ratios.
Rgb mix(Rgb a, Rgb b, double t) {
    auto channel = [t](std::uint8_t x, std::uint8_t y) {
        return static_cast<std::uint8_t>(std::lround(x + (y - x) * t));
    };
    return {channel(a.r, b.r), channel(a.g, b.g), channel(a.b, b.b)};
}

Rgb scaleColour(const std::vector<Rgb>& stops, double t) {
    t = std::clamp(t, 0.0, 1.0) * static_cast<double>(stops.size() - 1);
    const auto i = std::min(static_cast<std::size_t>(t), stops.size() - 2);
    return mix(stops[i], stops[i + 1], t - static_cast<double>(i));
}

const std::vector<Rgb> kSequential = {
    {68, 1, 84}, {59, 82, 139}, {33, 145, 140}, {94, 201, 98}, {253, 231, 37}};
const std::vector<Rgb> kDiverging = {
    {33, 102, 172}, {146, 197, 222}, {247, 247, 247}, {244, 165, 130}, {178, 24, 43}};
constexpr Rgb kNoWell{225, 225, 225};
constexpr Rgb kNoValue{110, 110, 110};
constexpr Rgb kMapBackground{255, 255, 255};

std::string hex(Rgb c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", c.r, c.g, c.b);
    return text;
}

std::string pngImage(const RgbPicture& picture, const std::string& alt) {
    return "<img alt=\"" + XmlEscaped(alt) + "\" width=\"" + std::to_string(picture.width) +
           "\" height=\"" + std::to_string(picture.height) + "\" src=\"data:image/png;base64," +
           Base64(EncodePng(picture)) + "\"/>";
}

// One spot map: every quad as a block of cells where the slide has it, a value per spot.
template <typename ValueOf>
std::string spotMap(const GridParameters& p, const SpotResults& results, ValueOf valueOf,
                    bool diverging, const std::string& title, const std::string& unit) {
    const std::int32_t nx = std::max(1, p.cellsX), ny = std::max(1, p.cellsY);
    // Spots of 2 to 8 pixels, so that a map fits about 560 x 640 pixels.
    const std::int32_t cell = std::clamp<std::int32_t>(
        std::min(560 / std::max(1, p.quadsX * (nx + 1)), 640 / std::max(1, p.quadsY * (ny + 1))), 2,
        8);
    const std::int32_t gap = cell;
    RgbPicture picture(p.quadsX * (nx * cell + gap) + gap, p.quadsY * (ny * cell + gap) + gap,
                       kMapBackground);
    std::vector<double> values;
    for (const SpotResult& s : results.spots)
        if (s.measured())
            if (const auto v = valueOf(s); v && std::isfinite(*v)) values.push_back(*v);
    double low = quantile(values, 0.02), high = quantile(values, 0.98);
    if (diverging) {
        high = std::max({std::fabs(low), std::fabs(high), 0.5});
        low = -high;
    } else if (!(high > low)) {
        high = low + 1;
    }
    for (const SpotResult& s : results.spots) {
        Rgb colour = kNoWell;
        if (s.measured()) {
            const auto v = valueOf(s);
            colour = v && std::isfinite(*v) ? scaleColour(diverging ? kDiverging : kSequential,
                                                          (*v - low) / (high - low))
                                            : kNoValue;
        }
        const std::int32_t x = gap + s.qx * (nx * cell + gap) + s.col * cell;
        const std::int32_t y = gap + s.qy * (ny * cell + gap) + s.row * cell;
        picture.fillRect(x, y, x + cell, y + cell, colour);
    }
    std::vector<std::string> bar;
    bar.reserve(32);
    for (int i = 0; i < 32; ++i)
        bar.push_back(hex(scaleColour(diverging ? kDiverging : kSequential, i / 31.0)));
    return "<figure class=\"map\">" + pngImage(picture, title) + "<figcaption>" +
           XmlEscaped(title) + "</figcaption>" +
           SvgColourBar(bar, low, high, unit, std::max(240, picture.width)) + "</figure>\n";
}

std::string spotMaps(const GridParameters& p, const SpotResults& results) {
    std::string s;
    for (int k = 0; k < results.layerCount; ++k) {
        const auto i = static_cast<std::size_t>(k);
        s += spotMap(
            p, results,
            [i](const SpotResult& r) -> std::optional<double> {
                return static_cast<double>(r.channels[i].backgroundMedian);
            },
            false, "Background median, " + layerName(k), "background median (counts)");
    }
    if (results.layerCount >= 2)
        s += spotMap(
            p, results, [](const SpotResult& r) { return r.ratios.logRatio; }, true,
            "Log ratio, layer 0 / layer 1", "log2 ratio of medians");
    return s;
}

std::string maPlot(const SpotResults& results) {
    if (results.layerCount < 2) return "<p>The M–A plot needs two layers.</p>\n";
    std::vector<std::pair<double, double>> good, marked;
    std::vector<double> as, ms;
    for (const SpotResult& s : results.spots) {
        if (!s.measured()) continue;
        const double r = static_cast<double>(s.channels[0].medianMinusBackground());
        const double g = static_cast<double>(s.channels[1].medianMinusBackground());
        if (r <= 0 || g <= 0) continue;
        const double m = std::log2(r / g), a = 0.5 * std::log2(r * g);
        ((s.flags & Marked) != 0 ? marked : good).emplace_back(a, m);
        as.push_back(a);
        ms.push_back(m);
    }
    if (as.empty()) return "<p>No spot has a signal above its background in both layers.</p>\n";
    const Axis x =
        NiceAxis(*std::min_element(as.begin(), as.end()), *std::max_element(as.begin(), as.end()));
    const double limit =
        std::max({std::fabs(quantile(ms, 0.002)), std::fabs(quantile(ms, 0.998)), 1.0});
    const Axis y = NiceAxis(-limit, limit);
    // Points beyond the range sit on its edge rather than outside the frame.
    auto clamped = [&y](std::vector<std::pair<double, double>> v) {
        for (auto& [a, m] : v) m = std::clamp(m, y.low, y.high);
        return v;
    };
    SvgPlot plot(640, 420, x, y, "A = ½ log2(R × G)", "M = log2(R / G)");
    plot.HorizontalLine(0, "#888");
    plot.Points(clamped(good), "#1f3b73", 1.3);
    plot.Points(clamped(marked), "#ff7f0e", 1.6);
    plot.LegendEntry(std::to_string(good.size()) + " spots", "#1f3b73");
    plot.LegendEntry(std::to_string(marked.size()) + " marked", "#ff7f0e");
    return "<figure>" + plot.Svg("M–A plot") +
           "<figcaption>R and G are the feature medians less the background medians of layer 0 "
           "and layer 1 (the GenePix file's F635 Median - B635 and F532 Median - B532); spots "
           "with both above zero.</figcaption></figure>\n";
}

std::string snrPlot(const SpotResults& results) {
    constexpr int kBins = 40;
    std::array<std::vector<double>, kMaxLayers> snr;
    std::vector<double> all;
    for (const SpotResult& s : results.spots)
        if (s.measured())
            for (int k = 0; k < results.layerCount; ++k)
                if (const auto v = SpotSnr(s.channels[static_cast<std::size_t>(k)])) {
                    snr[static_cast<std::size_t>(k)].push_back(*v);
                    all.push_back(*v);
                }
    if (all.empty()) return "<p>No spot has a defined SNR.</p>\n";
    const Axis x = NiceAxis(std::min(0.0, quantile(all, 0.005)), quantile(all, 0.995));
    const double width = (x.high - x.low) / kBins;
    std::array<std::vector<double>, kMaxLayers> counts;
    double most = 1;
    for (int k = 0; k < results.layerCount; ++k) {
        auto& c = counts[static_cast<std::size_t>(k)];
        c.assign(kBins, 0.0);
        for (double v : snr[static_cast<std::size_t>(k)]) {
            // Values beyond the range count in the end bins.
            const int bin =
                std::clamp(static_cast<int>(std::floor((v - x.low) / width)), 0, kBins - 1);
            c[static_cast<std::size_t>(bin)] += 1;
        }
        most = std::max(most, *std::max_element(c.begin(), c.end()));
    }
    SvgPlot plot(640, 320, x, NiceAxis(0, most), "SNR = (F mean - B mean) / B SD", "spots");
    for (int k = 0; k < results.layerCount; ++k) {
        std::vector<std::pair<double, double>> steps;
        const auto& c = counts[static_cast<std::size_t>(k)];
        for (int b = 0; b < kBins; ++b) {
            steps.emplace_back(x.low + b * width, c[static_cast<std::size_t>(b)]);
            steps.emplace_back(x.low + (b + 1) * width, c[static_cast<std::size_t>(b)]);
        }
        plot.Polyline(steps, kLayerColours[k]);
        plot.LegendEntry(layerName(k), kLayerColours[k]);
    }
    return "<figure>" + plot.Svg("SNR distribution") + "<figcaption>" + std::to_string(kBins) +
           " bins; spots beyond the range count in the end bins.</figcaption></figure>\n";
}

std::string tableRow(const QuadQc& q, int layers, bool flagged) {
    const bool total = q.qx < 0;
    std::string s = total ? "<tr class=\"total\"><th scope=\"row\">All</th><td></td><td></td>"
                          : "<tr><th scope=\"row\">" + std::to_string(q.block) + "</th><td>" +
                                std::to_string(q.qx + 1) + "</td><td>" + std::to_string(q.qy + 1) +
                                "</td>";
    for (std::int64_t v : {q.spots, q.measured, q.marked, q.excluded, q.outside, q.saturated})
        s += "<td>" + std::to_string(v) + "</td>";
    if (flagged) s += "<td>" + std::to_string(q.flaggedSaturated) + "</td>";
    for (int k = 0; k < layers; ++k)
        s += "<td>" + optionalNumber(q.medianSnr[static_cast<std::size_t>(k)], "%.2f") + "</td>";
    for (int k = 0; k < layers; ++k)
        s += "<td>" + optionalNumber(q.foundPercent[static_cast<std::size_t>(k)], "%.1f") + "</td>";
    return s + "</tr>\n";
}

std::string quadTable(const SpotResults& results) {
    const int layers = results.layerCount;
    std::string s =
        "<table id=\"quad-table\">\n<thead><tr><th>Block</th><th>Quad X</th><th>Quad "
        "Y</th><th>Spots</th><th>Measured</th><th>Marked</th><th>Excluded</th><th>Outside</th>"
        "<th>Saturated</th>";
    const bool flagged = results.saturatedPercent.has_value();
    if (flagged) s += "<th>Flagged saturated</th>";
    for (int k = 0; k < layers; ++k) s += "<th>Median SNR " + std::to_string(k) + "</th>";
    for (int k = 0; k < layers; ++k) s += "<th>% found " + std::to_string(k) + "</th>";
    s += "</tr></thead>\n<tbody>\n";
    for (const QuadQc& q : SummariseQuads(results)) s += tableRow(q, layers, flagged);
    return s + "</tbody>\n</table>\n";
}

std::string flaggedSaturatedNote(const SpotResults& results) {
    if (!results.saturatedPercent) return "";
    return "Flagged saturated: measured spots with more than " +
           number(*results.saturatedPercent, "%g") +
           " % saturated feature pixels in any layer, flagged -100 (Bad) in the GenePix file. ";
}

std::string row(const std::string& key, const std::string& value) {
    return "<tr><th scope=\"row\">" + XmlEscaped(key) + "</th><td>" + XmlEscaped(value) +
           "</td></tr>\n";
}

std::string scansSection(const LayeredImage& image, const QcReportInfo& info) {
    std::string s =
        "<table id=\"scans\">\n<thead><tr><th>Layer</th><th>File</th><th>Size "
        "(pixels)</th></tr></thead>\n<tbody>\n";
    for (int k = 0; k < image.layerCount; ++k) {
        const auto i = static_cast<std::size_t>(k);
        const std::string name = i < info.scanNames.size() ? info.scanNames[i] : "";
        const ImageLayer& l = image.layers[i];
        s += "<tr><td>" + XmlEscaped(layerName(k)) + "</td><td>" + XmlEscaped(name) + "</td><td>" +
             std::to_string(l.width) + " × " + std::to_string(l.height) + "</td></tr>\n";
    }
    s += "</tbody>\n</table>\n<table class=\"keys\">\n";
    s += row("Pixel size", number(image.PixelsToLengthX(1) * 1000, "%g") + " × " +
                               number(image.PixelsToLengthY(1) * 1000, "%g") + " µm");
    s += row("Scan origin",
             number(image.scanOriginX, "%g") + ", " + number(image.scanOriginY, "%g") + " mm");
    return s + "</table>\n";
}

std::string geometrySection(const SpotGrid& grid, const GridQuad& current,
                            const QcReportInfo& info) {
    const GridParameters& p = grid.parameters;
    std::string s = "<table class=\"keys\" id=\"geometry\">\n";
    s += row("Grid file", info.gridName);
    s += row("Quads", std::to_string(p.quadsX) + " × " + std::to_string(p.quadsY) +
                          ", template step " + number(p.quadStepX, "%g") + " × " +
                          number(p.quadStepY, "%g") + " mm");
    s += row("Spots per quad", std::to_string(p.cellsX) + " × " + std::to_string(p.cellsY) +
                                   ", pitch " + number(p.stepXmm, "%g") + " × " +
                                   number(p.stepYmm, "%g") + " mm");
    s += row("Spot diameter", number(p.spotDiameter, "%g") + " mm, background " +
                                  number(p.backgroundDiameter, "%g") + " mm, " +
                                  (p.roundCells ? "round" : "square"));
    s += row("Origin", number(p.originX, "%g") + ", " + number(p.originY, "%g") + " mm" +
                           (p.relativeOffsets ? " from the image corner" : " on the slide"));
    s += row("Slide map", p.slideMap ? std::to_string(p.slideMapCount()) + " records" : "none");
    s += row("Measured with",
             "spot radius " + std::to_string(current.spotRadius) + ", background radius " +
                 std::to_string(current.backgroundRadius) + ", pitch " +
                 std::to_string(current.stepX) + " × " + std::to_string(current.stepY) + " pixels");
    return s + "</table>\n";
}

std::string provenanceSection(const QcReportInfo& info) {
    std::string s = "<table class=\"keys\" id=\"provenance\">\n";
    s += row("Program", std::string("Orvane ") + ORVANE_VERSION);
    for (const auto& [key, value] : info.settings) s += row(key, value);
    return s + "</table>\n";
}

constexpr const char* kStyle =
    "body{font-family:sans-serif;margin:24px;color:#222}"
    ".row{display:flex;flex-wrap:wrap;column-gap:40px;align-items:flex-start}"
    "section{flex:0 1 auto}"
    "h1{font-size:22px}h2{font-size:17px;margin-top:28px;border-bottom:1px solid #ccc}"
    "table{border-collapse:collapse;margin:8px 0}th,td{padding:2px 8px;text-align:right;"
    "border-bottom:1px solid #eee}thead th{border-bottom:1px solid #888}"
    "table.keys th,table.keys td,#scans "
    "td{text-align:left}tr.total{font-weight:bold;border-top:2px solid #888}"
    "figure{display:inline-block;margin:8px 16px 8px 0;vertical-align:top}"
    "figcaption{font-size:12px;color:#555;max-width:640px}figure.map figcaption{max-width:240px}"
    "img{image-rendering:pixelated;display:block}";

}  // namespace

std::string QcReportHtml(const LayeredImage& image, const SpotGrid& grid,
                         const GridQuad& currentQuad, const SpotResults& results,
                         const QcReportInfo& info) {
    const GridParameters& p = grid.parameters;
    const std::string name = info.gridName.empty() ? "grid" : info.gridName;
    std::string s = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\"/>\n";
    s += "<title>QC report: " + XmlEscaped(name) + "</title>\n<style>" + std::string(kStyle) +
         "</style>\n</head>\n<body>\n";
    s += "<h1>QC report: " + XmlEscaped(name) + "</h1>\n";
    // Sections side by side where the window is wide enough: the picture is tall and narrow.
    s += "<div class=\"row\">\n<section id=\"scan-section\">\n<h2>Scans</h2>\n" +
         scansSection(image, info) + "</section>\n";
    s += "<section id=\"grid-section\">\n<h2>Grid</h2>\n" +
         geometrySection(grid, currentQuad, info) + "</section>\n</div>\n";
    s += "<div class=\"row\">\n<section id=\"picture-section\">\n<h2>Slide</h2>\n<figure>" +
         pngImage(ReducedScanPicture(image, grid, results, 560, 900), "The scan, reduced") +
         "<figcaption>The scan reduced, quads outlined in cyan, marked spots crossed in "
         "magenta.</figcaption></figure>\n</section>\n";
    s += "<section id=\"maps-section\">\n<h2>Spot maps</h2>\n<p>Every quad where the slide has "
         "it, one cell a spot; light grey: no well, dark grey: no value.</p>\n" +
         spotMaps(p, results) + "</section>\n</div>\n";
    s += "<div class=\"row\">\n<section id=\"ma-section\">\n<h2>M–A plot</h2>\n" + maPlot(results) +
         "</section>\n";
    s += "<section id=\"snr-section\">\n<h2>SNR per layer</h2>\n" + snrPlot(results) +
         "</section>\n</div>\n";
    s += "<section id=\"quads-section\">\n<h2>Quads</h2>\n<p>Measured: spots with a well in the "
         "scans. Outside: spots with a well but no pixel in the scans, flagged Not Found. "
         "Saturated: measured spots with a % Sat. above 0 in any layer. Median SNR over the "
         "measured spots. % found: measured spots whose % &gt; B+2SD is at least " +
         std::to_string(kFoundPercent) + ". " + flaggedSaturatedNote(results) +
         "The numbers are those of the GenePix Results file "
         "of the same grid and scans.</p>\n" +
         quadTable(results) + "</section>\n";
    s += "<section id=\"provenance-section\">\n<h2>How this was made</h2>\n" +
         provenanceSection(info) + "</section>\n";
    return s + "</body>\n</html>\n";
}

void WriteQcReport(const std::string& path, const LayeredImage& image, const SpotGrid& grid,
                   const GridQuad& currentQuad, const QcReportInfo& info, Progress& progress) {
    SpotResults results = MeasureSpotResults(image, grid, currentQuad, progress,
                                             "Measuring spots for the report ...");
    if (info.flagSaturatedPercent) FlagSaturatedSpots(results, *info.flagSaturatedPercent);
    progress.message("Writing the report ...");
    const std::string html = QcReportHtml(image, grid, currentQuad, results, info);
    ResultFile file(path);
    file.write(html);
    file.Commit();
}

}  // namespace orvane
