// CChildFrame: the frame of one image window inside the main window, holding one COrvaneView and
// the grid and measurement commands that work on it.
#pragma once

#include <memory>

#include <QMdiSubWindow>

namespace orvane {

class CGridCommands;
class CMeasureCommands;
class COrvaneDoc;
class COrvaneView;

class CChildFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    explicit CChildFrame(const std::shared_ptr<COrvaneDoc>& document, QWidget* parent = nullptr);
    ~CChildFrame() override;

    COrvaneView* view() const { return view_; }
    CGridCommands& gridCommands() const { return *gridCommands_; }
    CMeasureCommands& measureCommands() const { return *measureCommands_; }

    // The document's title, with the window number when the document has several windows, and
    // " *" while the window's grid is unsaved.
    void OnUpdateFrameTitle();
    QString windowName() const;

signals:
    void titleChanged();

protected:
    // A window with an unsaved grid asks first: Save (through Save Grid), Discard or Cancel.
    void closeEvent(QCloseEvent* event) override;

private:
    bool keepOpen();

    COrvaneView* view_;
    // Gone before the view, which Qt deletes with the frame's children.
    std::unique_ptr<CGridCommands> gridCommands_;
    std::unique_ptr<CMeasureCommands> measureCommands_;
};

}  // namespace orvane
