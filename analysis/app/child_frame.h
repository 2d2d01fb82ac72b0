// CChildFrame: the frame of one image window inside the main window, holding one COrvaneView and
// the command targets that every window gets from the window command registry.
#pragma once

#include <memory>
#include <vector>

#include <QMdiSubWindow>

#include "base/ui/command_map.h"

namespace orvane {

class COrvaneDoc;
class COrvaneView;

class CChildFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    explicit CChildFrame(const std::shared_ptr<COrvaneDoc>& document, QWidget* parent = nullptr);
    ~CChildFrame() override;

    COrvaneView* view() const { return view_; }
    // The window's command targets in routing order (after them comes the document).
    const std::vector<std::unique_ptr<CommandTarget>>& commandTargets() const { return commands_; }
    template <typename T>
    T* commandTarget() const {
        for (const auto& target : commands_)
            if (auto* found = dynamic_cast<T*>(target.get())) return found;
        return nullptr;
    }

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
    std::vector<std::unique_ptr<CommandTarget>> commands_;
};

}  // namespace orvane
