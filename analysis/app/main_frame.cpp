// The main window's routing of commands, its single update of every action and pane, the window
// titles and the frame's own commands.
#include "app/main_frame.h"

#include <algorithm>

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

#include "app/child_frame.h"
#include "app/command_table.h"
#include "app/orvane_app.h"
#include "app/test_list_dialog.h"
#include "base/ui/command_ids.h"
#include "base/ui/shell_services.h"
#include "measure/ui/spot_review.h"
#include "view/ui/orvane_doc.h"
#include "view/ui/orvane_view.h"
#include "view/ui/overview_widget.h"
#include "view/ui/window_panes.h"

namespace orvane {

CMainFrame::CMainFrame(COrvaneApp& app) : app_(app), mdi_(new QMdiArea(this)) {
    setWindowTitle(kAppTitle);
    setCentralWidget(mdi_);
    connect(mdi_, &QMdiArea::subWindowActivated, this, &CMainFrame::updateActions);
    createActions();
    createOverviewDock();
    createReviewDocks();
    createMenus();
}

CMainFrame::~CMainFrame() {
    setMessagePaneSink({});
    // The docks go before the views that feed them.
    overview_->setWindow(nullptr);
    spotReview_->setWindow(nullptr);
    // The windows, views and the MDI area go after this part of the frame is gone; none of
    // their last signals may reach it.
    for (QObject* child : findChildren<QObject*>())
        QObject::disconnect(child, nullptr, this, nullptr);
}

CChildFrame* CMainFrame::CreateChildFrame(const std::shared_ptr<COrvaneDoc>& document) {
    auto* frame = new CChildFrame(document, mdi_);
    mdi_->addSubWindow(frame);
    connect(frame->view(), &COrvaneView::stateChanged, this, &CMainFrame::updateActions);
    connect(frame, &CChildFrame::titleChanged, this, &CMainFrame::updateActions);
    connect(frame, &QObject::destroyed, this, &CMainFrame::updateActions, Qt::QueuedConnection);
    // A new window takes most of the area, as a new document window usually does; a little is
    // left so that the windows behind it stay reachable.
    // Before the main window is first shown its area has no size yet: take it from the window.
    const QSize area = isVisible() ? mdi_->viewport()->size() : size() - QSize(0, 120);
    frame->resize(std::max(640, area.width() * 4 / 5), std::max(480, area.height() * 4 / 5));
    frame->show();
    mdi_->setActiveSubWindow(frame);
    return frame;
}

CChildFrame* CMainFrame::activeChild() const {
    // The current window also while the application is inactive (offscreen, or another program
    // in front): commands and panes follow it.
    auto* frame = qobject_cast<CChildFrame*>(mdi_->currentSubWindow());
    if (frame && !frame->isVisible()) return nullptr;  // being closed
    return frame;
}

COrvaneView* CMainFrame::activeView() const {
    CChildFrame* frame = activeChild();
    return frame ? frame->view() : nullptr;
}

QList<CChildFrame*> CMainFrame::childFrames() const {
    QList<CChildFrame*> frames;
    for (QMdiSubWindow* window : mdi_->subWindowList()) {
        if (auto* frame = qobject_cast<CChildFrame*>(window); frame && frame->isVisible())
            frames.append(frame);
    }
    return frames;
}

QAction* CMainFrame::action(int id) const {
    const auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

// The active window's command targets, its document; then the frame and the application.
bool CMainFrame::routeCommand(int id) {
    if (CChildFrame* child = activeChild()) {
        for (const auto& target : child->commandTargets())
            if (target->Run(id)) return true;
        if (dispatchCommand(COrvaneDoc::commandMap(), *child->view()->GetDocument(), id))
            return true;
    }
    if (dispatchCommand(commandMap(), *this, id)) return true;
    return dispatchCommand(COrvaneApp::commandMap(), app_, id);
}

bool CMainFrame::routeUpdate(int id, CmdUi& ui) const {
    if (const CChildFrame* child = activeChild()) {
        for (const auto& target : child->commandTargets())
            if (target->Update(id, ui)) return true;
        if (updateCommand(COrvaneDoc::commandMap(), *child->view()->GetDocument(), id, ui))
            return true;
    }
    if (updateCommand(commandMap(), *this, id, ui)) return true;
    return updateCommand(COrvaneApp::commandMap(), app_, id, ui);
}

void CMainFrame::OnCommand(int id) {
    runReportingErrors([&] { routeCommand(id); });
    updateActions();
}

void CMainFrame::updateActions() {
    for (const auto& [id, action] : actions_) {
        CmdUi ui;
        // A command nobody on the route handles is disabled, as the Edit commands always are.
        const bool handled = routeUpdate(id, ui);
        action->setEnabled(handled && ui.enabled);
        if (ui.text) {
            // The accelerator's label stays as the table gives it.
            const QString spec = findCommandSpec(id)->text;
            const qsizetype tabAt = spec.indexOf('\t');
            action->setText(QString::fromStdString(*ui.text) + (tabAt < 0 ? "" : spec.mid(tabAt)));
        }
        if (action->isCheckable()) action->setChecked(handled && ui.checked.value_or(false));
    }
    switchMenu(activeChild() ? kMenuImage : kMenuMainFrame);
    ImageWindow* window = activeView() ? &activeView()->window() : nullptr;
    overview_->setWindow(window);
    spotReview_->setWindow(window);
    updateTitle();
    updatePanes();
}

void CMainFrame::updatePanes() {
    const COrvaneView* view = activeView();
    for (int i = 1; i < kPaneCount; ++i) {
        if (!panes_[i]) continue;
        // A pane whose owner is not active stays empty.
        panes_[i]->setText(view ? WindowPaneText(view->window(), kStatusPanes[i].id) : QString());
    }
    if (zoomPane_)
        zoomPane_->setText(view ? QString::fromStdString(view->model().zoom().PercentText())
                                : QString());
}

void CMainFrame::updateTitle() {
    const CChildFrame* frame = activeChild();
    if (!frame) {
        setWindowTitle(kAppTitle);
        return;
    }
    const QString document = frame->view()->GetDocument()->title();
    if (frame->isMaximized()) {
        // A maximised window's title joins the main window's as "Orvane - [title]"; the MDI
        // area appends the bracketed part to whatever this window's own title is.
        const QString joined = QString("%1 - [%2]").arg(kAppTitle, frame->windowTitle());
        if (windowTitle() != joined) setWindowTitle(kAppTitle);
        return;
    }
    setWindowTitle(QString("%1 - %2").arg(kAppTitle, document));
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // A window whose grid is unsaved asks first; one the user keeps keeps the program open.
    mdi_->closeAllSubWindows();
    if (childFrames().isEmpty())
        event->accept();
    else
        event->ignore();
}

void CMainFrame::OnAppTest() {
    CTestListDialog dialog(this);
    dialog.exec();
}

void CMainFrame::OnViewToolbar() { toolBar_->setVisible(!toolBar_->isVisible()); }
void CMainFrame::OnViewStatusBar() { statusBar()->setVisible(!statusBar()->isVisible()); }
void CMainFrame::OnUpdateViewToolbar(CmdUi& ui) const {
    ui.checked = toolBar_ && toolBar_->isVisible();
}
void CMainFrame::OnUpdateViewStatusBar(CmdUi& ui) const { ui.checked = statusBar()->isVisible(); }
void CMainFrame::OnUpdateNeedsWindow(CmdUi& ui) const { ui.enabled = activeChild() != nullptr; }

void CMainFrame::OnWindowNew() {
    const CChildFrame* frame = activeChild();
    if (!frame) return;
    CChildFrame* added = CreateChildFrame(frame->view()->window().document);
    added->view()->OnInitialUpdate();
}

void CMainFrame::OnWindowCascade() { mdi_->cascadeSubWindows(); }
void CMainFrame::OnWindowTileHorz() { mdi_->tileSubWindows(); }

void CMainFrame::OnWindowTileVert() {
    // Side by side, each window the full height of the area.
    const QList<CChildFrame*> frames = childFrames();
    if (frames.isEmpty()) return;
    const int width = mdi_->viewport()->width() / static_cast<int>(frames.size());
    int x = 0;
    for (CChildFrame* frame : frames) {
        frame->showNormal();
        frame->setGeometry(x, 0, width, mdi_->viewport()->height());
        x += width;
    }
}

void CMainFrame::OnWindowArrange() {
    // Minimised windows in a row along the bottom of the area.
    int x = 0;
    for (CChildFrame* frame : childFrames()) {
        if (!frame->isMinimized()) continue;
        frame->move(x, mdi_->viewport()->height() - frame->height());
        x += frame->width();
    }
}

// An image window has a single pane, so the next and the previous pane are the view itself.
void CMainFrame::OnNextPane() {
    if (COrvaneView* view = activeView()) view->setFocus();
}
void CMainFrame::OnPrevPane() { OnNextPane(); }

std::span<const CommandEntry<CMainFrame>> CMainFrame::commandMap() {
    using F = CMainFrame;
    static const CommandEntry<F> map[] = {
        {kAppTest, &F::OnAppTest, nullptr},
        {kViewToolbar, &F::OnViewToolbar, &F::OnUpdateViewToolbar},
        {kViewStatusBar, &F::OnViewStatusBar, &F::OnUpdateViewStatusBar},
        {kWindowNew, &F::OnWindowNew, &F::OnUpdateNeedsWindow},
        {kWindowCascade, &F::OnWindowCascade, &F::OnUpdateNeedsWindow},
        {kWindowTileHorz, &F::OnWindowTileHorz, &F::OnUpdateNeedsWindow},
        {kWindowTileVert, &F::OnWindowTileVert, &F::OnUpdateNeedsWindow},
        {kWindowArrange, &F::OnWindowArrange, &F::OnUpdateNeedsWindow},
        {kNextPane, &F::OnNextPane, &F::OnUpdateNeedsWindow},
        {kPrevPane, &F::OnPrevPane, &F::OnUpdateNeedsWindow},
    };
    return map;
}

}  // namespace orvane
