// Plots as SVG text for the QC report: axes with ticks and labels, point clouds, step lines and
// colour bars, written as well-formed markup that an HTML page can hold inline.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvane {

// Text with & < > " ' escaped for XML and HTML alike. The page declares UTF-8: a byte that is not
// part of a well-formed UTF-8 sequence (a file name in another encoding) becomes U+FFFD.
std::string XmlEscaped(std::string_view text);

// A number as a tick label: the shortest of up to 4 significant digits ("0.5", "-2", "1e+04").
std::string TickLabel(double value);

// An axis range widened to round numbers, and the round ticks inside it (about `target` of them,
// at 1, 2 or 5 times a power of ten). An empty or inverted range becomes one unit around `low`.
struct Axis {
    double low = 0, high = 1;
    std::vector<double> ticks;
};
Axis NiceAxis(double low, double high, int target = 6);

class SvgPlot {
public:
    SvgPlot(int width, int height, Axis x, Axis y, std::string xLabel, std::string yLabel);

    // Plot coordinates of a data value (inside the frame for values on the axes' ranges).
    double X(double x) const;
    double Y(double y) const;

    // Dots of `radius` pixels, all in one path element so that thousands of points stay small.
    void Points(const std::vector<std::pair<double, double>>& xy, std::string_view colour,
                double radius);
    void Polyline(const std::vector<std::pair<double, double>>& xy, std::string_view colour);
    void HorizontalLine(double y, std::string_view colour);
    void LegendEntry(std::string_view text, std::string_view colour);

    // The whole <svg> element.
    std::string Svg(std::string_view title) const;

private:
    int width_, height_;
    Axis x_, y_;
    std::string xLabel_, yLabel_;
    std::string body_;
    std::vector<std::pair<std::string, std::string>> legend_;
};

// A horizontal colour bar `width` pixels wide for a spot map: `colours` from low to high, with
// round ticks between the ends and the label below.
std::string SvgColourBar(const std::vector<std::string>& colours, double low, double high,
                         std::string_view label, int width = 320);

}  // namespace orvane
