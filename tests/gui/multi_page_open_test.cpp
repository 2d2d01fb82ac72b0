// Opening a multi-page scan: the question, loading every page as a layer or only the first, and
// files whose pages cannot be layers.
#include <QtTest>

#include <tiffio.h>

#include "app/orvane_doc.h"
#include "document/tiff_loader.h"
#include "gui_test_support.h"

using namespace orvane;
using namespace orvane::testing_support;

namespace {

// Pages of 16-bit grey (or 8-bit when bits says so) with sample (x, y) = base + x.
QString writePages(const TempDir& dir, const std::string& name,
                   const std::vector<std::pair<std::uint32_t, int>>& pages) {
    const std::string path = dir.file(name);
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    int base = 100;
    for (const auto& [width, bits] : pages) {
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 4u);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        std::vector<std::uint16_t> row(width);
        for (std::uint32_t x = 0; x < width; ++x) row[x] = static_cast<std::uint16_t>(base + x);
        for (std::uint32_t y = 0; y < 4; ++y) TIFFWriteScanline(tif, row.data(), y, 0);
        TIFFWriteDirectory(tif);
        base += 100;
    }
    TIFFClose(tif);
    return QString::fromStdString(path);
}

// Answers the question with `answer` and records its texts.
class QuestionScript {
public:
    explicit QuestionScript(bool answer) {
        setQuestionHook([this, answer](const QString& text) {
            texts.append(text);
            return answer;
        });
    }
    ~QuestionScript() { setQuestionHook({}); }
    QStringList texts;
};

}  // namespace

class MultiPageOpenTest : public QObject {
    Q_OBJECT
private:
    TempDir dir_;

private slots:
    void yesLoadsThePagesAsLayers() {
        const QString path = writePages(dir_, "scan.tif", {{6, 16}, {6, 16}, {6, 16}, {6, 16}});
        QuestionScript question(true);
        MessageRecorder messages;
        COrvaneDoc doc;
        QVERIFY(doc.OnOpenDocument(path));
        QCOMPARE(question.texts, QStringList{"This file holds 4 images. Load them all as layers?"});
        QCOMPARE(doc.layerCount(), 3);
        QCOMPARE(doc.title(), QString("scan[1] (red), scan[2] (green), scan[3] (blue)"));
        QCOMPARE(int(doc.image().layers[1].at(2, 0)), 202);
        QCOMPARE(doc.loadedPaths().size(), 3);
        QVERIFY(messages.texts.isEmpty());
    }

    void noLoadsTheFirstPageAsToday() {
        const QString path = writePages(dir_, "two.tif", {{6, 16}, {6, 16}});
        QuestionScript question(false);
        COrvaneDoc doc;
        QVERIFY(doc.OnOpenDocument(path));
        QCOMPARE(question.texts.size(), 1);
        QCOMPARE(doc.layerCount(), 1);
        QCOMPARE(doc.title(), QString("two.tif"));
        QCOMPARE(QString::fromStdString(doc.image().caption), QString("two (red)"));
    }

    void pagesThatCannotBeLayersAreNotOffered() {
        QuestionScript question(true);
        for (const auto& pages : {std::vector<std::pair<std::uint32_t, int>>{{6, 16}},
                                  std::vector<std::pair<std::uint32_t, int>>{{6, 16}, {7, 16}},
                                  std::vector<std::pair<std::uint32_t, int>>{{6, 16}, {6, 8}}}) {
            const QString path = writePages(dir_, "mixed.tif", pages);
            COrvaneDoc doc;
            QVERIFY(doc.OnOpenDocument(path));
            QCOMPARE(doc.layerCount(), 1);
        }
        QVERIFY(question.texts.isEmpty());
    }
};

QTEST_MAIN(MultiPageOpenTest)
#include "multi_page_open_test.moc"
