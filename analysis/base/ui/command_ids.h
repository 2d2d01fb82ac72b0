// The numeric command ids of the program: the framework's standard ids and the image, view,
// selection and grid commands. Menus, toolbar, accelerators and handlers all refer to these.
#pragma once

namespace orvane {

enum CommandId : int {
    // Framework commands.
    kFileNew = 57600,
    kFileOpen = 57601,
    kFileClose = 57602,
    kFilePrintSetup = 57606,
    kFilePrint = 57607,
    kFilePrintDirect = 57608,
    kFilePrintPreview = 57609,
    kFileMruFile1 = 57616,  // the recent-file entries take 57616 to 57619
    kFileMruFile4 = 57619,
    kEditCopy = 57634,
    kEditCut = 57635,
    kEditPaste = 57637,
    kEditUndo = 57643,
    kEditRedo = 57644,
    kWindowNew = 57648,
    kWindowArrange = 57649,
    kWindowCascade = 57650,
    kWindowTileHorz = 57651,
    kWindowTileVert = 57652,
    kAppAbout = 57664,
    kAppExit = 57665,
    kNextPane = 57680,
    kPrevPane = 57681,
    kViewToolbar = 59392,
    kViewStatusBar = 59393,

    // The program's own commands.
    kGridDefine = 32771,
    kGridExtract = 32772,
    kSelectRectangle = 32773,
    kSelectCircleDiameter = 32774,
    kSelectCircleRadius = 32775,
    kSelectGrid = 32776,
    kSelectPoint = 32777,
    kDisplayLog = 32778,
    kDisplayLinear = 32779,
    kSelectionStatistics = 32780,
    kToolbarStatistics = 32781,
    kFilterMean = 32782,
    kFilterMedian = 32783,
    kOverlayImage = 32784,
    kChannel1 = 32785,
    kChannel2 = 32786,
    kChannel3 = 32787,
    kSubtractBackground = 32788,
    kSelectionPairs = 32789,
    kToolbarPairs = 32790,
    kExportTiff = 32791,
    kDisplayInverted = 32792,
    kGridAdjust2DW = 32793,
    kGridAdjust1DW = 32794,
    kGridAdjustCM = 32795,
    kGridFind = 32798,
    kGridLoad = 32799,
    kGridSave = 32800,
    kGridHistogram = 32801,
    kAppTest = 32802,
    kSelectionSaveRaw = 32803,
    kGridAutoPlace = 32804,
    kGridExportGenePix = 32805,
    kGridMarkNotFound = 32806,
    kZoomIn = 32810,
    kZoomOut = 32811,
    kZoomFit = 32812,
    kZoomActual = 32813,
};

// Resource numbers of the two menus: 128 while no image window is open, 129 while one is active.
inline constexpr int kMenuMainFrame = 128;
inline constexpr int kMenuImage = 129;

}  // namespace orvane
