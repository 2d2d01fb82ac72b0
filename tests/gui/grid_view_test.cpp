// The grid in the image view: the inverted overlay, corner and quad drags with synthetic mouse
// events, spot clicks and the panes, the keys, the Grid Parameters dialog's messages and Zone
// rule, Load Map, Save and Load Grid, Find and the measurement dialogs.
#include <map>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QtTest>

#include "../support/grid_field_values.h"
#include "../support/gui_test.h"
#include "../support/temp_dir.h"
#include "../support/test_images.h"
#include "app/child_frame.h"
#include "app/main_frame.h"
#include "base/ui/command_ids.h"
#include "base/ui/modal_dialog.h"
#include "grid/ui/grid_parameters_dialog.h"
#include "measure/selection_pairs.h"
#include "measure/selection_statistics.h"
#include "measure/ui/find_dialog.h"
#include "measure/ui/histogram_dialog.h"
#include "measure/ui/measure_commands.h"
#include "measure/ui/selection_statistics_dialog.h"
#include "printjob/load_map.h"
#include "printjob/print_job_parameters.h"
#include "view/ui/orvane_doc.h"
#include "view/ui/orvane_view.h"

using namespace orvane;
using namespace orvane::testing_support;

namespace {

using Texts = std::map<int, QString>;

// The standard grid on 100 pixels per millimetre: 2 x 1 quads of 4 x 3 spots, pitch 30 pixels,
// quad [0][0] from (100, 100) to (190, 160), quad [1][0] from (250, 100) to (340, 160), spot
// radius 8 and background radius 12.
Texts standardGrid() {
    using D = CGridParametersDialog;
    return {{D::kCellsX, "4"},  {D::kCellsY, "3"},      {D::kStepX, "0.3"},  {D::kStepY, "0.3"},
            {D::kOriginX, "1"}, {D::kOriginY, "1"},     {D::kDiamD, "0.16"}, {D::kDiamBg, "0.24"},
            {D::kQuadsX, "2"},  {D::kQuadStepX, "1.5"}, {D::kQuadsY, "1"}};
}

void setTexts(QDialog& dialog, const Texts& texts) {
    for (const auto& [id, text] : texts)
        dialog.findChild<QLineEdit*>(QString::number(id))->setText(text);
}

void defineGrid(CMainFrame* frame, const Texts& texts = standardGrid()) {
    DialogScript script([&](QDialog& d) {
        setTexts(d, texts);
        d.accept();
        return d.result();
    });
    frame->OnCommand(kGridDefine);
}

void mouse(COrvaneView* view, QEvent::Type type, QPoint pos, Qt::MouseButton button,
           Qt::MouseButtons held, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* w = view->viewport();
    QMouseEvent event(type, QPointF(pos), w->mapToGlobal(QPointF(pos)), button, held, modifiers);
    QApplication::sendEvent(w, &event);
}

void press(COrvaneView* v, QPoint p, Qt::KeyboardModifiers m = Qt::NoModifier) {
    mouse(v, QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton, m);
}
void drag(COrvaneView* v, QPoint p) {
    mouse(v, QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton);
}
void release(COrvaneView* v, QPoint p) {
    mouse(v, QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
}
void click(COrvaneView* v, QPoint p) {
    press(v, p);
    release(v, p);
}

int countPixels(const QImage& image, QRect area, QRgb colour) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) n += image.pixel(x, y) == colour;
    return n;
}

// What NOT-XOR with `pen` makes of `pixel`.
QRgb notXor(QRgb pixel, QRgb pen) {
    return qRgb(~(qRed(pixel) ^ qRed(pen)) & 255, ~(qGreen(pixel) ^ qGreen(pen)) & 255,
                ~(qBlue(pixel) ^ qBlue(pen)) & 255);
}

QString paneText(CMainFrame* frame, int index) { return frame->pane(index)->text(); }

}  // namespace

class GridViewTest : public GuiTest {
    Q_OBJECT
private:
    std::unique_ptr<COrvaneApp> app_;
    CMainFrame* frame_ = nullptr;
    COrvaneView* view_ = nullptr;

    void open(const QString& path) {
        app_ = startApp({path});
        frame_ = app_->mainFrame();
        view_ = frame_->activeView();
        view_->parentWidget()->resize(500, 400);
    }
    void openUniform(std::uint16_t value = 1000) {
        open(writeScan(dir_, "uniform.tif", 400, 300,
                       [value](std::uint32_t, std::uint32_t) { return value; }));
    }

private slots:
    void cleanup() {
        app_.reset();
        GuiTest::cleanup();
    }

    void overlayDrawnTwiceLeavesThePictureUnchanged() {
        openUniform();
        const QImage clean = view_->offscreenImage().copy();
        defineGrid(frame_);
        QVERIFY(view_->model().editor().overlayShown());
        const QImage withGrid = view_->offscreenImage().copy();
        QVERIFY(withGrid != clean);
        // The inverted display's spot pen (255, 0, 0) on the spots, highlight pen (0, 0, 255)
        // on the corner marks.
        const QRgb ground = clean.pixel(0, 0);
        QVERIFY(countPixels(withGrid, QRect(110, 110, 40, 40), notXor(ground, qRgb(255, 0, 0))) >
                20);
        QVERIFY(countPixels(withGrid, QRect(90, 90, 12, 12), notXor(ground, qRgb(0, 0, 255))) > 5);
        view_->model().editor().DrawOverlay(false);
        QCOMPARE(view_->offscreenImage(), clean);
        view_->model().editor().DrawOverlay(false);
        QCOMPARE(view_->offscreenImage(), withGrid);
        view_->model().editor().ShowOverlay(false);
        QCOMPARE(view_->offscreenImage(), withGrid);
        view_->model().editor().HideOverlay(false);
        QCOMPARE(view_->offscreenImage(), clean);
        frame_->OnCommand(kSelectRectangle);
        frame_->OnCommand(kSelectGrid);
        QCOMPARE(view_->offscreenImage(), withGrid);
        // A display change rebuilds the picture and draws the grid in the new mode's pens.
        frame_->OnCommand(kDisplayInverted);
        QVERIFY(view_->model().editor().overlayShown());
        QVERIFY(countPixels(view_->offscreenImage(), QRect(110, 110, 40, 40),
                            notXor(view_->offscreenImage().pixel(0, 0), qRgb(0, 255, 255))) > 20);
        frame_->OnCommand(kDisplayInverted);
        QCOMPARE(view_->offscreenImage(), withGrid);
    }

    void cornerDragAndWholeQuadDrag() {
        openUniform();
        defineGrid(frame_);
        const GridQuad& first = view_->model().editor().grid().quad(0, 0);
        press(view_, QPoint(102, 101));
        QCOMPARE(first.fullDisplay, 0);
        drag(view_, QPoint(120, 110));
        QCOMPARE(first.TL, (GridPoint{120, 110}));
        release(view_, QPoint(120, 110));
        QCOMPARE(first.fullDisplay, 1);
        const GridParameters& p = view_->model().editor().grid().parameters;
        QCOMPARE(p.originX, 1.2);
        QCOMPARE(p.originY, 1.1);
        QVERIFY(qFuzzyCompare(p.stepXmm, 0.7 / 3));
        QCOMPARE(p.stepYmm, 0.25);

        // Shift at the press: the whole quad follows, after a first jump of (3, 2).
        const GridQuad& second = view_->model().editor().grid().quad(1, 0);
        press(view_, QPoint(253, 102), Qt::ShiftModifier);
        drag(view_, QPoint(263, 102));
        QCOMPARE(second.TL, (GridPoint{263, 102}));
        drag(view_, QPoint(273, 112));  // Shift no longer held: still the whole quad
        QCOMPARE(second.BR, (GridPoint{363, 172}));
        release(view_, QPoint(273, 112));
        QCOMPARE(p.stepYmm, 0.25);

        // The picture is exactly the grid drawn fresh over the clean raster.
        const QImage shown = view_->offscreenImage().copy();
        view_->model().editor().HideOverlay(false);
        view_->RebuildDisplay();
        QCOMPARE(view_->offscreenImage(), shown);
    }

    void spotClickFillsThePanes() {
        openUniform();
        defineGrid(frame_);
        QCOMPARE(paneText(frame_, 1), QString("Not Selected."));
        click(view_, QPoint(131, 131));
        QCOMPARE(paneText(frame_, 1), QString("Quad: (1, 1)"));
        QCOMPARE(paneText(frame_, 2), QString("Spot: (2, 2)"));
        QCOMPARE(paneText(frame_, 3), QString("UID: NA"));
        QCOMPARE(paneText(frame_, 4), QString("Descr: NA"));
        QCOMPARE(paneText(frame_, 5), QString("IA: (1000/1000, 0/0, 0/0)"));
        const QImage selected = view_->offscreenImage().copy();
        QTest::keyClick(view_, Qt::Key_X, Qt::NoModifier);
        QCOMPARE(view_->model().editor().grid().quad(0, 0).Flags(1, 1),
                 std::uint8_t(Selected | Marked));
        QTest::keyClick(view_, Qt::Key_X, Qt::NoModifier);
        QCOMPARE(view_->offscreenImage(), selected);
        QTest::keyClick(view_, Qt::Key_X, Qt::NoModifier);
        QTest::keyClick(view_, Qt::Key_R, Qt::NoModifier);
        QCOMPARE(view_->offscreenImage(), selected);
        // With another tool the keys do nothing.
        frame_->OnCommand(kSelectRectangle);
        QTest::keyClick(view_, Qt::Key_X, Qt::NoModifier);
        QCOMPARE(view_->model().editor().grid().quad(0, 0).Flags(1, 1), std::uint8_t(Selected));
    }

    void dialogValidationMessagesAndFocus_data() {
        QTest::addColumn<int>("control");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        using D = CGridParametersDialog;
        QTest::newRow("cells not an integer") << int(D::kCellsX) << "1.5"
                                              << "Please enter an integer.";
        QTest::newRow("cells out of range") << int(D::kCellsY) << "0"
                                            << "Please enter an integer between 1 and 10000.";
        QTest::newRow("step not a number") << int(D::kStepX) << "x"
                                           << "Please enter a number.";
        QTest::newRow("diameter out of range") << int(D::kDiamD) << "0.01"
                                               << "Please enter a number between 0.05 and 25.";
        QTest::newRow("quads out of range") << int(D::kQuadsY) << "17"
                                            << "Please enter an integer between 1 and 16.";
        QTest::newRow("origin y out of range") << int(D::kOriginY) << "76"
                                               << "Please enter a number between 0 and 75.";
    }

    void dialogValidationMessagesAndFocus() {
        QFETCH(int, control);
        QFETCH(QString, text);
        QFETCH(QString, message);
        MessageRecorder messages;
        CGridParametersDialog dialog{GridParameters{}};
        QLineEdit* edit = dialog.findChild<QLineEdit*>(QString::number(control));
        edit->setText(text);
        QVERIFY(!dialog.readAndValidate());
        QCOMPARE(messages.texts, QStringList{message});
        QCOMPARE(dialog.focusWidget(), edit);
    }

    // Each field's control, found by its id, carries what is typed into it to its own field.
    void everyControlReachesItsField() {
        for (const GridFieldSpec& field : kGridFields) {
            if (field.controlId == 0) continue;  // the lock radios have their own ids
            CGridParametersDialog dialog{GridParameters{}};
            const QString id = QString::number(field.controlId);
            const std::string value = otherFieldText(field, GridParameters{});
            if (auto* check = dialog.findChild<QCheckBox*>(id)) {
                QCOMPARE(check->text(), QString(field.label));
                check->setChecked(value == "1");
            } else {
                QVERIFY2(dialog.findChild<QLineEdit*>(id) != nullptr, field.name);
                dialog.findChild<QLineEdit*>(id)->setText(QString::fromStdString(value));
            }
            QVERIFY(dialog.readAndValidate());
            QCOMPARE(FormatGridFields(dialog.values())[static_cast<std::size_t>(field.field)],
                     value);
        }
    }

    void zoneRule() {
        MessageRecorder messages;
        CGridParametersDialog dialog{GridParameters{}};
        QLineEdit* zone = dialog.findChild<QLineEdit*>("1019");
        QLineEdit* originX = dialog.findChild<QLineEdit*>("1010");
        originX->setText("2");
        zone->selectAll();
        QTest::keyClick(zone, Qt::Key_Backspace);
        QCOMPARE(messages.texts, QStringList{"Please enter an integer."});
        QTest::keyClicks(zone, "5");
        QCOMPARE(messages.texts.last(), QString("Please enter an integer between 0 and 2."));
        QCOMPARE(originX->text(), QString("2"));
        zone->selectAll();
        QTest::keyClicks(zone, "1");
        QCOMPARE(messages.texts.size(), 2);
        const PrintJobParameters& job = processPrintJobParameters();
        QCOMPARE(dialog.values().originX, job.zoneOriginX(1));
        QCOMPARE(originX->text(), QString::number(job.zoneOriginX(1)));
        QCOMPARE(dialog.values().zone, 1);
    }

    // Files that are no slide map, or only part of one: refused with a message, and the
    // dialog keeps the fields and the map it had.
    void loadMapRefusesWhatIsNoCompleteMap() {
        openUniform();
        const auto write = [this](const std::string& name, const std::string& text) {
            QFile file(QString::fromStdString(dir_.file(name)));
            if (!file.open(QIODevice::WriteOnly)) return QString();
            file.write(text.data(), static_cast<qint64>(text.size()));
            return file.fileName();
        };
        const std::string good =
            "grid_spot_ncols 2\ngrid_spot_nrows 1\ngrid_quad_ncols 2\ngrid_quad_nrows 2\n"
            "pins_x 2\npins_y 2\npin_x# 0, pin_y# 0, well_uid: A1, well_descr: alpha\n"
            "zone# 0, block_col# 0, block_row# 0, spot_col# 0, spot_row# 0\n"
            "zone# 0, block_col# 0, block_row# 0, spot_col# 1, spot_row# 0\n";
        const QStringList refused = {
            write("empty.txt", ""),
            write("letter.txt", "Dear colleagues,\nthe scans are in the usual folder.\n"),
            write("spot_truth.txt", "quad_x\tquad_y\tspot_col\tspot_row\n0\t0\t0\t0\n"),
            write("cut.txt", good.substr(0, good.rfind("zone#"))),
        };
        FileDialogScript files(QStringList{write("good.txt", good)} + refused);
        MessageRecorder messages;
        QStringList changed;
        DialogScript script([&](QDialog& d) {
            auto& dialog = static_cast<CGridParametersDialog&>(d);
            dialog.OnLoadMap();
            const GridParameters loaded = dialog.values();
            for (const QString& file : refused) {
                dialog.OnLoadMap();
                const GridParameters now = dialog.values();
                if (now.cellsX != loaded.cellsX || now.quadsY != loaded.quadsY ||
                    now.slideMap != loaded.slideMap)
                    changed << file;
            }
            d.reject();
            return d.result();
        });
        frame_->OnCommand(kGridDefine);
        QCOMPARE(changed, QStringList());
        QCOMPARE(files.requests.size(), std::size_t(5));
        QCOMPARE(messages.texts.size(), 4);
        QCOMPARE(messages.texts.at(0), QString(kMapNoZonesMessage));
        QVERIFY2(messages.texts.at(3).startsWith("Incomplete slide map"),
                 qPrintable(messages.texts.at(3)));
    }

    void defineGridAfterLoadMapExcludesTheNaWells() {
        openUniform();
        const std::string map = dir_.file("slide_map_data.txt");
        {
            QFile file(QString::fromStdString(map));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(
                "pins_x = 2\npins_y = 2\n"
                "pin_x# 0, pin_y# 0, well_uid: A1, well_descr: alpha\n"
                "pin_x# 1, pin_y# 0, well_uid: A2, well_descr: beta\n"
                "pin_x# 0, pin_y# 1, well_uid: na, well_descr: empty\n"
                "pin_x# 1, pin_y# 1, well_uid: B2, well_descr: delta\n"
                "zone# 0, block_col# 0, block_row# 0, spot_col# 0, spot_row# 0\n"
                "zone# 0, block_col# 0, block_row# 0, spot_col# 1, spot_row# 0\n");
        }
        FileDialogScript files({QString::fromStdString(map)});
        DialogScript script([](QDialog& d) {
            auto& dialog = static_cast<CGridParametersDialog&>(d);
            dialog.OnLoadMap();
            // The map's origin lies on the slide; keep the grid on this small image.
            using D = CGridParametersDialog;
            setTexts(d, {{D::kOriginX, "1"},
                         {D::kOriginY, "1"},
                         {D::kQuadStepX, "1"},
                         {D::kQuadStepY, "1"}});
            d.findChild<QCheckBox*>("1018")->setChecked(true);
            d.accept();
            return d.result();
        });
        frame_->OnCommand(kGridDefine);
        QCOMPARE(files.requests.at(0).initialName, QString("slide_map_data"));
        const SpotGrid& grid = view_->model().editor().grid();
        QCOMPARE(grid.parameters.cellsX, 2);
        QCOMPARE(grid.parameters.quadsX, 2);
        QCOMPARE(grid.parameters.quadsY, 2);
        // Pin (0, 1) carries "na": its quad is the top-left one (pin rows are mirrored).
        QCOMPARE(grid.quad(0, 0).Flags(0, 0) & Excluded, int(Excluded));
        QCOMPARE(grid.quad(0, 0).Flags(1, 0) & Excluded, int(Excluded));
        QCOMPARE(grid.quad(1, 0).Flags(0, 0) & Excluded, 0);
        QCOMPARE(grid.quad(0, 1).Flags(0, 0) & Excluded, 0);
        // A click on quad [1][0]'s first spot shows its well (below the corner, which would
        // start a drag; with one row every y of the column hits the spot).
        QCOMPARE(*grid.quad(1, 0).SpotCentre(0, 0), (GridPoint{200, 100}));
        click(view_, QPoint(200, 108));
        QCOMPARE(paneText(frame_, 3), QString("UID: B2"));
        QCOMPARE(paneText(frame_, 4), QString("Descr: delta"));

        // Find: highlights, the count in the message pane, and "Pattern not found.".
        DialogScript find([](QDialog& d) {
            static_cast<CFindDialog&>(d).patternEdit()->setText("a1");
            d.accept();
            return d.result();
        });
        frame_->OnCommand(kGridFind);
        QCOMPARE(paneText(frame_, 0), QString("Found 2 matching genes."));
        QCOMPARE(grid.quad(0, 1).Flags(0, 0) & Highlighted, int(Highlighted));
        DialogScript none([](QDialog& d) {
            static_cast<CFindDialog&>(d).patternEdit()->setText("zz");
            d.accept();
            return d.result();
        });
        frame_->OnCommand(kGridFind);
        QCOMPARE(paneText(frame_, 0), QString("Pattern not found."));
        QCOMPARE(grid.quad(0, 1).Flags(0, 0) & Highlighted, 0);
    }

    void saveGridThenLoadGridRestoresThePicture() {
        openUniform();
        defineGrid(frame_);
        click(view_, QPoint(131, 131));
        QTest::keyClick(view_, Qt::Key_X, Qt::NoModifier);
        const QImage saved = view_->offscreenImage().copy();
        const QString path = QString::fromStdString(dir_.file("grid_definition.grd"));
        {
            FileDialogScript files({path});
            frame_->OnCommand(kGridSave);
            QCOMPARE(files.requests.at(0).filter, QString("Grid Definition Files (*.grd)"));
        }
        press(view_, QPoint(100, 100), Qt::ShiftModifier);
        drag(view_, QPoint(130, 120));
        release(view_, QPoint(130, 120));
        QVERIFY(view_->offscreenImage() != saved);
        frame_->OnCommand(kSelectPoint);
        {
            MessageRecorder messages;
            frame_->OnCommand(kGridSave);
            QCOMPARE(messages.texts, QStringList{"Please define / select grid."});
        }
        FileDialogScript files({path});
        frame_->OnCommand(kGridLoad);
        QCOMPARE(view_->model().editor().shape().tool, ToolKind::Grid);
        QCOMPARE(view_->offscreenImage(), saved);
    }

    void adjustAndExtractNeedTheGridDisplay() {
        openUniform();
        MessageRecorder messages;
        frame_->OnCommand(kGridAdjustCM);
        frame_->OnCommand(kGridExtract);
        frame_->OnCommand(kGridHistogram);
        frame_->OnCommand(kGridAutoPlace);
        const QString text = "Please define / load grid and select grid display.";
        QCOMPARE(messages.texts, (QStringList{text, text, text, text}));
        messages.texts.clear();
        defineGrid(frame_);
        // A uniform scan shows no block: nothing is placed and the grid stays.
        const GridPoint before = view_->model().editor().grid().quad(0, 0).TL;
        frame_->OnCommand(kGridAutoPlace);
        QCOMPARE(paneText(frame_, 0), QString("Placed 0 of %1 quads.")
                                          .arg(view_->model().editor().grid().parameters.quadsX *
                                               view_->model().editor().grid().parameters.quadsY));
        QVERIFY(view_->model().editor().grid().quad(0, 0).TL == before);
        frame_->OnCommand(kGridAdjustCM);
        QCOMPARE(view_->model().editor().grid().quad(0, 0).OffsetX(0, 0), -1);
        const QImage adjusted = view_->offscreenImage().copy();
        view_->model().editor().HideOverlay(false);
        view_->RebuildDisplay();
        QCOMPARE(view_->offscreenImage(), adjusted);
        const QString path = QString::fromStdString(dir_.file("spot_data.txt"));
        FileDialogScript files({path});
        frame_->OnCommand(kGridExtract);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readLine(), QByteArray("Spot Integral Intensity File\n"));
        QVERIFY(messages.texts.isEmpty());
    }

    void statisticsAndPairsSaveTheSelectionData() {
        open(writeScan(dir_, "ramp.tif", 60, 40, [](std::uint32_t x, std::uint32_t y) {
            return std::uint16_t(100 * x + y);
        }));
        MessageRecorder messages;
        frame_->OnCommand(kSelectionStatistics);
        QCOMPARE(messages.texts, QStringList{"Please select an object first"});
        frame_->OnCommand(kSelectionPairs);
        QCOMPARE(messages.texts.last(), QString("Two layers are required for this graph"));
        const SelectionShape shape{ToolKind::CircleByRadius, 20, 15, 26, 15};
        view_->model().SetSelection(shape);
        const QString path = QString::fromStdString(dir_.file("selection_data.txt"));
        FileDialogScript files({path});
        DialogScript save([](QDialog& d) {
            static_cast<CSelectionStatisticsDialog&>(d).OnSaveData();
            return int(QDialog::Accepted);
        });
        frame_->OnCommand(kSelectionStatistics);
        // The same selection through the core, as orvane-batch writes it.
        SelectionStatistics reference;
        reference.SetData(SampleSelection(view_->GetDocument()->image(), shape));
        const std::string expected = dir_.file("reference.txt");
        reference.SaveData(expected);
        QCOMPARE(readFile(path.toStdString()), readFile(expected));
        QCOMPARE(messages.texts.size(), 2);
    }

    void histogramBalanceAppliesToThisView() {
        openUniform(1000);
        defineGrid(frame_);
        const QImage before = view_->offscreenImage().copy();
        DialogScript identity([](QDialog& d) {
            static_cast<CHistogramDialog&>(d).OnApplyToImage();
            return int(QDialog::Rejected);
        });
        frame_->OnCommand(kGridHistogram);
        QCOMPARE(view_->offscreenImage(), before);
        QCOMPARE(view_->model().editor().grid().parameters.cellsX, 4);
        DialogScript brighter([](QDialog& d) {
            auto& h = static_cast<CHistogramDialog&>(d);
            h.gainEdit(0)->setText("4");
            h.OnApplyToImage();
            return int(QDialog::Rejected);
        });
        frame_->OnCommand(kGridHistogram);
        QVERIFY(view_->offscreenImage() != before);
        QCOMPARE(frame_->activeChild()->commandTarget<CMeasureCommands>()->spotHistogram().gain[0],
                 4.0f);
        QCOMPARE(view_->model().display().channelGain[0], 4.0f);
        QCOMPARE(
            frame_->activeChild()->commandTarget<CMeasureCommands>()->spotHistogram().means().m,
            std::int64_t(24));
    }
};

QTEST_MAIN(GridViewTest)
#include "grid_view_test.moc"
