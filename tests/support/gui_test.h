// The shared set-up of the GUI tests: a QtTest base that gives each test object its temporary
// folder, keeps the settings out of the user's home and lets closed windows go after each test;
// 16-bit scans written in that folder, message boxes and file dialogs answered by the test, a
// started application and a standard grid defined through the Grid Parameters dialog.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMouseEvent>
#include <QObject>
#include <QSettings>
#include <QStringList>

#include "app/main_frame.h"
#include "app/orvane_app.h"
#include "base/ui/command_ids.h"
#include "base/ui/modal_dialog.h"
#include "base/ui/shell_services.h"
#include "grid/ui/grid_parameters_dialog.h"
#include "temp_dir.h"
#include "tiff_writer.h"

namespace orvane::testing_support {

// A 16-bit grey scan of width x height with sample(x, y).
inline QString writeScan(const TempDir& dir, const std::string& name, std::uint32_t width,
                         std::uint32_t height,
                         const std::function<std::uint16_t(std::uint32_t, std::uint32_t)>& sample) {
    const std::string path = dir.file(name);
    if (!writeTiff(path, greyPage(width, height, sample))) std::abort();
    return QString::fromStdString(path);
}

inline QString writeScan(const TempDir& dir, const std::string& name, std::uint32_t width = 40,
                         std::uint32_t height = 30) {
    return writeScan(dir, name, width, height,
                     [](std::uint32_t x, std::uint32_t y) { return std::uint16_t(100 * x + y); });
}

// A mouse event at widget point `at`, as Qt delivers it.
inline void sendMouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button,
                      Qt::MouseButtons held, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QMouseEvent event(type, QPointF(at), w->mapToGlobal(QPointF(at)), button, held, modifiers);
    QApplication::sendEvent(w, &event);
}

// Answers every modal dialog with `script` while alive.
class DialogScript {
public:
    explicit DialogScript(std::function<int(QDialog&)> script) {
        setModalDialogHook(std::move(script));
    }
    ~DialogScript() { setModalDialogHook({}); }
};

// Keeps the per-user settings of the test in its own folder.
inline void isolateSettings(const TempDir& dir) {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(dir.file("settings")));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       QString::fromStdString(dir.file("settings")));
}

// Collects the texts of the message boxes while alive, instead of showing them.
class MessageRecorder {
public:
    MessageRecorder() {
        setMessageBoxHook([this](const QString& text, MessageIcon icon) {
            texts.append(text);
            icons.push_back(icon);
        });
    }
    ~MessageRecorder() { setMessageBoxHook({}); }
    QStringList texts;
    std::vector<MessageIcon> icons;
};

// Answers the file dialogs in order with the given paths (an empty one cancels) and records the
// requests.
class FileDialogScript {
public:
    explicit FileDialogScript(QStringList answers) : answers_(std::move(answers)) {
        setFileDialogHook([this](const FileDialogRequest& request) {
            requests.push_back(request);
            return answers_.isEmpty() ? QString() : answers_.takeFirst();
        });
    }
    ~FileDialogScript() { setFileDialogHook({}); }
    std::vector<FileDialogRequest> requests;

private:
    QStringList answers_;
};

// Lets closed windows and their documents go.
inline void processDeferredDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

// An application started with `arguments`; the test checks that start-up succeeded.
inline std::unique_ptr<COrvaneApp> startApp(const QStringList& arguments, bool* started = nullptr) {
    auto app = std::make_unique<COrvaneApp>();
    const bool ok = app->InitInstance(arguments);
    if (started) *started = ok;
    return app;
}

// Grid > Define Grid answered with 2 x 1 quads of 4 x 3 spots at 0.3 mm, origin (1, 1) mm,
// quad step 1.5 mm, spot 0.16 mm and background 0.24 mm: on a scan of 100 pixels a millimetre,
// quad [0][0] spans (100, 100) to (190, 160) and quad [1][0] starts at (250, 100).
inline void defineStandardGrid(CMainFrame* frame) {
    using D = CGridParametersDialog;
    const std::map<int, QString> texts = {
        {D::kCellsX, "4"},  {D::kCellsY, "3"},      {D::kStepX, "0.3"},  {D::kStepY, "0.3"},
        {D::kOriginX, "1"}, {D::kOriginY, "1"},     {D::kDiamD, "0.16"}, {D::kDiamBg, "0.24"},
        {D::kQuadsX, "2"},  {D::kQuadStepX, "1.5"}, {D::kQuadsY, "1"}};
    setModalDialogHook([&](QDialog& d) {
        for (const auto& [id, text] : texts)
            d.findChild<QLineEdit*>(QString::number(id))->setText(text);
        d.accept();
        return d.result();
    });
    frame->OnCommand(kGridDefine);
    setModalDialogHook({});
}

// The base of the QtTest objects that start the application: the folder of the test object's
// files and settings, isolated before the first test; closed windows and their documents let go
// after each. A test object that needs more in either calls these first.
class GuiTest : public QObject {
    Q_OBJECT
protected:
    TempDir dir_{"orvane-gui-test"};

protected slots:
    void initTestCase() {
        isolateSettings(dir_);
        // A window closed with an unsaved grid lets it go; tests of the question answer it.
        setSaveQuestionHook([](const QString&) { return SaveAnswer::Discard; });
    }
    void cleanup() { processDeferredDeletes(); }
};

}  // namespace orvane::testing_support
