// CMainFrame: the main window. It holds the image windows in an MDI area, makes the actions
// from the command table, builds menus 128 and 129, the toolbar and the nine status-bar panes,
// routes each command to the active view, its document, itself and the application, and sets
// every enable, check and pane text in one place (updateActions).
#pragma once

#include <array>
#include <map>
#include <memory>
#include <span>

#include <QElapsedTimer>
#include <QList>
#include <QMainWindow>

#include "base/ui/command_map.h"
#include "base/ui/status_panes.h"

class QAction;
class QDockWidget;
class QLabel;
class QMdiArea;
class QMenu;
class QToolBar;

namespace orvane {

class CChildFrame;
class COrvaneApp;
class COrvaneDoc;
class COrvaneView;
class COverviewWidget;
class CSpotReview;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(COrvaneApp& app);
    ~CMainFrame() override;

    // Creates the toolbar, the status bar and the docking; false when a step fails.
    bool OnCreate();

    // A new image window on `document`; the caller runs the view's initial update.
    CChildFrame* CreateChildFrame(const std::shared_ptr<COrvaneDoc>& document);
    CChildFrame* activeChild() const;
    COrvaneView* activeView() const;
    QList<CChildFrame*> childFrames() const;
    QMdiArea* mdiArea() const { return mdi_; }

    // Runs a command through the routing, reports the core's errors, then updates the actions.
    void OnCommand(int id);
    QAction* action(int id) const;
    int currentMenu() const { return currentMenu_; }
    QToolBar* toolBar() const { return toolBar_; }
    // The "Overview" dock right of the image windows; it follows the active view.
    QDockWidget* overviewDock() const { return overviewDock_; }
    COverviewWidget* overview() const { return overview_; }
    // The "Spot Results" and "Spot Plot" docks (hidden at first) and their link to the active view.
    QDockWidget* spotResultsDock() const { return spotResultsDock_; }
    QDockWidget* spotPlotDock() const { return spotPlotDock_; }
    CSpotReview* spotReview() const { return spotReview_; }
    QLabel* pane(int index) const { return panes_[index]; }
    // Sets every enable and check state, the status-bar panes, the menu and the titles.
    void updateActions();
    // The recent files (newest first) into the File menus.
    void setRecentFiles(const QStringList& paths);

    // Commands of the frame.
    void OnAppTest();
    void OnViewToolbar();
    void OnViewStatusBar();
    void OnWindowNew();
    void OnWindowCascade();
    void OnWindowTileHorz();
    void OnWindowTileVert();
    void OnWindowArrange();
    void OnNextPane();
    void OnPrevPane();
    void OnUpdateViewToolbar(CmdUi& ui) const;
    void OnUpdateViewStatusBar(CmdUi& ui) const;
    void OnUpdateNeedsWindow(CmdUi& ui) const;

    static std::span<const CommandEntry<CMainFrame>> commandMap();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createActions();
    void createMenus();
    void createOverviewDock();
    void createReviewDocks();
    bool createToolBar();
    bool createStatusBar();
    void switchMenu(int menuId);
    void updateTitle();
    void updatePanes();
    bool routeCommand(int id);
    bool routeUpdate(int id, CmdUi& ui) const;
    QMenu* addMenu(QList<QMenu*>& bar, const char* title, std::initializer_list<int> ids);
    void fillWindowList();

    COrvaneApp& app_;
    QMdiArea* mdi_;
    QToolBar* toolBar_ = nullptr;
    QDockWidget* overviewDock_ = nullptr;
    COverviewWidget* overview_ = nullptr;
    QDockWidget* spotResultsDock_ = nullptr;
    QDockWidget* spotPlotDock_ = nullptr;
    CSpotReview* spotReview_ = nullptr;
    std::map<int, QAction*> actions_;
    QList<QMenu*> menus128_;
    QList<QMenu*> menus129_;
    QMenu* windowMenu_ = nullptr;
    QList<QAction*> windowList_;  // the open windows at the end of the Window menu
    std::array<QLabel*, kPaneCount> panes_{};
    QLabel* zoomPane_ = nullptr;
    QElapsedTimer messageClock_;
    qint64 lastMessageMs_ = -1000;
    qint64 burstStartMs_ = 0;
    qint64 lastRepaintMs_ = -1000;
    QToolBar* zoomBar_ = nullptr;
    int currentMenu_ = 0;
};

}  // namespace orvane
