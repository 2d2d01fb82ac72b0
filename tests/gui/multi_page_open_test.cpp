// Opening a multi-page scan: the question, loading every page as a layer or only the first, and
// files whose pages cannot be layers.
#include <QtTest>

#include "../support/gui_test.h"
#include "document/tiff_loader.h"
#include "view/ui/orvane_doc.h"

using namespace orvane;
using namespace orvane::testing_support;

namespace {

// Pages of 16-bit grey (or 8-bit when bits says so) with sample (x, y) = base + x.
QString writePages(const TempDir& dir, const std::string& name,
                   const std::vector<std::pair<std::uint32_t, int>>& pages) {
    std::vector<TiffSpec> specs;
    std::uint32_t base = 100;
    for (const auto& [width, bits] : pages) {
        TiffSpec page =
            greyPage(width, 4, [base](std::uint32_t x, std::uint32_t) { return base + x; });
        page.bitsPerSample = static_cast<std::uint16_t>(bits);
        specs.push_back(page);
        base += 100;
    }
    const std::string path = dir.file(name);
    if (!writeTiffPages(path, specs)) std::abort();
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

class MultiPageOpenTest : public GuiTest {
    Q_OBJECT
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
