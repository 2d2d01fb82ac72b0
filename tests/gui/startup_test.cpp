// Start-up and documents: the menus with and without an image window, titles, the command line
// with overlays, the recent-file list, and the open failures.
#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

#include "../support/gui_test.h"
#include "app/child_frame.h"
#include "app/main_frame.h"
#include "base/core_error.h"
#include "base/ui/command_ids.h"
#include "view/ui/orvane_doc.h"
#include "view/ui/orvane_view.h"

using namespace orvane;
using namespace orvane::testing_support;

namespace {

QStringList menuTitles(CMainFrame* frame) {
    QStringList titles;
    for (QAction* action : frame->menuBar()->actions()) titles.append(action->text());
    return titles;
}

// The items of a menu as shown, separators as "-", hidden entries left out.
QStringList menuItems(CMainFrame* frame, const QString& title) {
    for (QAction* menuAction : frame->menuBar()->actions()) {
        if (menuAction->text() != title) continue;
        QStringList items;
        for (QAction* item : menuAction->menu()->actions()) {
            if (!item->isVisible()) continue;
            items.append(item->isSeparator() ? QString("-") : item->text());
        }
        return items;
    }
    return {};
}

}  // namespace

class StartupTest : public GuiTest {
    Q_OBJECT
private slots:

    void init() {
        QSettings settings;
        settings.clear();
    }

    void startsWithoutDocumentOnMenu128() {
        bool started = false;
        auto app = startApp({}, &started);
        QVERIFY(started);
        CMainFrame* frame = app->mainFrame();
        QCOMPARE(frame->currentMenu(), kMenuMainFrame);
        QVERIFY(frame->childFrames().isEmpty());
        QCOMPARE(frame->windowTitle(), QString("Orvane"));
        QCOMPARE(menuTitles(frame), (QStringList{"&File", "&View", "&Help"}));
        QCOMPARE(menuItems(frame, "&File"), (QStringList{"&Open...\tCtrl+O", "-", "P&rint Setup...",
                                                         "-", "Recent File", "-", "E&xit"}));
        QCOMPARE(menuItems(frame, "&Help"), (QStringList{"&About Orvane...", "Test"}));
        QVERIFY(!frame->action(kFileMruFile1)->isEnabled());  // the empty list
        QVERIFY(!frame->action(kFilePrint)->isEnabled());     // no view to print
        for (int pane = 1; pane < kPaneCount; ++pane) QVERIFY(frame->pane(pane)->text().isEmpty());
        QCOMPARE(frame->pane(0)->text(), QString("Ready"));
    }

    void fileArgumentOpensOnMenu129() {
        const QString path = writeScan(dir_, "first.tif");
        bool started = false;
        auto app = startApp({path}, &started);
        QVERIFY(started);
        CMainFrame* frame = app->mainFrame();
        QCOMPARE(frame->childFrames().size(), 1);
        QCOMPARE(frame->currentMenu(), kMenuImage);
        QCOMPARE(frame->windowTitle(), QString("Orvane - first.tif"));
        QCOMPARE(frame->activeChild()->windowTitle(), QString("first.tif"));
        QCOMPARE(menuTitles(frame), (QStringList{"&File", "&Edit", "&View", "&Image", "&Selection",
                                                 "&Grid", "&Window", "&Help"}));
        QCOMPARE(menuItems(frame, "&File").first(), QString("&Open Image...\tCtrl+O"));
        QCOMPARE(QDir::currentPath(), QString::fromStdString(dir_.path().string()));
        // The edit commands exist in the menu but nothing handles them.
        QVERIFY(!frame->action(kEditCopy)->isEnabled());

        // Closing the document returns to menu 128 and empties the panes.
        frame->OnCommand(kFileClose);
        processDeferredDeletes();
        frame->updateActions();
        QCOMPARE(frame->currentMenu(), kMenuMainFrame);
        QCOMPARE(frame->windowTitle(), QString("Orvane"));
        QVERIFY(frame->pane(6)->text().isEmpty());
    }

    void twoOverlaysNameEveryLayerAndDisableOverlay() {
        const QString first = writeScan(dir_, "first.tif");
        const QString second = writeScan(dir_, "second.tif");
        const QString third = writeScan(dir_, "third.raw.tif");
        bool started = false;
        auto app = startApp({first, second, third}, &started);
        QVERIFY(started);
        CMainFrame* frame = app->mainFrame();
        COrvaneView* view = frame->activeView();
        QCOMPARE(view->GetDocument()->layerCount(), 3);
        const QString caption("first (red), second (green), third (blue)");
        QCOMPARE(frame->activeChild()->windowTitle(), caption);
        QCOMPARE(frame->windowTitle(), "Orvane - " + caption);
        QVERIFY(!frame->action(kOverlayImage)->isEnabled());
    }

    // Regression: the second of two relative names was looked up in the first file's folder.
    void relativeNamesOnTheCommandLine() {
        writeScan(dir_, "rel1.tif");
        writeScan(dir_, "rel2.tif");
        const QString start = QDir::currentPath();
        QDir::setCurrent(QString::fromStdString(dir_.path().parent_path().string()));
        const QString folder = QString::fromStdString(dir_.path().filename().string());
        bool started = false;
        auto app = startApp({folder + "/rel1.tif", folder + "/rel2.tif"}, &started);
        QDir::setCurrent(start);
        QVERIFY(started);
        QCOMPARE(app->mainFrame()->activeView()->GetDocument()->layerCount(), 2);
    }

    void overlayCommandUsesItsDialogAndRefusesAnotherSize() {
        const QString first = writeScan(dir_, "a.tif", 40, 30);
        const QString wrong = writeScan(dir_, "b.tif", 30, 40);
        auto app = startApp({first});
        CMainFrame* frame = app->mainFrame();
        MessageRecorder messages;
        FileDialogScript dialogs({wrong});
        frame->OnCommand(kOverlayImage);
        QCOMPARE(dialogs.requests.size(), size_t(1));
        QCOMPARE(dialogs.requests[0].initialName, QString("Overlay TIFF file"));
        QCOMPARE(dialogs.requests[0].filter, QString("TIFF Files (*.Tif)"));
        QCOMPARE(
            messages.texts,
            QStringList{"Only images with identical dimentions / color depth can be overlayed."});
        QCOMPARE(frame->activeView()->GetDocument()->layerCount(), 1);
        QCOMPARE(frame->activeChild()->windowTitle(), QString("a.tif"));
        QVERIFY(frame->action(kOverlayImage)->isEnabled());
    }

    void failedOpenOpensNoWindow() {
        const QString bogus = QString::fromStdString(dir_.file("not-a-tiff.tif"));
        QFile file(bogus);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("plain text, not a TIFF");
        file.close();
        auto app = startApp({});
        MessageRecorder messages;
        QVERIFY(app->OpenDocumentFile(bogus) == nullptr);
        QVERIFY(app->OpenDocumentFile(QString::fromStdString(dir_.file("missing.tif"))) == nullptr);
        QVERIFY(app->mainFrame()->childFrames().isEmpty());
        QCOMPARE(messages.texts.size(),
                 3);  // libtiff's own text, the open failure, the missing file
        QCOMPARE(messages.texts.last(), QString("Failed to open document."));
        QVERIFY(app->recentFiles().files().isEmpty());
    }

    void hugeHeaderIsRefused() {
        const std::string path = dir_.file("huge.tif");
        writeDirectoryFirstTiff(path, 100000, 100000, 1, 4096);
        auto app = startApp({});
        MessageRecorder messages;
        // A header claiming far more than the file holds is refused before any allocation.
        QVERIFY(app->OpenDocumentFile(QString::fromStdString(path)) == nullptr);
        QVERIFY(messages.texts.last().contains("huge.tif"));
        QVERIFY(app->mainFrame()->childFrames().isEmpty());
        // A command abandoned for want of memory gives the one report, with the exclamation icon.
        QVERIFY(!runReportingErrors([] { throw OutOfMemoryError(); }));
        QCOMPARE(messages.texts.last(), QString("Out of memory."));
        QCOMPARE(messages.icons.back(), MessageIcon::Exclamation);
    }

    void commandLineWithUnreadableFileEndsStartUp() {
        MessageRecorder messages;
        bool started = true;
        auto app = startApp({QString::fromStdString(dir_.file("missing.tif"))}, &started);
        QVERIFY(!started);
        QCOMPARE(app->exitCode(), 1);
    }

    void recentFilesNewestFirstAtMostFour() {
        auto app = startApp({});
        QStringList paths;
        for (int i = 0; i < 5; ++i) {
            paths.append(writeScan(dir_, "recent" + std::to_string(i) + ".tif"));
            QVERIFY(app->OpenDocumentFile(paths.last()));
        }
        // Already open: its window comes forward, the list stays as it is.
        QCOMPARE(app->OpenDocumentFile(paths[2]), app->mainFrame()->childFrames()[2]->view());
        const QStringList expected{paths[4], paths[3], paths[2], paths[1]};
        QCOMPARE(app->recentFiles().files(), expected);
        QSettings settings;
        settings.beginGroup("Recent File List");
        QCOMPARE(settings.childKeys(), (QStringList{"File1", "File2", "File3", "File4"}));
        for (int i = 0; i < 4; ++i)
            QCOMPARE(settings.value(QString("File%1").arg(i + 1)).toString(), expected[i]);
        CMainFrame* frame = app->mainFrame();
        QCOMPARE(frame->action(kFileMruFile1)->text(), "&1 " + paths[4]);
        QVERIFY(frame->action(kFileMruFile1)->isEnabled());
        QCOMPARE(frame->childFrames().size(), 5);  // reopening did not add a window

        // The list survives the program.
        app.reset();
        processDeferredDeletes();
        auto again = startApp({});
        QCOMPARE(again->recentFiles().files(), expected);
    }

    void newDocumentIsUntitledWithoutLayers() {
        auto app = startApp({});
        CMainFrame* frame = app->mainFrame();
        frame->OnCommand(kFileNew);
        QCOMPARE(frame->activeChild()->windowTitle(), QString("Untitled"));
        QCOMPARE(frame->activeView()->GetDocument()->layerCount(), 0);
        QVERIFY(!frame->action(kExportTiff)->isEnabled());
        QCOMPARE(frame->pane(8)->text(), QString("I: "));
    }

    void maximisedWindowTitle() {
        auto app = startApp({writeScan(dir_, "max.tif")});
        CMainFrame* frame = app->mainFrame();
        frame->activeChild()->showMaximized();
        frame->updateActions();
        frame->updateActions();  // stable: no second bracket appears
        QCOMPARE(frame->windowTitle(), QString("Orvane - [max.tif]"));
        frame->activeChild()->showNormal();
        frame->updateActions();
        QCOMPARE(frame->windowTitle(), QString("Orvane - max.tif"));
    }

    void newWindowNumbersTheWindows() {
        const QString path = writeScan(dir_, "win.tif");
        auto app = startApp({path});
        CMainFrame* frame = app->mainFrame();
        frame->OnCommand(kWindowNew);
        QCOMPARE(frame->childFrames().size(), 2);
        QCOMPARE(frame->childFrames()[0]->windowTitle(), QString("win.tif:1"));
        QCOMPARE(frame->childFrames()[1]->windowTitle(), QString("win.tif:2"));
        // The Window menu lists them, the active one checked.
        QMenu* windowMenu = nullptr;
        for (QAction* menuAction : frame->menuBar()->actions())
            if (menuAction->text() == "&Window") windowMenu = menuAction->menu();
        QVERIFY(windowMenu);
        emit windowMenu->aboutToShow();
        const QStringList items = menuItems(frame, "&Window");
        QCOMPARE(items.mid(5), (QStringList{"-", "&1 win.tif:1", "&2 win.tif:2"}));
        QVERIFY(windowMenu->actions().last()->isChecked());
        frame->childFrames()[1]->close();
        processDeferredDeletes();
        QCOMPARE(frame->childFrames()[0]->windowTitle(), QString("win.tif"));
    }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
