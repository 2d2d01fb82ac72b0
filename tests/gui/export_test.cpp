// Export 8-bit TIFF from the File menu: its save dialog, the file it writes (the same bytes as
// orvane-batch export for the same display state), and the refusal to replace an opened scan.
#include <QFile>
#include <QProcess>
#include <QtTest>

#include "../support/gui_test.h"
#include "app/main_frame.h"
#include "base/ui/command_ids.h"
#include "view/ui/orvane_doc.h"
#include "view/ui/orvane_view.h"

using namespace orvane;
using namespace orvane::testing_support;

namespace {

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class ExportTest : public GuiTest {
    Q_OBJECT
private slots:

    void exportWritesWhatOrvaneBatchWrites() {
        const QString red = writeScan(dir_, "red.tif", 101, 70,
                                      [](std::uint32_t x, std::uint32_t y) { return 600 * x + y; });
        const QString green =
            writeScan(dir_, "green.tif", 101, 70,
                      [](std::uint32_t x, std::uint32_t y) { return 900 * y + x; });
        auto app = startApp({red, green});
        CMainFrame* frame = app->mainFrame();
        frame->OnCommand(kDisplayLinear);
        frame->OnCommand(kChannel1);  // red off

        const QString ours = QString::fromStdString(dir_.file("ours.tif"));
        FileDialogScript dialogs({ours});
        frame->OnCommand(kExportTiff);
        QCOMPARE(dialogs.requests.size(), size_t(1));
        QVERIFY(dialogs.requests[0].save);
        QCOMPARE(dialogs.requests[0].initialName, QString("Export TIFF file"));
        QCOMPARE(dialogs.requests[0].defaultSuffix, QString("Tif"));
        QVERIFY(QFile::exists(ours));

        const QString batch = qEnvironmentVariable("ORVANE_BATCH");
        if (batch.isEmpty() || !QFile::exists(batch)) QSKIP("orvane-batch is not built");
        const QString theirs = QString::fromStdString(dir_.file("theirs.tif"));
        QProcess process;
        process.start(batch,
                      {"export", "--linear", "--channel-off", "1", "-o", theirs, red, green});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 0);
        QVERIFY(contents(ours) == contents(theirs));
    }

    void exportNeverReplacesAnOpenedScan() {
        const QString scan = writeScan(dir_, "keep.tif");
        const QByteArray before = contents(scan);
        auto app = startApp({scan});
        MessageRecorder messages;
        FileDialogScript dialogs({scan});
        app->mainFrame()->OnCommand(kExportTiff);
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY(contents(scan) == before);
    }

    void ctrlLOverlaysAndCtrlSExports() {
        auto app = startApp({writeScan(dir_, "keys.tif")});
        CMainFrame* frame = app->mainFrame();
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame));
        FileDialogScript dialogs({QString(), QString()});
        QTest::keyClick(frame, Qt::Key_L, Qt::ControlModifier);
        QTest::keyClick(frame, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(dialogs.requests.size(), size_t(2));
        QCOMPARE(dialogs.requests[0].initialName, QString("Overlay TIFF file"));
        QCOMPARE(dialogs.requests[1].initialName, QString("Export TIFF file"));
        QVERIFY(dialogs.requests[1].save);
    }

    void cancelledDialogWritesNothing() {
        auto app = startApp({writeScan(dir_, "cancel.tif")});
        FileDialogScript dialogs({QString()});
        app->mainFrame()->OnCommand(kExportTiff);
        QCOMPARE(dialogs.requests.size(), size_t(1));
        QVERIFY(!QFile::exists(QString::fromStdString(dir_.file("Export TIFF file.Tif"))));
    }
};

QTEST_MAIN(ExportTest)
#include "export_test.moc"
