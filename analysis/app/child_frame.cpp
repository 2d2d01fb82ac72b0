// The image window frame: its view and its title.
#include "app/child_frame.h"

#include <algorithm>

#include <QCloseEvent>

#include "base/ui/shell_services.h"
#include "view/ui/orvane_doc.h"
#include "view/ui/orvane_view.h"

namespace orvane {

CChildFrame::CChildFrame(const std::shared_ptr<COrvaneDoc>& document, QWidget* parent)
    : QMdiSubWindow(parent) {
    setAttribute(Qt::WA_DeleteOnClose);
    view_ = new COrvaneView(document, this);
    setWidget(view_);
    commands_ = MakeWindowCommands(view_->window());
    connect(document.get(), &COrvaneDoc::titleChanged, this, &CChildFrame::OnUpdateFrameTitle);
    connect(view_, &COrvaneView::stateChanged, this, &CChildFrame::OnUpdateFrameTitle);
    OnUpdateFrameTitle();
}

// The view outlives this part of the frame (Qt deletes children later) and tells the document
// when it goes; this frame must no longer hear about it by then.
CChildFrame::~CChildFrame() { disconnect(view_->GetDocument(), nullptr, this, nullptr); }

QString CChildFrame::windowName() const {
    const COrvaneDoc* doc = view_->GetDocument();
    QString name = doc->title();
    const auto& views = doc->views();
    if (views.size() > 1) {
        const auto index = std::find(views.begin(), views.end(), view_) - views.begin();
        name += QString(":%1").arg(index + 1);
    }
    return name;
}

void CChildFrame::OnUpdateFrameTitle() {
    QString title = windowName();
    // A grid changed since it was defined, loaded or saved.
    if (view_->model().GridUnsaved()) title += " *";
    if (title == windowTitle()) return;
    setWindowTitle(title);
    emit titleChanged();
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    if (keepOpen())
        event->ignore();
    else
        QMdiSubWindow::closeEvent(event);
}

bool CChildFrame::keepOpen() {
    if (!view_->model().GridUnsaved()) return false;
    switch (OrvaneSaveQuestion(QString("Save the grid of %1?").arg(windowName()))) {
    case SaveAnswer::Discard: return false;
    case SaveAnswer::Cancel: return true;
    case SaveAnswer::Save: break;
    }
    bool saved = false;
    const ImageWindow& window = view_->window();
    runReportingErrors([&] { saved = window.saveGrid && window.saveGrid(); });
    return !saved;
}

}  // namespace orvane
