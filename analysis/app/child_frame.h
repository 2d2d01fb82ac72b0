// CChildFrame: the frame of one image window inside the main window, holding one COrvaneView.
#pragma once

#include <memory>

#include <QMdiSubWindow>

namespace orvane {

class COrvaneDoc;
class COrvaneView;

class CChildFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    explicit CChildFrame(std::shared_ptr<COrvaneDoc> document, QWidget* parent = nullptr);
    ~CChildFrame() override;

    COrvaneView* view() const { return view_; }

    // The document's title, with the window number when the document has several windows.
    void OnUpdateFrameTitle();

signals:
    void titleChanged();

private:
    COrvaneView* view_;
};

}  // namespace orvane
