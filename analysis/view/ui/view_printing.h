// The printer that Print Setup chooses and every view prints on, kept for the whole run, and
// the print preview's number of pages side by side, kept in the per-user settings.
#pragma once

class QPrinter;

namespace orvane {

QPrinter& applicationPrinter();
// Called once at the end of the run, while Qt is still up.
void releaseApplicationPrinter();

// "PreviewPages" in the settings section "Settings": 1 or 2 pages side by side. A missing or
// unusable value reads as 1.
int LoadPreviewPages();
void SavePreviewPages(int pages);

}  // namespace orvane
