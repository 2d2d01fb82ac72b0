// The TestList dialog: its cells, its columns, and the description of the first selected row.
#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

#include "app/test_list_dialog.h"

using namespace orvane;

class TestListDialogTest : public QObject {
    Q_OBJECT
private slots:
    void cellsAndColumns() {
        CTestListDialog dialog;
        QCOMPARE(dialog.windowTitle(), QString("TestList"));
        QAbstractItemModel* model = dialog.list()->model();
        QAbstractItemModelTester tester(model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model->rowCount(), 1000);
        QCOMPARE(model->columnCount(), 2);
        QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QString("col0"));
        QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QString("col1"));
        QCOMPARE(model->index(999, 1).data().toString(), QString("Test item #999, column #1"));
        QCOMPARE(model->index(0, 0).data().toString(), QString("Test item #0, column #0"));
        QCOMPARE(dialog.list()->columnWidth(0), 150);
        QCOMPARE(dialog.list()->columnWidth(1), 150);
        QCOMPARE(dialog.description()->toPlainText(), QString("Empty."));
    }

    void rangeSelectionDescribesItsFirstRow() {
        CTestListDialog dialog;
        dialog.show();
        QTableView* list = dialog.list();
        list->selectRow(5);
        // Shift+click on row 9 selects rows 5 to 9.
        const QRect cell = list->visualRect(list->model()->index(9, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ShiftModifier, cell.center());
        QCOMPARE(list->selectionModel()->selectedRows().size(), 5);
        QCOMPARE(dialog.description()->toPlainText(), QString("Description of 5 item"));
        list->clearSelection();
        QCOMPARE(dialog.description()->toPlainText(), QString("Description of -1 item"));
    }

    void okAndCancelClose() {
        CTestListDialog dialog;
        dialog.show();
        QList<QPushButton*> buttons = dialog.findChildren<QPushButton*>();
        QCOMPARE(buttons.size(), 2);
        for (QPushButton* button : buttons) {
            dialog.show();
            button->click();
            QVERIFY(!dialog.isVisible());
        }
    }
};

QTEST_MAIN(TestListDialogTest)
#include "test_list_dialog_test.moc"
