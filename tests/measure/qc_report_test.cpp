// The QC report's arithmetic: base64 of the embedded pictures, text escaping, round axis ticks,
// and the quad table's counts and medians on hand-made spot results.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "measure/png_image.h"
#include "measure/qc_report.h"
#include "measure/svg_plot.h"

namespace orvane {
namespace {

TEST(QcReport, Base64OfTheStandardsVectors) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
        {std::string("\xff\x00\xfe", 3), "/wD+"},
    };
    for (const auto& [bytes, text] : cases) EXPECT_EQ(Base64(bytes), text) << bytes;
}

// A file name in Latin-1 once reached the page as it was, and strict readers refused the page.
TEST(QcReport, TextThatIsNotUtf8BecomesReplacementCharacters) {
    const std::pair<std::string, std::string> cases[] = {
        {"scan_\xb5m.tif", "scan_\xEF\xBF\xBDm.tif"},  // Latin-1 micro sign
        {"scan_\xC2\xB5m.tif", "scan_\xC2\xB5m.tif"},  // the same in UTF-8
        {"\xE2\x82\xAC & \xF0\x9F\x94\xAC", "\xE2\x82\xAC &amp; \xF0\x9F\x94\xAC"},
        {"\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},                  // overlong "/"
        {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // a surrogate
        {"end\xE2\x82", "end\xEF\xBF\xBD\xEF\xBF\xBD"},            // cut short
    };
    for (const auto& [text, escaped] : cases) EXPECT_EQ(XmlEscaped(text), escaped) << text;
}

TEST(QcReport, AxesTakeRoundTicks) {
    struct Case {
        double low, high;
        double axisLow, axisHigh, firstTick, secondTick;
    };
    const Case cases[] = {
        {0.3, 9.7, 0, 10, 0, 2},
        {-2.6, 2.4, -3, 3, -3, -2},
        {7, 7, 6.4, 7.6, 6.4, 6.6},
        {120, 1460, 0, 1500, 0, 500},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.low) + " to " + std::to_string(c.high));
        const Axis a = NiceAxis(c.low, c.high);
        EXPECT_DOUBLE_EQ(a.low, c.axisLow);
        EXPECT_DOUBLE_EQ(a.high, c.axisHigh);
        ASSERT_GE(a.ticks.size(), 3u);
        EXPECT_DOUBLE_EQ(a.ticks[0], c.firstTick);
        EXPECT_DOUBLE_EQ(a.ticks[1], c.secondTick);
        EXPECT_DOUBLE_EQ(a.ticks.back(), c.axisHigh);
    }
    EXPECT_EQ(TickLabel(0.1 + 0.2 - 0.3), "0");
}

SpotResult spot(std::int32_t qx, std::uint8_t flags, std::int64_t snrNumerator,
                std::int64_t above2Sd, std::int64_t saturated = 0) {
    SpotResult s;
    s.qx = qx;
    s.block = qx + 1;
    s.flags = flags;
    for (int k = 0; k < 2; ++k) {
        ChannelStatistics& c = s.channels[static_cast<std::size_t>(k)];
        c.featureMean = 100 + snrNumerator;
        c.backgroundMean = 100;
        c.backgroundSd = k == 0 ? 1 : 0;  // layer 1 has no SNR
        c.percentAbove2Sd = above2Sd;
        c.percentSaturated = k == 1 ? saturated : 0;
    }
    return s;
}

TEST(QcReport, QuadTableCountsAndMedians) {
    SpotResults results;
    results.layerCount = 2;
    results.spots = {
        spot(0, 0, 4, 70), spot(0, Marked, 1, 69),     spot(0, 0, 10, 100, 1),
        spot(0, 0, 2, 0),  spot(0, Excluded, 50, 100), spot(1, Excluded, 0, 0),
    };
    const std::vector<QuadQc> rows = SummariseQuads(results);
    ASSERT_EQ(rows.size(), 3u);
    const QuadQc& q = rows[0];
    EXPECT_EQ(q.block, 1);
    EXPECT_EQ(q.spots, 5);
    EXPECT_EQ(q.measured, 4);
    EXPECT_EQ(q.marked, 1);
    EXPECT_EQ(q.excluded, 1);
    EXPECT_EQ(q.saturated, 1);
    EXPECT_DOUBLE_EQ(*q.medianSnr[0], 3.0) << "median of 1, 2, 4, 10; the excluded 50 left out";
    EXPECT_FALSE(q.medianSnr[1]) << "no defined SNR";
    EXPECT_DOUBLE_EQ(*q.foundPercent[0], 50.0) << "70 and 100 count, 69 does not";
    const QuadQc& empty = rows[1];
    EXPECT_EQ(empty.measured, 0);
    EXPECT_FALSE(empty.medianSnr[0]);
    EXPECT_FALSE(empty.foundPercent[0]);
    const QuadQc& total = rows[2];
    EXPECT_EQ(total.qx, -1);
    EXPECT_EQ(total.spots, 6);
    EXPECT_EQ(total.excluded, 2);
    EXPECT_DOUBLE_EQ(*total.medianSnr[0], 3.0);
}

}  // namespace
}  // namespace orvane
