// The printer that Print Setup chooses and every view prints on, kept for the whole run.
#pragma once

class QPrinter;

namespace orvane {

QPrinter& applicationPrinter();
// Called once at the end of the run, while Qt is still up.
void releaseApplicationPrinter();

}  // namespace orvane
