// The position, intensity and grid panes of an image window.
#include "view/ui/window_panes.h"

#include "base/ui/status_panes.h"
#include "view/ui/image_window.h"
#include "view/ui/orvane_doc.h"
#include "window/window_model.h"

namespace orvane {
namespace {

QString gridPaneText(const GridEditor& editor, int paneId) {
    const GridPaneTexts texts = editor.PaneTexts();
    switch (paneId) {
    case kPaneGridQuad: return QString::fromStdString(texts.quad);
    case kPaneGridSpot: return QString::fromStdString(texts.spot);
    case kPaneSpotUid: return QString::fromStdString(texts.uid);
    case kPaneSpotDescription: return QString::fromStdString(texts.description);
    case kPaneSpotIntensity: return QString::fromStdString(texts.intensity);
    default: return {};
    }
}

}  // namespace

QString WindowPaneText(const ImageWindow& window, int paneId) {
    const SelectionShape& selection = window.model.editor().shape();
    switch (paneId) {
    case kPanePositionX: return QString("X: %1").arg(selection.x0);
    case kPanePositionY: return QString("Y: %1").arg(selection.y0);
    case kPanePointIntensity: {
        // The anchor may lie in the grey area or the document may have no layers: then there is
        // no sample to show, and the pane shows the label alone rather than reading outside.
        const LayeredImage& image = window.document->image();
        const bool inside = image.layerCount > 0 && selection.x0 >= 0 && selection.y0 >= 0 &&
                            selection.x0 < image.width() && selection.y0 < image.height();
        if (!inside) return "I: ";
        return QString("I: %1").arg(image.layers[0].at(selection.x0, selection.y0));
    }
    case kPaneGridQuad:
    case kPaneGridSpot:
    case kPaneSpotUid:
    case kPaneSpotDescription:
    case kPaneSpotIntensity: return gridPaneText(window.model.editor(), paneId);
    default: return {};
    }
}

}  // namespace orvane
