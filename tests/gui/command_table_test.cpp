// The command table: every command has a handler on the route, menu 129 lists every item with
// its text and separators, the accelerators reach their commands, the toolbar keeps its order.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QtTest>

#include "../support/gui_test.h"
#include "app/command_table.h"
#include "app/main_frame.h"
#include "base/ui/command_ids.h"
#include "grid/ui/grid_commands.h"
#include "measure/ui/measure_commands.h"
#include "view/ui/image_commands.h"
#include "view/ui/orvane_doc.h"
#include "view/ui/view_commands.h"

using namespace orvane;
using namespace orvane::testing_support;

namespace {

template <typename T>
bool handles(int id) {
    return findCommand(T::commandMap(), id) != nullptr;
}

QStringList itemsOf(QMenu* menu) {
    QStringList items;
    for (QAction* item : menu->actions()) {
        if (item->isVisible()) items.append(item->isSeparator() ? QString("-") : item->text());
    }
    return items;
}

}  // namespace

class CommandTableTest : public GuiTest {
    Q_OBJECT
private slots:

    void everyCommandHasAHandler() {
        for (const CommandSpec& row : commandSpecs()) {
            const int targets = handles<CViewCommands>(row.id) + handles<CImageCommands>(row.id) +
                                handles<CGridCommands>(row.id) + handles<CMeasureCommands>(row.id) +
                                handles<COrvaneDoc>(row.id) + handles<CMainFrame>(row.id) +
                                handles<COrvaneApp>(row.id);
            if (isUnhandledByDesign(row.id)) {
                QVERIFY2(targets == 0, qPrintable(QString("%1 must stay unhandled").arg(row.id)));
            } else {
                QVERIFY2(targets >= 1,
                         qPrintable(QString("command %1 has no handler").arg(row.id)));
            }
        }
    }

    // Every handler's command is in the table, and no target grows past 25 commands: new ones
    // go to a command class of their subsystem.
    void everyHandlerIsInTheTable() {
        auto check = [](auto map) {
            QVERIFY(map.size() <= 25);
            for (const auto& entry : map)
                QVERIFY2(findCommandSpec(entry.id), qPrintable(QString::number(entry.id)));
        };
        check(CViewCommands::commandMap());
        check(CImageCommands::commandMap());
        check(CGridCommands::commandMap());
        check(CMeasureCommands::commandMap());
        check(COrvaneDoc::commandMap());
        check(CMainFrame::commandMap());
        check(COrvaneApp::commandMap());
    }

    void menu129ListsEveryItem() {
        auto app = startApp({writeScan(dir_, "m.tif")});
        CMainFrame* frame = app->mainFrame();
        QMap<QString, QStringList> menus;
        for (QAction* menuAction : frame->menuBar()->actions())
            menus[menuAction->text()] = itemsOf(menuAction->menu());
        QCOMPARE(menus["&File"],
                 (QStringList{"&Open Image...\tCtrl+O", "Overlay Image...\tCtrl+L",
                              "Export 8-bit TIFF...\tCtrl+S", "&Close", "-", "&Print...\tCtrl+P",
                              "Print Pre&view", "P&rint Setup...", "-",
                              "&1 " + app->recentFiles().files().first(), "-", "E&xit"}));
        QCOMPARE(menus["&Edit"], (QStringList{"&Undo\tCtrl+Z", "&Redo\tCtrl+Y", "-", "Cu&t\tCtrl+X",
                                              "&Copy\tCtrl+C", "&Paste\tCtrl+V"}));
        QCOMPARE(menus["&View"],
                 (QStringList{"&Toolbar", "&Status Bar", "-", "Zoom In\tCtrl++", "Zoom Out\tCtrl+-",
                              "Fit in Window\tCtrl+0", "Actual Pixels\tCtrl+1", "-", "Overview",
                              "Spot Results", "Spot Plot"}));
        QCOMPARE(menus["&Image"], (QStringList{"Subtract Background", "Filter Image (3x3 mean)",
                                               "Filter Image (3x3 median)"}));
        QCOMPARE(menus["&Selection"], (QStringList{"Show Selection Statistics...",
                                                   "Show Selection Pairs...", "Save Raw Data..."}));
        QCOMPARE(menus["&Grid"],
                 (QStringList{"&Define Grid...", "Load Grid...", "Save Grid...", "-",
                              "&Find / Highlight Genes...\tCtrl+F", "Mark Spots Not Found...", "-",
                              "&Adjust Grid 2DW", "Adjust Grid 1DW", "Adjust Grid CM",
                              "Auto Place Grid", "-", "&Extract Grid Data",
                              "Export GenePix Results...", "Grid Data &Histogram..."}));
        QCOMPARE(menus["&Window"], (QStringList{"&New Window", "&Cascade", "Tile &Horizontally",
                                                "Tile &Vertically", "&Arrange Icons"}));
        QCOMPARE(menus["&Help"], QStringList{"&About Orvane..."});
    }

    void acceleratorsAndPrompts_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("prompt");
        QTest::newRow("open") << int(kFileOpen) << "Ctrl+O"
                              << "Open an existing document";
        QTest::newRow("new") << int(kFileNew) << "Ctrl+N"
                             << "Create a new document";
        QTest::newRow("print") << int(kFilePrint) << "Ctrl+P"
                               << "Print the active document";
        QTest::newRow("find") << int(kGridFind) << "Ctrl+F"
                              << "Find and highlight Genes in a grid by their UID / Description";
        QTest::newRow("overlay") << int(kOverlayImage) << "Ctrl+L"
                                 << "Add another image as overlay";
        // Ctrl+S exports: it never saves over the opened scan.
        QTest::newRow("export")
            << int(kExportTiff) << "Ctrl+S"
            << "Export scaled / postprocessed RGB image (not usable for data extraction).";
        QTest::newRow("undo") << int(kEditUndo) << "Ctrl+Z, Alt+Backspace"
                              << "Undo the last action";
        QTest::newRow("cut") << int(kEditCut) << "Ctrl+X, Shift+Del"
                             << "Cut the selection and put it on the Clipboard";
        QTest::newRow("copy") << int(kEditCopy) << "Ctrl+C, Ctrl+Ins"
                              << "Copy the selection and put it on the Clipboard";
        QTest::newRow("paste") << int(kEditPaste) << "Ctrl+V, Shift+Ins"
                               << "Insert Clipboard contents";
        QTest::newRow("next pane") << int(kNextPane) << "F6"
                                   << "Switch to the next window pane";
        QTest::newRow("previous pane") << int(kPrevPane) << "Shift+F6"
                                       << "Switch back to the previous window pane";
        QTest::newRow("histogram") << int(kGridHistogram) << ""
                                   << "View Data Histogram / Adjust Image balance.";
        QTest::newRow("linear") << int(kDisplayLinear) << ""
                                << "Linear Intesity Display";
        QTest::newRow("channel 1") << int(kChannel1) << ""
                                   << "";
        QTest::newRow("zoom in") << int(kZoomIn) << "Ctrl++, Ctrl+="
                                 << "Enlarge the picture";
        QTest::newRow("zoom out") << int(kZoomOut) << "Ctrl+-"
                                  << "Reduce the picture";
        QTest::newRow("fit") << int(kZoomFit) << "Ctrl+0"
                             << "Show the whole scan in the window";
        QTest::newRow("actual pixels") << int(kZoomActual) << "Ctrl+1"
                                       << "One screen pixel per image pixel";
    }

    void acceleratorsAndPrompts() {
        QFETCH(int, id);
        QFETCH(QString, keys);
        QFETCH(QString, prompt);
        auto app = startApp({});
        QAction* action = app->mainFrame()->action(id);
        QVERIFY(action);
        QStringList bound;
        for (const QKeySequence& sequence : action->shortcuts()) bound.append(sequence.toString());
        QCOMPARE(bound.join(", "), keys);
        QCOMPARE(action->statusTip(), prompt);
    }

    void toolbarOrder() {
        auto app = startApp({});
        QToolBar* bar = app->mainFrame()->toolBar();
        QList<int> ids;
        for (QAction* action : bar->actions()) {
            if (action->isSeparator()) {
                ids.append(0);
                continue;
            }
            for (const CommandSpec& row : commandSpecs())
                if (app->mainFrame()->action(row.id) == action) ids.append(row.id);
        }
        const QList<int> expected{32777, 32773, 32774, 32775, 32776, 0,     32781, 32790, 0,
                                  32779, 32778, 0,     32792, 0,     32785, 32786, 32787};
        QCOMPARE(ids, expected);
        QCOMPARE(bar->iconSize(), QSize(16, 15));
        for (QAction* action : bar->actions()) {
            if (!action->isSeparator()) QVERIFY(!action->icon().isNull());
        }
    }

    void toolbarAndStatusBarToggle() {
        auto app = startApp({});
        CMainFrame* frame = app->mainFrame();
        QVERIFY(frame->action(kViewToolbar)->isChecked());
        frame->OnCommand(kViewToolbar);
        QVERIFY(!frame->action(kViewToolbar)->isChecked());
        QVERIFY(frame->toolBar()->isHidden());
        frame->OnCommand(kViewToolbar);
        QVERIFY(frame->action(kViewToolbar)->isChecked());
        QCOMPARE(frame->toolBarArea(frame->toolBar()), Qt::TopToolBarArea);
        frame->OnCommand(kViewStatusBar);
        QVERIFY(!frame->action(kViewStatusBar)->isChecked());
        frame->OnCommand(kViewStatusBar);
        QVERIFY(frame->action(kViewStatusBar)->isChecked());
    }
};

QTEST_MAIN(CommandTableTest)
#include "command_table_test.moc"
