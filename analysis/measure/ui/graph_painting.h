// Drawing helpers shared by the statistics, pairs and histogram dialogs: the layer colours, the
// dotted frame with its ten-step scale, and text placed by its top-left corner.
#pragma once

#include <cstdint>

#include <QColor>
#include <QString>

class QPainter;

namespace orvane {

// Layer 0 dark red, layer 1 dark green, layer 2 dark blue.
QColor LayerColour(int layer);
// Grey, or red when the maximum reached the saturated range (65534 and above).
QColor MaximumLabelColour(std::int64_t maximum);

// Text with its top-left corner at (x, y), as the dialogs place their labels.
void DrawTextAt(QPainter& painter, int x, int y, const QString& text, const QColor& colour);

// The dotted grey frame from (10, yb - ph) to (w - 9, yb + 1) with nine vertical and nine
// horizontal scale lines; each horizontal line is labelled at (11, y) with k x yMax / 10.
// With xMax >= 0 the vertical lines are labelled below the frame with k x xMax / 10.
void DrawGraphFrame(QPainter& painter, int w, int yb, int ph, std::int64_t yMax,
                    std::int64_t xMax = -1);

}  // namespace orvane
