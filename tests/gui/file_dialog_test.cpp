// The TIFF file dialogs list .tif files whatever the case of their extension, as "*.Tif" does
// on a file system that ignores case.
#include <QAbstractItemView>
#include <QFile>
#include <QFileDialog>
#include <QListView>
#include <QtTest>

#include "../support/temp_dir.h"
#include "base/ui/shell_services.h"

using namespace orvane;

class FileDialogTest : public QObject {
    Q_OBJECT
private slots:
    void tiffFilterIgnoresCase() {
        testing_support::TempDir dir;
        for (const char* name : {"a.tif", "b.TIF", "c.Tif", "d.txt"}) {
            QFile file(QString::fromStdString(dir.file(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        const QString start = QDir::currentPath();
        QDir::setCurrent(QString::fromStdString(dir.path().string()));
        QFileDialog dialog;
        configureFileDialog(dialog, {false, "Tif", "", "TIFF Files (*.Tif)"});
        QDir::setCurrent(start);
        dialog.show();
        auto* list = dialog.findChild<QListView*>("listView");
        QVERIFY(list);
        QStringList shown;
        auto listed = [&] {
            shown.clear();
            const QModelIndex root = list->rootIndex();
            for (int row = 0; row < list->model()->rowCount(root); ++row)
                shown.append(list->model()->index(row, 0, root).data().toString());
            shown.sort();
            return shown;
        };
        QTRY_COMPARE(listed(), (QStringList{"a.tif", "b.TIF", "c.Tif"}));
        QCOMPARE(dialog.defaultSuffix(), QString("Tif"));
    }
};

QTEST_MAIN(FileDialogTest)
#include "file_dialog_test.moc"
