// Edit › Undo and Redo in an image window: each kind of step taken back to the grid file's bytes
// and redone, the menu texts, the unsaved mark in the title and the question before an unsaved
// grid is closed.
#include <QtTest>

#include "../support/gui_test.h"
#include "app/child_frame.h"
#include "grid/grid_file.h"
#include "view/ui/orvane_doc.h"
#include "view/ui/orvane_view.h"

using namespace orvane;
using namespace orvane::testing_support;

namespace {

void dragFrom(COrvaneView* v, QPoint from, QPoint to, Qt::KeyboardModifiers m = Qt::NoModifier) {
    QWidget* port = v->viewport();
    sendMouse(port, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton, m);
    sendMouse(port, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    sendMouse(port, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

// Bright discs of radius 6 on a 30-pixel pitch, 3 pixels right of and 2 below the standard
// grid's spots, so that the adjustments and Auto Place have something to move to.
std::uint16_t offsetSpots(std::uint32_t x, std::uint32_t y) {
    const int dx = (static_cast<int>(x) + 17) % 30 - 10;
    const int dy = (static_cast<int>(y) + 18) % 30 - 10;
    return dx * dx + dy * dy < 36 ? 20000 : 500;
}

// Answers the save question with `answer` while alive and counts the questions.
struct SaveAnswers {
    explicit SaveAnswers(SaveAnswer answer) {
        setSaveQuestionHook([this, answer](const QString& text) {
            asked.append(text);
            return answer;
        });
    }
    ~SaveAnswers() {
        setSaveQuestionHook([](const QString&) { return SaveAnswer::Discard; });
    }
    QStringList asked;
};

}  // namespace

class UndoTest : public GuiTest {
    Q_OBJECT
    std::unique_ptr<COrvaneApp> app_;
    CMainFrame* frame_ = nullptr;
    COrvaneView* view_ = nullptr;

    void openWithGrid() {
        app_ = startApp({writeScan(dir_, "spots.tif", 400, 300, offsetSpots)});
        frame_ = app_->mainFrame();
        view_ = frame_->activeView();
        view_->parentWidget()->resize(500, 400);
        defineStandardGrid(frame_);
    }
    std::string gridBytes() {
        const std::string path = dir_.file("now.grd");
        SaveGrid(view_->model().editor().grid(), path);
        return readFile(path);
    }
    QString menuText(int id) {
        frame_->updateActions();
        return frame_->action(id)->text();
    }
    QString title() const { return frame_->activeChild()->windowTitle(); }

private slots:
    void cleanup() {
        app_.reset();
        GuiTest::cleanup();
    }

    void everyKindOfStepUndoesToTheSameBytes() {
        openWithGrid();
        QCOMPARE(menuText(kEditUndo), QString("&Undo Define Grid\tCtrl+Z"));
        QVERIFY(!title().endsWith(" *"));
        const auto select = [&] { dragFrom(view_, {161, 131}, {161, 131}); };  // a click: no step
        const struct {
            const char* name;
            std::function<void()> change;
            std::function<void()> setUp = [] {};
        } steps[] = {
            {"Move Corner",
             [&] {
                 dragFrom(view_, {102, 101}, {120, 110});
             }},
            {"Move Quad",
             [&] {
                 dragFrom(view_, {253, 102}, {263, 112}, Qt::ShiftModifier);
             }},
            {"Mark Spot", [&] { QTest::keyClick(view_, Qt::Key_X); }, select},
            {"Remove Marks", [&] { QTest::keyClick(view_, Qt::Key_R); }},
            {"Adjust Grid CM", [&] { frame_->OnCommand(kGridAdjustCM); }},
            {"Define Grid", [&] { defineStandardGrid(frame_); }},
        };
        for (const auto& step : steps) {
            step.setUp();
            const std::string before = gridBytes();
            step.change();
            const std::string after = gridBytes();
            QVERIFY2(after != before, step.name);
            QCOMPARE(menuText(kEditUndo), QString("&Undo %1\tCtrl+Z").arg(step.name));
            frame_->OnCommand(kEditUndo);
            QVERIFY2(gridBytes() == before, step.name);
            QCOMPARE(menuText(kEditRedo), QString("&Redo %1\tCtrl+Y").arg(step.name));
            frame_->OnCommand(kEditRedo);
            QVERIFY2(gridBytes() == after, step.name);
        }
        QVERIFY(!title().endsWith(" *"));  // redone up to the Define Grid
        frame_->OnCommand(kEditUndo);
        QVERIFY(title().endsWith(" *"));
    }

    void unsavedGridAsksBeforeItCloses_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("file");  // the Save Grid dialog's answer
        QTest::addColumn<bool>("closed");
        QTest::newRow("cancel") << int(SaveAnswer::Cancel) << "" << false;
        QTest::newRow("discard") << int(SaveAnswer::Discard) << "" << true;
        QTest::newRow("save") << int(SaveAnswer::Save) << "kept.grd" << true;
        QTest::newRow("save, file dialog cancelled") << int(SaveAnswer::Save) << "" << false;
    }
    void unsavedGridAsksBeforeItCloses() {
        QFETCH(int, answer);
        QFETCH(QString, file);
        QFETCH(bool, closed);
        openWithGrid();
        dragFrom(view_, {102, 101}, {120, 110});
        QVERIFY(title().endsWith(" *"));
        const std::string unsaved = gridBytes();
        const QString path =
            file.isEmpty() ? "" : QString::fromStdString(dir_.file(file.toStdString()));
        FileDialogScript files({path});
        SaveAnswers answers(static_cast<SaveAnswer>(answer));
        frame_->OnCommand(kAppExit);
        QCOMPARE(answers.asked, QStringList{"Save the grid of spots.tif?"});
        QCOMPARE(frame_->childFrames().isEmpty(), closed);
        if (!file.isEmpty()) QCOMPARE(readFile(path.toStdString()), unsaved);
        if (!closed) {
            QVERIFY(frame_->activeView()->GetDocument()->layerCount() > 0);
            frame_->OnCommand(kFileClose);  // the document's own Close asks the same
            QCOMPARE(answers.asked.size(), 2);
            QVERIFY(frame_->activeView()->GetDocument()->layerCount() > 0);
        }
    }
};

QTEST_MAIN(UndoTest)
#include "undo_test.moc"
