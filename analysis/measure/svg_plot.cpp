// SVG plots. Coordinates are written with one decimal: a tenth of a pixel is below what a screen
// shows, and it keeps a cloud of ten thousand points near 100 KB.
#include "measure/svg_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <string_view>

namespace orvane {

namespace {

// Appends the pieces in order, without the temporaries of a chain of operator+.
void appendAll(std::string& s, std::initializer_list<std::string_view> pieces) {
    for (std::string_view piece : pieces) s += piece;
}

// Margins of the frame inside the picture: room for tick labels and the axis titles.
constexpr double kLeft = 62, kRight = 16, kTop = 14, kBottom = 46;

std::string fixed1(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", v);
    return text;
}

// The length of the well-formed UTF-8 sequence at the start of `text`, or 0 (RFC 3629: no
// overlong forms, no surrogates, nothing above U+10FFFF).
std::size_t utf8SequenceLength(std::string_view text) {
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    else
        return 0;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
    if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
    return length;
}

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

}  // namespace

std::string XmlEscaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (static_cast<unsigned char>(c) >= 0x80) {
            const std::size_t length = utf8SequenceLength(text.substr(i));
            if (length == 0) {
                out += kReplacementCharacter;
            } else {
                out += text.substr(i, length);
                i += length - 1;
            }
            continue;
        }
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default:
            // Control characters other than tab and line breaks are not allowed in XML.
            if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r')
                out += ' ';
            else
                out += c;
        }
    }
    return out;
}

std::string TickLabel(double value) {
    if (std::fabs(value) < 1e-12) value = 0;  // no "-0" or "1e-17" at the origin
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", value);
    return text;
}

Axis NiceAxis(double low, double high, int target) {
    if (!std::isfinite(low) || !std::isfinite(high)) low = 0, high = 1;
    if (!(high > low)) {
        low -= 0.5;
        high = low + 1;
    }
    const double rough = (high - low) / std::max(1, target);
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    double step = power;
    for (double m : {1.0, 2.0, 5.0, 10.0}) {
        step = m * power;
        if (step >= rough) break;
    }
    Axis axis;
    axis.low = std::floor(low / step) * step;
    axis.high = std::ceil(high / step) * step;
    for (double t = axis.low; t <= axis.high + step / 2; t += step)
        axis.ticks.push_back(std::round(t / step) * step);
    return axis;
}

SvgPlot::SvgPlot(int width, int height, Axis x, Axis y, std::string xLabel, std::string yLabel)
    : width_(width),
      height_(height),
      x_(std::move(x)),
      y_(std::move(y)),
      xLabel_(std::move(xLabel)),
      yLabel_(std::move(yLabel)) {}

double SvgPlot::X(double x) const {
    return kLeft + (x - x_.low) / (x_.high - x_.low) * (width_ - kLeft - kRight);
}

double SvgPlot::Y(double y) const {
    return height_ - kBottom - (y - y_.low) / (y_.high - y_.low) * (height_ - kTop - kBottom);
}

void SvgPlot::Points(const std::vector<std::pair<double, double>>& xy, std::string_view colour,
                     double radius) {
    if (xy.empty()) return;
    std::string d;
    d.reserve(xy.size() * 14);
    for (const auto& [x, y] : xy) d += "M" + fixed1(X(x)) + " " + fixed1(Y(y)) + "h0";
    body_ += "<path fill=\"none\" stroke=\"" + XmlEscaped(colour) + "\" stroke-width=\"" +
             fixed1(2 * radius) + "\" stroke-linecap=\"round\" stroke-opacity=\"0.6\" d=\"" + d +
             "\"/>\n";
}

void SvgPlot::Polyline(const std::vector<std::pair<double, double>>& xy, std::string_view colour) {
    std::string points;
    for (const auto& [x, y] : xy) points += fixed1(X(x)) + "," + fixed1(Y(y)) + " ";
    body_ += "<polyline fill=\"none\" stroke=\"" + XmlEscaped(colour) +
             "\" stroke-width=\"1.6\" points=\"" + points + "\"/>\n";
}

void SvgPlot::HorizontalLine(double y, std::string_view colour) {
    body_ += "<line x1=\"" + fixed1(kLeft) + "\" x2=\"" + fixed1(width_ - kRight) + "\" y1=\"" +
             fixed1(Y(y)) + "\" y2=\"" + fixed1(Y(y)) + "\" stroke=\"" + XmlEscaped(colour) +
             "\" stroke-dasharray=\"4 3\"/>\n";
}

void SvgPlot::LegendEntry(std::string_view text, std::string_view colour) {
    legend_.emplace_back(std::string(text), std::string(colour));
}

std::string SvgPlot::Svg(std::string_view title) const {
    const std::string w = std::to_string(width_), h = std::to_string(height_);
    std::string s = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + w + "\" height=\"" + h +
                    "\" viewBox=\"0 0 " + w + " " + h +
                    "\" font-family=\"sans-serif\" font-size=\"11\" role=\"img\">\n<title>" +
                    XmlEscaped(title) + "</title>\n";
    const double left = kLeft, right = width_ - kRight, top = kTop, bottom = height_ - kBottom;
    s += "<rect x=\"" + fixed1(left) + "\" y=\"" + fixed1(top) + "\" width=\"" +
         fixed1(right - left) + "\" height=\"" + fixed1(bottom - top) +
         "\" fill=\"#fff\" stroke=\"#444\"/>\n";
    for (double t : x_.ticks) {
        const std::string x = fixed1(X(t));
        appendAll(s, {"<line x1=\"", x, "\" x2=\"", x, "\" y1=\"", fixed1(bottom), "\" y2=\"",
                      fixed1(bottom + 5), "\" stroke=\"#444\"/><text x=\"", x, "\" y=\"",
                      fixed1(bottom + 17), "\" text-anchor=\"middle\">", XmlEscaped(TickLabel(t)),
                      "</text>\n"});
    }
    for (double t : y_.ticks) {
        const std::string y = fixed1(Y(t));
        appendAll(s, {"<line x1=\"", fixed1(left - 5), "\" x2=\"", fixed1(left), "\" y1=\"", y,
                      "\" y2=\"", y, "\" stroke=\"#444\"/><text x=\"", fixed1(left - 8), "\" y=\"",
                      fixed1(Y(t) + 4), "\" text-anchor=\"end\">", XmlEscaped(TickLabel(t)),
                      "</text>\n"});
    }
    s += "<text x=\"" + fixed1((left + right) / 2) + "\" y=\"" + fixed1(height_ - 8.0) +
         "\" text-anchor=\"middle\">" + XmlEscaped(xLabel_) + "</text>\n";
    s += "<text transform=\"translate(14 " + fixed1((top + bottom) / 2) +
         ") rotate(-90)\" text-anchor=\"middle\">" + XmlEscaped(yLabel_) + "</text>\n";
    s += "<g>\n" + body_ + "</g>\n";
    double y = top + 14;
    for (const auto& [text, colour] : legend_) {
        appendAll(
            s, {"<rect x=\"", fixed1(right - 120), "\" y=\"", fixed1(y - 9),
                "\" width=\"10\" height=\"10\" fill=\"", XmlEscaped(colour), "\"/><text x=\"",
                fixed1(right - 105), "\" y=\"", fixed1(y), "\">", XmlEscaped(text), "</text>\n"});
        y += 15;
    }
    return s + "</svg>";
}

std::string SvgColourBar(const std::vector<std::string>& colours, double low, double high,
                         std::string_view label, int width) {
    constexpr double kX = 10;
    const double kWidth = std::max(60, width - 20);
    const std::string w = std::to_string(width);
    std::string s = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + w +
                    "\" height=\"52\" viewBox=\"0 0 " + w +
                    " 52\" font-family=\"sans-serif\" font-size=\"11\" role=\"img\">\n<title>" +
                    XmlEscaped(label) + "</title>\n";
    const double cell = kWidth / static_cast<double>(std::max<std::size_t>(1, colours.size()));
    for (std::size_t i = 0; i < colours.size(); ++i)
        s += "<rect x=\"" + fixed1(kX + cell * static_cast<double>(i)) + "\" y=\"4\" width=\"" +
             fixed1(cell + 0.6) + "\" height=\"14\" fill=\"" + XmlEscaped(colours[i]) + "\"/>\n";
    s += "<rect x=\"" + fixed1(kX) + "\" y=\"4\" width=\"" + fixed1(kWidth) +
         "\" height=\"14\" fill=\"none\" stroke=\"#444\"/>\n";
    const Axis axis = NiceAxis(low, high, 5);
    for (double t : axis.ticks) {
        if (t < low - 1e-9 * std::fabs(high - low) || t > high + 1e-9 * std::fabs(high - low))
            continue;
        const double x = kX + (high > low ? (t - low) / (high - low) : 0.5) * kWidth;
        s += "<line x1=\"" + fixed1(x) + "\" x2=\"" + fixed1(x) +
             "\" y1=\"18\" y2=\"22\" stroke=\"#444\"/><text x=\"" + fixed1(x) +
             "\" y=\"33\" text-anchor=\"middle\">" + XmlEscaped(TickLabel(t)) + "</text>\n";
    }
    s += "<text x=\"" + fixed1(kX + kWidth / 2) + "\" y=\"48\" text-anchor=\"middle\">" +
         XmlEscaped(label) + "</text>\n";
    return s + "</svg>";
}

}  // namespace orvane
