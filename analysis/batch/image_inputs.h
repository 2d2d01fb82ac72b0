// Loading the image files named on the command line into one document's layers.
#pragma once

#include <string>
#include <vector>

#include "document/layered_image.h"
#include "document/progress.h"

namespace orvane::batch {

// Loads paths[0] as Open does and the others (at most two) as Overlay does. Throws UsageError
// when there is no path or more than three, CoreError (with the message) when a file fails.
LayeredImage loadInputs(const std::vector<std::string>& paths, Progress& progress);

// Refuses (UsageError) an output path that names one of the input files: the run would replace
// the scan it reads.
void checkOutputIsNotInput(const std::string& output, const std::vector<std::string>& inputs);

}  // namespace orvane::batch
