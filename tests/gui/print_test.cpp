// Printing: the region rules, the fit to the page with one device pixel less, white beyond the
// picture, and the --print-to-pdf command line.
#include <QFile>
#include <QPainter>
#include <QtTest>

#include "../support/gui_test.h"
#include "app/main_frame.h"
#include "view/ui/image_commands.h"
#include "view/ui/orvane_view.h"

using namespace orvane;
using namespace orvane::testing_support;

namespace {

// The painted extent on a white page: one past the right-most and bottom-most non-white pixel.
QSize paintedExtent(const QImage& page) {
    int right = 0, bottom = 0;
    for (int y = 0; y < page.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(page.constScanLine(y));
        for (int x = 0; x < page.width(); ++x) {
            if (row[x] != qRgb(255, 255, 255)) {
                right = std::max(right, x + 1);
                bottom = std::max(bottom, y + 1);
            }
        }
    }
    return {right, bottom};
}

QImage printOnPage(const COrvaneView& view, QSize pageSize,
                   std::int64_t maxBandBytes = kPrintBandBytes) {
    QImage page(pageSize, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    PrintPage(view.window(), painter, pageSize, maxBandBytes);
    painter.end();
    return page;
}

}  // namespace

class PrintTest : public GuiTest {
    Q_OBJECT
private:
    QString scan_;

private slots:
    void initTestCase() {
        GuiTest::initTestCase();
        // Every sample dark enough to print as a colour, never white.
        scan_ = writeScan(dir_, "print.tif", 400, 300, [](auto, auto) { return 30000; });
    }

    void region_data() {
        QTest::addColumn<int>("tool");
        QTest::addColumn<QLine>("stored");  // the anchor (x0, y0) to the end point (x1, y1)
        QTest::addColumn<QRect>("expected");
        const QRect whole(0, 0, 400, 300);
        QTest::newRow("rectangle tool")
            << int(ToolKind::Rectangle) << QLine(10, 20, 210, 120) << QRect(10, 20, 200, 100);
        QTest::newRow("empty rectangle")
            << int(ToolKind::Rectangle) << QLine(10, 20, 10, 120) << whole;
        QTest::newRow("dragged up-left")
            << int(ToolKind::Rectangle) << QLine(210, 120, 10, 20) << whole;
        QTest::newRow("other tool")
            << int(ToolKind::CircleByRadius) << QLine(10, 20, 210, 120) << whole;
        QTest::newRow("point tool") << int(ToolKind::Point) << QLine(10, 20, 210, 120) << whole;
    }

    void region() {
        QFETCH(int, tool);
        QFETCH(QLine, stored);
        QFETCH(QRect, expected);
        auto app = startApp({scan_});
        COrvaneView* view = app->mainFrame()->activeView();
        view->model().SetSelection(
            {static_cast<ToolKind>(tool), stored.x1(), stored.y1(), stored.x2(), stored.y2()});
        QCOMPARE(PrintRegion(view->model()), expected);
    }

    void rectangleFitsThePageOnePixelShort() {
        auto app = startApp({scan_});
        COrvaneView* view = app->mainFrame()->activeView();
        view->model().SetSelection({ToolKind::Rectangle, 10, 20, 210, 120});
        // 200 x 100 on 4800 x 6400: scale 24, destination 4799 x 2399.
        const QImage page = printOnPage(*view, QSize(4800, 6400));
        QCOMPARE(paintedExtent(page), QSize(4799, 2399));
    }

    // A large region goes to the page in bands; the page must not show where they meet.
    void bandsPrintAsOnePicture_data() {
        QTest::addColumn<QSize>("pageSize");
        QTest::newRow("enlarged") << QSize(4800, 6400);
        QTest::newRow("reduced") << QSize(173, 129);
        QTest::newRow("odd scale") << QSize(397, 1000);
    }

    void bandsPrintAsOnePicture() {
        QFETCH(QSize, pageSize);
        const QString rows = writeScan(dir_, "rows.tif", 400, 300, [](auto x, auto y) {
            return static_cast<std::uint16_t>(97 * y + 13 * x);
        });
        auto app = startApp({rows});
        COrvaneView* view = app->mainFrame()->activeView();
        view->model().SetSelection(
            {ToolKind::Rectangle, 300, 7, 460, 290});  // partly beyond the picture
        const QImage whole = printOnPage(*view, pageSize);
        for (const int bandRows : {1, 7, 64})
            QCOMPARE(printOnPage(*view, pageSize, bandRows * 3 * 160), whole);
    }

    void regionBeyondThePicturePrintsWhite() {
        auto app = startApp({scan_});
        COrvaneView* view = app->mainFrame()->activeView();
        // Half of the rectangle lies right of the 400-pixel picture.
        view->model().SetSelection({ToolKind::Rectangle, 300, 0, 500, 100});
        const QImage page = printOnPage(*view, QSize(2000, 2000));
        // Scale 10: the picture's 100 columns fill 1000 device pixels, the rest stays white.
        QVERIFY(page.pixel(500, 500) != qRgb(255, 255, 255));
        QCOMPARE(page.pixel(1500, 500), qRgb(255, 255, 255));
        QCOMPARE(paintedExtent(page), QSize(1000, 999));
    }

    void printToPdfFromTheCommandLine() {
        const QString pdf = QString::fromStdString(dir_.file("out.pdf"));
        bool started = true;
        auto app = startApp({"--print-to-pdf", pdf, scan_}, &started);
        QVERIFY(!started);  // printing from the command line ends the program
        QCOMPARE(app->exitCode(), 0);
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray content = file.readAll();
        QVERIFY(content.startsWith("%PDF"));
        QCOMPARE(content.count("/Type /Page\n") + content.count("/Type /Page\r") +
                     content.count("/Type /Page "),
                 qsizetype(1));
        // The whole picture went in at its own resolution.
        QVERIFY(content.contains("/Width 400"));
        QVERIFY(content.contains("/Height 300"));
    }

    void printToPdfOfAMissingFileFails() {
        MessageRecorder messages;
        const QString pdf = QString::fromStdString(dir_.file("none.pdf"));
        bool started = true;
        auto app = startApp(
            {"--print-to-pdf", pdf, QString::fromStdString(dir_.file("missing.tif"))}, &started);
        QVERIFY(!started);
        QCOMPARE(app->exitCode(), 1);
        QVERIFY(!QFile::exists(pdf));
    }
};

QTEST_MAIN(PrintTest)
#include "print_test.moc"
