// CMeasureCommands: the measurement commands on one image window: Extract Grid Data, Export
// GenePix Results, the histogram, Find, Mark Spots Not Found, and the selection's statistics,
// pairs and raw data. The routing offers them after the view's own. It keeps what its dialogs
// remember for the life of the window.
#pragma once

#include <span>

#include "base/ui/command_map.h"
#include "measure/find_genes.h"
#include "measure/spot_histogram.h"
#include "measure/spot_results.h"
#include "view/ui/image_window.h"

namespace orvane {

class CMeasureCommands : public MappedCommandTarget<CMeasureCommands> {
public:
    explicit CMeasureCommands(ImageWindow& window) : window_(window) {}

    void OnGridExtract();
    void OnGridExportGenePix();
    void OnGridHistogram();
    void OnGridFind();
    void OnGridMarkNotFound();
    void OnSelectionStatistics();
    void OnSelectionPairs();
    void OnSelectionSaveRaw();

    static std::span<const CommandEntry<CMeasureCommands>> commandMap();

    const SpotHistogram& spotHistogram() const { return histogram_; }

private:
    ImageWindow& window_;
    FindSettings findSettings_;
    NotFoundRule notFoundRule_;
    SpotHistogram histogram_;
};

}  // namespace orvane
