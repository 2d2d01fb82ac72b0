// The GenePix Results writer. Rows end in CR LF as GenePix writes them; every reader of the
// format accepts that, and some Windows tools accept nothing else.
#include "genepix_results.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string_view>
#include <vector>

#include "base/core_error.h"
#include "measure/result_file.h"
#include "measure/spot_results.h"

namespace orvane {

namespace {

constexpr const char* kEol = "\r\n";

constexpr std::array<const char*, kGenePixColumnCount> kColumns = {
    "Block",
    "Column",
    "Row",
    "Name",
    "ID",
    "X",
    "Y",
    "Dia.",
    "F635 Median",
    "F635 Mean",
    "F635 SD",
    "F635 CV",
    "B635",
    "B635 Median",
    "B635 Mean",
    "B635 SD",
    "B635 CV",
    "% > B635+1SD",
    "% > B635+2SD",
    "F635 % Sat.",
    "F532 Median",
    "F532 Mean",
    "F532 SD",
    "F532 CV",
    "B532",
    "B532 Median",
    "B532 Mean",
    "B532 SD",
    "B532 CV",
    "% > B532+1SD",
    "% > B532+2SD",
    "F532 % Sat.",
    "Ratio of Medians (635/532)",
    "Ratio of Means (635/532)",
    "Median of Ratios (635/532)",
    "Mean of Ratios (635/532)",
    "Ratios SD (635/532)",
    "Rgn Ratio (635/532)",
    "Rgn R2 (635/532)",
    "F Pixels",
    "B Pixels",
    "Circularity",
    "Sum of Medians (635/532)",
    "Sum of Means (635/532)",
    "Log Ratio (635/532)",
    "F635 Median - B635",
    "F532 Median - B532",
    "F635 Mean - B635",
    "F532 Mean - B532",
    "F635 Total Intensity",
    "F532 Total Intensity",
    "SNR 635",
    "SNR 532",
    "Flags",
    "Normalize",
    "Autoflag",
};

// The measured features are the fixed discs (or squares) of the grid, never irregular shapes.
constexpr int kCircularity = 100;

// Quotes would end an ATF string and tabs or line breaks its field or row.
std::string fieldText(const std::string& text) {
    std::string out = text;
    for (char& c : out) c = c == '"' ? '\'' : (c == '\t' || c == '\r' || c == '\n') ? ' ' : c;
    return out;
}

std::string integer(std::int64_t v) { return std::to_string(v); }

std::string decimal(std::optional<double> v) { return FormatResultDecimal(v); }

std::string micrometres(double millimetres) { return integer(std::llround(millimetres * 1000.0)); }

void appendChannel(std::vector<std::string>& cells, const ChannelStatistics& c) {
    for (std::int64_t v :
         {c.featureMedian, c.featureMean, c.featureSd, c.featureCv, c.backgroundMedian,
          c.backgroundMedian, c.backgroundMean, c.backgroundSd, c.backgroundCv, c.percentAbove1Sd,
          c.percentAbove2Sd, c.percentSaturated})
        cells.push_back(integer(v));
}

// No well first, then the user's mark or saturation, then nothing measured.
int flagsOf(const SpotResult& spot) {
    if ((spot.flags & Excluded) != 0) return kGenePixFlagAbsent;
    if ((spot.flags & Marked) != 0 || spot.saturated) return kGenePixFlagBad;
    if (spot.outsideScans()) return kGenePixFlagNotFound;
    return kGenePixFlagGood;
}

void appendRatios(std::vector<std::string>& cells, const ChannelStatistics& red,
                  const ChannelStatistics& green, const RatioStatistics& r, int flags) {
    for (const std::optional<double>& v :
         {r.ratioOfMedians, r.ratioOfMeans, r.medianOfRatios, r.meanOfRatios, r.ratiosSd,
          r.regressionRatio, r.regressionR2})
        cells.push_back(decimal(v));
    for (std::int64_t v : {red.featurePixels, red.backgroundPixels, std::int64_t{kCircularity},
                           red.medianMinusBackground() + green.medianMinusBackground(),
                           red.meanMinusBackground() + green.meanMinusBackground()})
        cells.push_back(integer(v));
    cells.push_back(decimal(r.logRatio));
    for (std::int64_t v :
         {red.medianMinusBackground(), green.medianMinusBackground(), red.meanMinusBackground(),
          green.meanMinusBackground(), red.totalIntensity, green.totalIntensity})
        cells.push_back(integer(v));
    for (const std::string& v :
         {decimal(SpotSnr(red)), decimal(SpotSnr(green)), integer(flags), integer(0), integer(0)})
        cells.push_back(v);
}

// Every column of the two-layer file; a single-channel file writes the subset it names.
std::vector<std::string> resultCells(const LayeredImage& image, const SpotResult& spot,
                                     std::int32_t spotRadius) {
    const ChannelStatistics& red = spot.channels[0];
    const ChannelStatistics& green = spot.channels[1];
    std::vector<std::string> cells = {integer(spot.block),
                                      integer(spot.col + 1),
                                      integer(spot.row + 1),
                                      GenePixQuoted(spot.name),
                                      GenePixQuoted(spot.id),
                                      micrometres(image.PixelsToLengthX(spot.centre.x)),
                                      micrometres(image.PixelsToLengthY(spot.centre.y)),
                                      micrometres(image.PixelsToLengthX(2 * spotRadius))};
    cells.reserve(kGenePixColumnCount);
    appendChannel(cells, red);
    appendChannel(cells, green);
    appendRatios(cells, red, green, spot.ratios, flagsOf(spot));
    return cells;
}

std::string joined(const std::vector<std::string>& cells, const std::vector<std::size_t>& columns,
                   const char* separator) {
    std::string text;
    for (std::size_t i = 0; i < columns.size(); ++i)
        text += (i == 0 ? "" : separator) + cells[columns[i]];
    return text;
}

std::string nowText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y/%m/%d %H:%M:%S", &local);
    return text;
}

std::string headerRecords(const LayeredImage& image, const GenePixExportInfo& info,
                          const std::vector<std::size_t>& columns) {
    const bool twoChannels = columns.size() == kColumns.size();
    char pixelSize[64];
    std::snprintf(pixelSize, sizeof pixelSize, "%g", image.PixelsToLengthX(1) * 1000.0);
    std::string files;
    for (const GenePixImageFile& file : info.imageFiles) {
        if (!files.empty()) files += "\t";
        files += fieldText(file.path) + " " + std::to_string(file.page);
    }
    std::vector<std::string> records = {
        "Type=GenePix Results 3",
        "DateTime=" + (info.dateTime.empty() ? nowText() : info.dateTime),
        std::string("PixelSize=") + pixelSize,
        twoChannels ? "Wavelengths=635\t532" : "Wavelengths=635",
        "ImageFiles=" + files,
        "NormalizationMethod=None",
        twoChannels ? "NormalizationFactors=1\t1" : "NormalizationFactors=1",
        "RatioFormulations=W1/W2 (635/532)",
        "FeatureType=Circular",
        "Barcode=",
        "BackgroundSubtraction=LocalFeature",
        std::string("Creator=Orvane ") + ORVANE_VERSION,
    };
    if (!twoChannels) std::erase(records, "RatioFormulations=W1/W2 (635/532)");
    std::string text = "ATF\t1.0" + std::string(kEol) + std::to_string(records.size()) + "\t" +
                       std::to_string(columns.size()) + kEol;
    for (const std::string& record : records) text += "\"" + record + "\"" + kEol;
    std::vector<std::string> names;
    names.reserve(std::size(kColumns));
    for (const char* name : kColumns) names.push_back("\"" + std::string(name) + "\"");
    return text + joined(names, columns, "\t") + kEol;
}

}  // namespace

const std::array<const char*, kGenePixColumnCount>& GenePixColumnNames() { return kColumns; }

std::vector<std::size_t> GenePixWrittenColumns(int layerCount) {
    std::vector<std::size_t> columns;
    for (std::size_t i = 0; i < kColumns.size(); ++i)
        // Every 532 and every ratio column names 532.
        if (layerCount >= 2 || std::string_view(kColumns[i]).find("532") == std::string_view::npos)
            columns.push_back(i);
    return columns;
}

std::string GenePixQuoted(const std::string& text) { return "\"" + fieldText(text) + "\""; }

void WriteGenePixResults(const std::string& path, const LayeredImage& image, const SpotGrid& grid,
                         const GridQuad& currentQuad, const GenePixExportInfo& info,
                         Progress& progress) {
    if (image.layerCount < 1) throw CoreError(kLayerRequiredMessage);
    ResultFile file(path);  // refused before anything is measured
    SpotResults results =
        MeasureSpotResults(image, grid, currentQuad, progress, "Exporting GenePix results ...");
    if (info.flagSaturatedPercent) FlagSaturatedSpots(results, *info.flagSaturatedPercent);
    const std::vector<std::size_t> columns = GenePixWrittenColumns(image.layerCount);
    file.write(headerRecords(image, info, columns));
    for (const SpotResult& spot : results.spots)
        file.write(joined(resultCells(image, spot, results.spotRadius), columns, "\t") + kEol);
    file.Commit();
}

}  // namespace orvane
