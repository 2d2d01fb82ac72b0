// The texts, prompts and keys of every command. Prompts of the framework commands are the
// framework's standard ones.
#include "app/command_table.h"

#include "base/ui/command_ids.h"

namespace orvane {
namespace {

constexpr CommandSpec kCommands[] = {
    // File
    {kFileNew, "&New", "Create a new document\nNew", false, "Ctrl+N"},
    {kFileOpen, "&Open Image...\tCtrl+O", "Open an existing document\nOpen", false, "Ctrl+O"},
    {kOverlayImage, "Overlay Image...\tCtrl+L", "Add another image as overlay\nOverlay", false,
     "Ctrl+L"},
    {kExportTiff, "Export 8-bit TIFF...\tCtrl+S",
     "Export scaled / postprocessed RGB image (not usable for data extraction).", false, "Ctrl+S"},
    {kFileClose, "&Close", "Close the active document\nClose", false, ""},
    {kFilePrint, "&Print...\tCtrl+P", "Print the active document\nPrint", false, "Ctrl+P"},
    {kFilePrintDirect, "Quick Print",
     "Print the active document using current options\nQuick Print", false, ""},
    {kFilePrintPreview, "Print Pre&view", "Display full pages\nPrint Preview", false, ""},
    {kFilePrintSetup, "P&rint Setup...", "Change the printer and printing options\nPrint Setup",
     false, ""},
    {kFileMruFile1, "Recent File", "Open this document", false, ""},
    {kFileMruFile1 + 1, "Recent File 2", "Open this document", false, ""},
    {kFileMruFile1 + 2, "Recent File 3", "Open this document", false, ""},
    {kFileMruFile4, "Recent File 4", "Open this document", false, ""},
    {kAppExit, "E&xit", "Quit the application; prompts to save documents\nExit", false, ""},
    // Edit
    {kEditUndo, "&Undo\tCtrl+Z", "Undo the last action\nUndo", false, "Ctrl+Z;Alt+Backspace"},
    {kEditRedo, "&Redo\tCtrl+Y", "Redo the action undone last\nRedo", false, "Ctrl+Y;Ctrl+Shift+Z"},
    {kEditCut, "Cu&t\tCtrl+X", "Cut the selection and put it on the Clipboard\nCut", false,
     "Ctrl+X;Shift+Del"},
    {kEditCopy, "&Copy\tCtrl+C", "Copy the selection and put it on the Clipboard\nCopy", false,
     "Ctrl+C;Ctrl+Ins"},
    {kEditPaste, "&Paste\tCtrl+V", "Insert Clipboard contents\nPaste", false, "Ctrl+V;Shift+Ins"},
    // View
    {kViewToolbar, "&Toolbar", "Show or hide the toolbar\nToggle ToolBar", true, ""},
    {kViewStatusBar, "&Status Bar", "Show or hide the status bar\nToggle StatusBar", true, ""},
    {kZoomIn, "Zoom In\tCtrl++", "Enlarge the picture\nZoom In", false, "Ctrl++;Ctrl+="},
    {kZoomOut, "Zoom Out\tCtrl+-", "Reduce the picture\nZoom Out", false, "Ctrl+-"},
    {kZoomFit, "Fit in Window\tCtrl+0", "Show the whole scan in the window\nFit in Window", false,
     "Ctrl+0"},
    {kZoomActual, "Actual Pixels\tCtrl+1", "One screen pixel per image pixel\nActual Pixels", false,
     "Ctrl+1"},
    // Image
    // They change the scans, not the grid: Undo does not take them back.
    {kSubtractBackground, "Subtract Background",
     "Subtract the selected rectangle's mean from every layer (cannot be undone)", false, ""},
    {kFilterMean, "Filter Image (3x3 mean)", "Filter every layer (cannot be undone)", false, ""},
    {kFilterMedian, "Filter Image (3x3 median)", "Filter every layer (cannot be undone)", false,
     ""},
    // Selection
    {kSelectionStatistics, "Show Selection Statistics...", "", false, ""},
    {kSelectionPairs, "Show Selection Pairs...", "", false, ""},
    {kSelectionSaveRaw, "Save Raw Data...", "", false, ""},
    // Grid
    {kGridDefine, "&Define Grid...", "", false, ""},
    {kGridLoad, "Load Grid...", "", false, ""},
    {kGridSave, "Save Grid...", "", false, ""},
    {kGridFind, "&Find / Highlight Genes...\tCtrl+F",
     "Find and highlight Genes in a grid by their UID / Description", false, "Ctrl+F"},
    {kGridMarkNotFound, "Mark Spots Not Found...",
     "Mark the spots whose pixels hardly rise above their background", false, ""},
    {kGridAdjust2DW, "&Adjust Grid 2DW", "", false, ""},
    {kGridAdjust1DW, "Adjust Grid 1DW", "", false, ""},
    {kGridAdjustCM, "Adjust Grid CM", "", false, ""},
    {kGridAutoPlace, "Auto Place Grid", "", false, ""},
    {kGridExtract, "&Extract Grid Data", "", false, ""},
    {kGridExportGenePix, "Export GenePix Results...", "", false, ""},
    {kGridHistogram, "Grid Data &Histogram...", "View Data Histogram / Adjust Image balance.",
     false, ""},
    // Window
    {kWindowNew, "&New Window", "Open another window for the active document\nNew Window", false,
     ""},
    {kWindowCascade, "&Cascade", "Arrange windows so they overlap\nCascade Windows", false, ""},
    {kWindowTileHorz, "Tile &Horizontally",
     "Arrange windows as non-overlapping tiles\nTile Windows", false, ""},
    {kWindowTileVert, "Tile &Vertically", "Arrange windows as non-overlapping tiles\nTile Windows",
     false, ""},
    {kWindowArrange, "&Arrange Icons", "Arrange icons at the bottom of the window\nArrange Icons",
     false, ""},
    {kNextPane, "Next Pane", "Switch to the next window pane\nNext Pane", false, "F6"},
    {kPrevPane, "Previous Pane", "Switch back to the previous window pane\nPrevious Pane", false,
     "Shift+F6"},
    // Help
    {kAppAbout, "&About Orvane...",
     "Display program information, version number and copyright\nAbout", false, ""},
    {kAppTest, "Test", "", false, ""},
    // Toolbar
    {kSelectPoint, "Select Point", "Select Point", true, ""},
    {kSelectRectangle, "Select Rectangle", "Select Rectangle", true, ""},
    {kSelectCircleDiameter, "Select Circle by Diameter", "Select Circle by Diameter", true, ""},
    {kSelectCircleRadius, "Select Circle by Radius", "Select Circle by Radius", true, ""},
    {kSelectGrid, "Select Grid", "Select Grid", true, ""},
    {kToolbarStatistics, "Show Selection Statistics", "Show Selection Statistics", false, ""},
    {kToolbarPairs, "Show Selection Pairs", "Show Selection Pairs", false, ""},
    {kDisplayLinear, "Linear intensity display", "Linear Intesity Display", true, ""},
    {kDisplayLog, "Log intensity display", "Log Intensity Display", true, ""},
    {kDisplayInverted, "Inverted intensity display", "Inverted Intensity Display", false, ""},
    {kChannel1, "Channel 1 on/off", "", true, ""},
    {kChannel2, "Channel 2 on/off", "", true, ""},
    {kChannel3, "Channel 3 on/off", "", true, ""},
};

}  // namespace

std::span<const CommandSpec> commandSpecs() { return kCommands; }

const CommandSpec* findCommandSpec(int id) {
    for (const CommandSpec& item : kCommands) {
        if (item.id == id) return &item;
    }
    return nullptr;
}

bool isUnhandledByDesign(int id) { return id == kEditCut || id == kEditCopy || id == kEditPaste; }

}  // namespace orvane
