// The print and print preview dialogs opened from the File menu and closed by the test, and
// the preview's "PreviewPages" setting: read when it opens, written when it closes, kept in the
// test's own settings folder.
#include <functional>

#include <QAction>
#include <QDir>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QSettings>
#include <QTimer>
#include <QtTest>

#include "../support/gui_test.h"
#include "app/main_frame.h"
#include "base/ui/command_ids.h"
#include "view/ui/view_printing.h"

using namespace orvane;
using namespace orvane::testing_support;

namespace {

// While alive, hands every modal dialog that appears to `seen` and then rejects it, so that no
// dialog can keep a test waiting: the timer keeps firing inside the dialog's own event loop.
class ModalCloser {
public:
    explicit ModalCloser(std::function<void(QDialog&)> seen) : seen_(std::move(seen)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            ++count;
            if (seen_) seen_(*dialog);
            dialog->reject();
        });
        timer_.start(20);
    }
    int count = 0;

private:
    std::function<void(QDialog&)> seen_;
    QTimer timer_;
};

QVariant storedPages() { return QSettings().value("Settings/PreviewPages"); }

}  // namespace

class PrintDialogsTest : public GuiTest {
    Q_OBJECT
private:
    QString scan_;

    // Opens the preview from the menu; `inside` sees the preview widget before the dialog closes.
    int runPreview(CMainFrame* frame, const std::function<void(QPrintPreviewWidget&)>& inside) {
        int pagesShown = -1;
        ModalCloser closer([&](QDialog& dialog) {
            QVERIFY(qobject_cast<QPrintPreviewDialog*>(&dialog));
            auto* widget = dialog.findChild<QPrintPreviewWidget*>();
            QVERIFY(widget);
            pagesShown = widget->viewMode() == QPrintPreviewWidget::FacingPagesView ? 2 : 1;
            // The dialog's mode buttons show the mode the preview opened in.
            if (auto* facing = dialog.findChild<QAction*>("facingModeAction"))
                QCOMPARE(facing->isChecked(), pagesShown == 2);
            // The view has drawn its picture onto the preview's page.
            QCOMPARE(widget->pageCount(), 1);
            inside(*widget);
        });
        frame->OnCommand(kFilePrintPreview);
        [&] { QCOMPARE(closer.count, 1); }();
        return pagesShown;
    }

private slots:
    void initTestCase() {
        GuiTest::initTestCase();
        scan_ = writeScan(dir_, "page.tif", 80, 60);
    }
    void init() {
        QSettings settings;
        settings.clear();
        settings.sync();
    }

    void settingsStayInTheTestsFolder() {
        auto app = startApp({scan_});
        SavePreviewPages(2);
        const QString file = QSettings().fileName();
        QVERIFY2(
            file.startsWith(QDir(QString::fromStdString(dir_.file("settings"))).absolutePath()),
            qPrintable(file));
        QVERIFY(file.contains("Local AppWizard-Generated Applications"));
    }

    void previewPagesRoundTrip() {
        auto app = startApp({scan_});
        CMainFrame* frame = app->mainFrame();
        // Nothing stored: one page.
        QCOMPARE(runPreview(frame, [](QPrintPreviewWidget& w) { w.setFacingPagesViewMode(); }), 1);
        QCOMPARE(storedPages(), QVariant(2));
        QCOMPARE(LoadPreviewPages(), 2);
        QCOMPARE(runPreview(frame, [](QPrintPreviewWidget& w) { w.setSinglePageViewMode(); }), 2);
        QCOMPARE(storedPages().toInt(), 1);
        QCOMPARE(runPreview(frame, [](QPrintPreviewWidget&) {}), 1);
        QCOMPARE(storedPages().toInt(), 1);
        // The overview of all pages is more than one page side by side.
        QCOMPARE(runPreview(frame, [](QPrintPreviewWidget& w) { w.setAllPagesViewMode(); }), 1);
        QCOMPARE(storedPages().toInt(), 2);
    }

    void unusableStoredValuesReadAsOnePage_data() {
        QTest::addColumn<QVariant>("stored");
        QTest::newRow("text") << QVariant("two");
        QTest::newRow("zero") << QVariant(0);
        QTest::newRow("three") << QVariant(3);
        QTest::newRow("negative") << QVariant(-2);
    }

    void unusableStoredValuesReadAsOnePage() {
        QFETCH(QVariant, stored);
        auto app = startApp({scan_});
        QSettings().setValue("Settings/PreviewPages", stored);
        QCOMPARE(LoadPreviewPages(), 1);
        QCOMPARE(runPreview(app->mainFrame(), [](QPrintPreviewWidget&) {}), 1);
        QCOMPARE(storedPages().toInt(), 1);
    }

    void printDialogOpensAndCancels() {
        auto app = startApp({scan_});
        MessageRecorder messages;
        bool sawPrintDialog = false;
        ModalCloser closer([&](QDialog& dialog) {
            sawPrintDialog = qobject_cast<QPrintDialog*>(&dialog) != nullptr;
        });
        app->mainFrame()->OnCommand(kFilePrint);
        QCOMPARE(closer.count, 1);
        QVERIFY(sawPrintDialog);
        // Cancelled: no print job was started, so nothing failed either.
        QVERIFY(messages.texts.isEmpty());
    }
};

QTEST_MAIN(PrintDialogsTest)
#include "print_dialogs_test.moc"
