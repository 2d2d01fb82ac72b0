// The main window's actions, menus 128 and 129, toolbar and status bar.
#include <QAction>
#include <QDockWidget>
#include <QEvent>
#include <QFontMetrics>
#include <QKeySequence>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QStatusBar>
#include <QToolBar>

#include "app/child_frame.h"
#include "app/command_table.h"
#include "app/main_frame.h"
#include "app/toolbar_icons.h"
#include "base/ui/command_ids.h"
#include "base/ui/shell_services.h"
#include "measure/ui/spot_plot_widget.h"
#include "measure/ui/spot_results_widget.h"
#include "measure/ui/spot_review.h"
#include "view/ui/overview_widget.h"

namespace orvane {
namespace {

constexpr int kSeparator = 0;

constexpr int kToolbarIds[] = {
    kSelectPoint, kSelectRectangle,   kSelectCircleDiameter, kSelectCircleRadius, kSelectGrid,
    kSeparator,   kToolbarStatistics, kToolbarPairs,         kSeparator,          kDisplayLinear,
    kDisplayLog,  kSeparator,         kDisplayInverted,      kSeparator,          kChannel1,
    kChannel2,    kChannel3,
};

// The zoom commands have a bar of their own, so that toolbar 128 keeps its buttons.
constexpr int kZoomToolbarIds[] = {kZoomIn, kZoomOut, kZoomFit, kZoomActual};

QList<QKeySequence> parseShortcuts(const char* keys) {
    QList<QKeySequence> sequences;
    for (const QString& key : QString(keys).split(';', Qt::SkipEmptyParts))
        sequences.append(QKeySequence(key));
    return sequences;
}

}  // namespace

void CMainFrame::createActions() {
    for (const CommandSpec& item : commandSpecs()) {
        auto* action = new QAction(item.text, this);
        const QString prompt(item.prompt);
        const qsizetype tipAt = prompt.indexOf('\n');
        action->setStatusTip(tipAt < 0 ? prompt : prompt.left(tipAt));
        if (tipAt >= 0) action->setToolTip(prompt.mid(tipAt + 1));
        action->setCheckable(item.checkable);
        action->setShortcuts(parseShortcuts(item.shortcuts));
        // Accelerators work whichever menu is shown, as the frame's accelerator table does.
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
        const int id = item.id;
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
        actions_[id] = action;
    }
}

QMenu* CMainFrame::addMenu(QList<QMenu*>& bar, const char* title, std::initializer_list<int> ids) {
    auto* menu = new QMenu(title, this);
    for (int id : ids) {
        if (id == kSeparator) {
            menu->addSeparator();
        } else {
            menu->addAction(action(id));
        }
    }
    // The menu shows the states of the moment it opens.
    connect(menu, &QMenu::aboutToShow, this, &CMainFrame::updateActions);
    bar.append(menu);
    return menu;
}

void CMainFrame::createMenus() {
    const int mru2 = kFileMruFile1 + 1, mru3 = kFileMruFile1 + 2;
    addMenu(menus128_, "&File",
            {kFileOpen, kSeparator, kFilePrintSetup, kSeparator, kFileMruFile1, mru2, mru3,
             kFileMruFile4, kSeparator, kAppExit});
    addMenu(menus128_, "&View", {kViewToolbar, kViewStatusBar})
        ->addActions({overviewDock_->toggleViewAction(), spotResultsDock_->toggleViewAction(),
                      spotPlotDock_->toggleViewAction()});
    addMenu(menus128_, "&Help", {kAppAbout, kAppTest});

    addMenu(menus129_, "&File",
            {kFileOpen, kOverlayImage, kExportTiff, kFileClose, kSeparator, kFilePrint,
             kFilePrintPreview, kFilePrintSetup, kSeparator, kFileMruFile1, mru2, mru3,
             kFileMruFile4, kSeparator, kAppExit});
    addMenu(menus129_, "&Edit",
            {kEditUndo, kEditRedo, kSeparator, kEditCut, kEditCopy, kEditPaste});
    addMenu(menus129_, "&View",
            {kViewToolbar, kViewStatusBar, kSeparator, kZoomIn, kZoomOut, kZoomFit, kZoomActual,
             kSeparator})
        ->addActions({overviewDock_->toggleViewAction(), spotResultsDock_->toggleViewAction(),
                      spotPlotDock_->toggleViewAction()});
    addMenu(menus129_, "&Image", {kSubtractBackground, kFilterMean, kFilterMedian});
    addMenu(menus129_, "&Selection", {kSelectionStatistics, kSelectionPairs, kSelectionSaveRaw});
    addMenu(menus129_, "&Grid",
            {kGridDefine, kGridLoad, kGridSave, kSeparator, kGridFind, kGridMarkNotFound,
             kSeparator, kGridAdjust2DW, kGridAdjust1DW, kGridAdjustCM, kGridAutoPlace, kSeparator,
             kGridExtract, kGridExportGenePix, kGridHistogram});
    windowMenu_ =
        addMenu(menus129_, "&Window",
                {kWindowNew, kWindowCascade, kWindowTileHorz, kWindowTileVert, kWindowArrange});
    connect(windowMenu_, &QMenu::aboutToShow, this, &CMainFrame::fillWindowList);
    addMenu(menus129_, "&Help", {kAppAbout});
    setRecentFiles({});
    switchMenu(kMenuMainFrame);
}

void CMainFrame::createOverviewDock() {
    overviewDock_ = new QDockWidget("Overview", this);
    overviewDock_->setObjectName("overviewDock");
    overviewDock_->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    overview_ = new COverviewWidget(overviewDock_);
    overviewDock_->setWidget(overview_);
    addDockWidget(Qt::RightDockWidgetArea, overviewDock_);
    // Closed with its title bar's button, the dock comes back through View > Overview.
    overviewDock_->toggleViewAction()->setStatusTip("Show or hide the slide overview");
}

void CMainFrame::createReviewDocks() {
    auto* table = new CSpotResultsWidget;
    spotResultsDock_ = new QDockWidget("Spot Results", this);
    spotResultsDock_->setObjectName("spotResultsDock");
    spotResultsDock_->setWidget(table);
    addDockWidget(Qt::BottomDockWidgetArea, spotResultsDock_);
    spotResultsDock_->toggleViewAction()->setStatusTip(
        "Show or hide the results of every spot of the active window");
    auto* plot = new CSpotPlotWidget;
    spotPlotDock_ = new QDockWidget("Spot Plot", this);
    spotPlotDock_->setObjectName("spotPlotDock");
    spotPlotDock_->setWidget(plot);
    addDockWidget(Qt::RightDockWidgetArea, spotPlotDock_);
    spotPlotDock_->toggleViewAction()->setStatusTip(
        "Show or hide the log ratio against the intensity of every spot of the active window");
    // Hidden until asked for: the spots are measured only while a review dock is shown.
    spotResultsDock_->hide();
    spotPlotDock_->hide();
    spotReview_ = new CSpotReview(table, spotResultsDock_, plot, spotPlotDock_, this);
}

void CMainFrame::fillWindowList() {
    // The image windows, numbered, the active one checked, as the window list of an MDI frame.
    qDeleteAll(windowList_);
    windowList_.clear();
    const QList<CChildFrame*> frames = childFrames();
    if (frames.isEmpty()) return;
    windowList_.append(windowMenu_->addSeparator());
    for (qsizetype i = 0; i < frames.size() && i < 9; ++i) {
        CChildFrame* frame = frames[i];
        QAction* entry =
            windowMenu_->addAction(QString("&%1 %2").arg(i + 1).arg(frame->windowTitle()));
        entry->setCheckable(true);
        entry->setChecked(frame == activeChild());
        connect(entry, &QAction::triggered, this, [this, window = QPointer<CChildFrame>(frame)] {
            if (window) mdi_->setActiveSubWindow(window);
        });
        windowList_.append(entry);
    }
}

void CMainFrame::switchMenu(int menuId) {
    if (menuId == currentMenu_) return;
    currentMenu_ = menuId;
    menuBar()->clear();  // removes the menus from the bar; this window keeps owning them
    for (QMenu* menu : menuId == kMenuImage ? menus129_ : menus128_) menuBar()->addMenu(menu);
    action(kFileOpen)->setText(menuId == kMenuImage ? findCommandSpec(kFileOpen)->text
                                                    : kOpenTextMenu128);
}

void CMainFrame::setRecentFiles(const QStringList& paths) {
    // With no recent file, one disabled "Recent File" entry stands in for the list.
    for (int i = 0; i < 4; ++i) {
        QAction* entry = action(kFileMruFile1 + i);
        if (paths.isEmpty()) {
            entry->setText(i == 0 ? "Recent File" : "");
            entry->setVisible(i == 0);
        } else {
            entry->setVisible(i < paths.size());
            if (i < paths.size()) entry->setText(QString("&%1 %2").arg(i + 1).arg(paths[i]));
        }
    }
    updateActions();
}

bool CMainFrame::OnCreate() {
    if (!createToolBar() || !createStatusBar()) return false;
    setDockOptions(dockOptions() | QMainWindow::AnimatedDocks);
    addToolBar(Qt::TopToolBarArea, toolBar_);
    addToolBar(Qt::TopToolBarArea, zoomBar_);
    updateActions();
    return true;
}

bool CMainFrame::createToolBar() {
    toolBar_ = new QToolBar("Toolbar", this);
    toolBar_->setObjectName("toolbar128");
    toolBar_->setIconSize(QSize(16, 15));
    toolBar_->setMovable(true);
    toolBar_->setFloatable(true);
    toolBar_->setAllowedAreas(Qt::AllToolBarAreas);
    for (int id : kToolbarIds) {
        if (id == kSeparator) {
            toolBar_->addSeparator();
            continue;
        }
        QAction* button = action(id);
        button->setIcon(toolbarIcon(id));
        toolBar_->addAction(button);
        // The toolbar's strings have no tool-tip part: the buttons show no tool tips, only
        // their prompt in the message pane.
        if (QWidget* widget = toolBar_->widgetForAction(button)) widget->installEventFilter(this);
    }
    zoomBar_ = new QToolBar("Zoom", this);
    zoomBar_->setObjectName("zoomToolbar");
    zoomBar_->setIconSize(QSize(16, 15));
    for (int id : kZoomToolbarIds) {
        QAction* button = action(id);
        button->setIcon(toolbarIcon(id));
        zoomBar_->addAction(button);
    }
    return true;
}

bool CMainFrame::createStatusBar() {
    QStatusBar* bar = statusBar();
    panes_[0] = new QLabel("Ready", bar);
    bar->addWidget(panes_[0], 1);
    const QFontMetrics metrics(bar->font());
    for (int i = 1; i < kPaneCount; ++i) {
        QString text(kStatusPanes[i].text);
        if (kStatusPanes[i].paddedLength > 0)
            text = text.leftJustified(kStatusPanes[i].paddedLength, ' ');
        panes_[i] = new QLabel(bar);
        panes_[i]->setFrameShape(QFrame::Panel);
        panes_[i]->setFrameShadow(QFrame::Sunken);
        panes_[i]->setFixedWidth(metrics.horizontalAdvance(text) + 8);
        bar->addPermanentWidget(panes_[i]);
    }
    // The active window's zoom, after the nine panes of the design.
    zoomPane_ = new QLabel(bar);
    zoomPane_->setObjectName("zoomPane");
    zoomPane_->setFrameShape(QFrame::Panel);
    zoomPane_->setFrameShadow(QFrame::Sunken);
    zoomPane_->setFixedWidth(metrics.horizontalAdvance("1600%") + 8);
    bar->addPermanentWidget(zoomPane_);
    messageClock_.start();
    setMessagePaneSink([this](const QString& text) {
        panes_[0]->setText(text);
        // Progress texts appear while a long command still holds the event loop: once it has
        // run for 50 ms, at most every 50 ms. A burst of texts from a command that ends sooner
        // (a display switch maps only the window's part) is shown by the next paint instead;
        // painting each text at once would cost more than the command itself.
        const qint64 now = messageClock_.elapsed();
        if (now - lastMessageMs_ > 500) burstStartMs_ = now;
        lastMessageMs_ = now;
        if (now - burstStartMs_ >= 50 && now - lastRepaintMs_ >= 50) {
            panes_[0]->repaint();
            lastRepaintMs_ = now;
        }
    });
    return true;
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ToolTip) return true;
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace orvane
