// The map commands end to end: enabling, generation through the real
// parameters dialog, hand placement, water level, regions, clipboard,
// information, and the progress callbacks.

#include "tests/support/Terrains.h"
#include "tests/support/ViewTestSupport.h"

#include "dialogs/CGenerateDialog.h"
#include "dialogs/CInfoDialog.h"
#include "dialogs/CProgressDialog.h"
#include "dialogs/CWaterLevelDialog.h"
#include "platform/DataExchange.h"
#include "resources/DialogTemplates.h"
#include "resources/ViewStrings.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTest>

namespace {

using testsupport::PictureMismatch;

struct GenerateEntries {
    int width = 100;
    int height = 100;
    bool manual = false;
    QString seed = QStringLiteral("7");
};

// Fills the real generation dialog and presses OK; counts its runs.
MapView::DialogRunner FillGenerateDialog(GenerateEntries entries, int* runs = nullptr) {
    return [entries, runs](QDialog& dialog) {
        if (runs)
            ++*runs;
        if (!qobject_cast<CGenerateDialog*>(&dialog))
            return int(QDialog::Rejected);
        SetControlText(&dialog, GenerateControl::Seed, entries.seed);
        SetControlText(&dialog, GenerateControl::Width, QString::number(entries.width));
        SetControlText(&dialog, GenerateControl::Height, QString::number(entries.height));
        SetChecked(&dialog, GenerateControl::ManualPlacement, entries.manual);
        dialog.accept();
        return dialog.result();
    };
}

}  // namespace

class MapCommandsTest : public QObject {
    Q_OBJECT
  private:
    ScratchDirectory dir_;

    bool enabled(MapView& view, int id) { return view.isCommandEnabled(id); }

  private slots:
    void enablingFollowsTheViewsState() {
        MapView view;
        // Before the first paint.
        QVERIFY(!enabled(view, CommandId::Generate));
        QVERIFY(!enabled(view, CommandId::CopyToClipboard));
        QVERIFY(!enabled(view, CommandId::Information));
        QVERIFY(!enabled(view, CommandId::RawSave));
        QVERIFY(!enabled(view, CommandId::RegionDisplay));
        QVERIFY(!enabled(view, CommandId::Move));
        QVERIFY(enabled(view, CommandId::WaterLevel));
        QVERIFY(enabled(view, CommandId::FileOpen));
        QVERIFY(enabled(view, CommandId::FileSave));
        int runs = 0;
        view.setDialogRunner(FillGenerateDialog({}, &runs));
        view.executeCommand(CommandId::Generate);  // refused: nothing happens
        QCOMPARE(runs, 0);

        // Painted, no cells.
        ShowWithClient(view, 300, 200);
        QVERIFY(enabled(view, CommandId::Generate));
        QVERIFY(!enabled(view, CommandId::CopyToClipboard));
        QVERIFY(!enabled(view, CommandId::Information));
        QVERIFY(!enabled(view, CommandId::RawSave));

        // Cells, no concentration points.
        OpenThroughMenu(view, WriteTerrain(dir_, "nopoints.ld", MakeTerrain(120, 100)));
        QVERIFY(enabled(view, CommandId::CopyToClipboard));
        QVERIFY(enabled(view, CommandId::Information));
        QVERIFY(enabled(view, CommandId::RawSave));
        QVERIFY(!enabled(view, CommandId::RegionDisplay));
        QVERIFY(!enabled(view, CommandId::Move));

        OpenThroughMenu(view, WriteTerrain(dir_, "points.ld", MakeTerrain(120, 100, {{10, 10}})));
        QVERIFY(enabled(view, CommandId::RegionDisplay));
        QVERIFY(!enabled(view, CommandId::Move));
        QVERIFY(!view.handlesCommand(CommandId::EditCopy));
        QVERIFY(!view.handlesCommand(CommandId::AppAbout));
    }

    void generateShowsTheRenderedCells() {
        MapView view;
        ShowWithClient(view, 300, 200);
        view.setDialogRunner(FillGenerateDialog({}));
        ScriptedMessages boxes;
        boxes.answers = {MessageAnswer::Yes};
        view.executeCommand(CommandId::Generate);

        QCOMPARE(boxes.requests.size(), size_t(1));
        QCOMPARE(boxes.requests[0].text, QString::fromUtf8("作成しますか？"));
        QCOMPARE(boxes.requests[0].title, QString::fromUtf8("地図生成"));
        QCOMPARE(boxes.requests[0].icon, MessageIcon::Question);
        QCOMPARE(boxes.requests[0].buttons, MessageButtons::YesNo);

        const GEO_MakeLand& terrain = view.terrainModel();
        QCOMPARE(terrain.GetSize(), 100 * 100);
        QCOMPARE(terrain.seed, uint64_t(7));
        QCOMPARE(view.shownPictureWidth(), 100);
        QVERIFY(view.mapPictureData());
        QCOMPARE(PictureMismatch(*view.mapPictureData(), terrain, false), std::string());
        QVERIFY(view.findChildren<CProgressDialog*>().isEmpty());
        QVERIFY(QFile::exists(dir_.file("makeland.bin")));

        const QImage image = ClientImage(view);
        for (int i = 0; i < 100; ++i) {
            QCOMPARE(Rgb(image, i, (i * 37) % 100), CellPixel(terrain, i, (i * 37) % 100));
            QCOMPARE(Rgb(image, 100 + i * 2, i), Black);
        }

        // The same seed again gives the same map.
        const std::vector<uint32_t> first = view.mapPictureData()->pixels;
        boxes.answers = {MessageAnswer::Yes};
        view.executeCommand(CommandId::Generate);
        QVERIFY(view.mapPictureData()->pixels == first);
    }

    void cancelAndNoChangeOnlyWhatTheyShould() {
        MapView view;
        ShowWithClient(view, 300, 200);
        ScriptedMessages boxes;

        view.setDialogRunner([](QDialog& dialog) {
            SetControlText(&dialog, GenerateControl::Width, QStringLiteral("555"));
            dialog.reject();
            return dialog.result();
        });
        view.executeCommand(CommandId::Generate);
        QCOMPARE(view.terrainModel().width, 1280);
        QCOMPARE(boxes.requests.size(), size_t(0));

        GenerateEntries entries;
        entries.width = 150;
        entries.height = 120;
        entries.seed = QStringLiteral("99");
        view.setDialogRunner(FillGenerateDialog(entries));
        boxes.answers = {MessageAnswer::No};
        view.executeCommand(CommandId::Generate);
        QCOMPARE(view.terrainModel().width, 1280);
        QCOMPARE(view.terrainModel().height, 1024);
        QCOMPARE(view.terrainModel().seed, uint64_t(99));
        QCOMPARE(view.terrainModel().GetSize(), 0);
    }

    void placementYesGeneratesWithThePlacedPoints() {
        MapView view;
        ShowWithClient(view, 300, 200);
        GenerateEntries entries;
        entries.manual = true;
        view.setDialogRunner(FillGenerateDialog(entries));
        ScriptedMessages boxes;
        boxes.answers = {MessageAnswer::No, MessageAnswer::Ok};
        view.executeCommand(CommandId::Generate);
        QCOMPARE(boxes.requests.size(), size_t(2));
        QCOMPARE(boxes.requests[0].text, QString::fromUtf8("直前の配置をそのまま使用しますか？"));
        QCOMPARE(boxes.requests[0].title, QString::fromUtf8("地図生成"));
        QCOMPARE(boxes.requests[0].buttons, MessageButtons::YesNo);
        QCOMPARE(boxes.requests[1].text,
                 QString::fromUtf8(
                     "集中ポイントを左クリックで配置して下さい\n右クリックで終了します\n"));
        QCOMPARE(boxes.requests[1].title, QString::fromUtf8("地図作製"));
        QCOMPARE(boxes.requests[1].icon, MessageIcon::Information);
        QVERIFY(view.placementMode().placing);
        QVERIFY(view.isCommandEnabled(CommandId::Generate));

        QTest::mouseClick(&view, Qt::LeftButton, {}, At(view, 20, 30));
        QTest::mouseClick(&view, Qt::LeftButton, {}, At(view, 70, 80));
        boxes.requests.clear();
        boxes.answers = {MessageAnswer::No};
        QTest::mouseClick(&view, Qt::RightButton, {}, At(view, 5, 5));
        QCOMPARE(boxes.requests.size(), size_t(1));
        QCOMPARE(boxes.requests[0].text,
                 QString::fromUtf8("以上で作成を開始します。よろしいですか？( 優先pt 2 個 )\n"
                                   "「いいえ」を押すと、集中ポイント追加を続行します"));
        QCOMPARE(boxes.requests[0].title, QString::fromUtf8("地図作製"));
        QCOMPARE(boxes.requests[0].buttons, MessageButtons::YesNoCancel);
        QVERIFY(view.placementMode().placing);

        QTest::mouseClick(&view, Qt::LeftButton, {}, At(view, 90, 10));
        boxes.answers = {MessageAnswer::Yes};
        QTest::mouseClick(&view, Qt::RightButton, {}, At(view, 5, 5));
        QVERIFY(!view.placementMode().placing);
        const GEO_MakeLand& terrain = view.terrainModel();
        QCOMPARE(terrain.GetSize(), 100 * 100);
        QCOMPARE(terrain.concentrationPoints.GetSize(), 3);
        QCOMPARE(terrain.concentrationPoints[0], (Point{20, 30}));
        QCOMPARE(terrain.concentrationPoints[2], (Point{90, 10}));
        QCOMPARE(PictureMismatch(*view.mapPictureData(), terrain, false), std::string());

        // Manual placement again, keeping the previous placement.
        boxes.requests.clear();
        boxes.answers = {MessageAnswer::Yes, MessageAnswer::Yes};
        view.executeCommand(CommandId::Generate);
        QCOMPARE(boxes.requests.size(), size_t(2));
        QCOMPARE(boxes.requests[1].text, QString::fromUtf8("作成しますか？"));
        QCOMPARE(view.terrainModel().concentrationPoints.GetSize(), 3);
        QCOMPARE(view.terrainModel().concentrationPoints[1], (Point{70, 80}));
    }

    void placementCancelRestoresTheOldMap() {
        MapView view;
        ShowWithClient(view, 400, 300);
        const GEO_MakeLand old = MakeTerrain(250, 200, {{5, 5}});
        OpenThroughMenu(view, WriteTerrain(dir_, "before.ld", old));
        const QImage before = ClientImage(view);

        GenerateEntries entries;
        entries.manual = true;
        entries.width = 900;
        entries.height = 700;
        view.setDialogRunner(FillGenerateDialog(entries));
        ScriptedMessages boxes;
        boxes.answers = {MessageAnswer::No, MessageAnswer::Ok};
        view.executeCommand(CommandId::Generate);
        QCOMPARE(view.terrainModel().width, 900);
        QCOMPARE(view.scrollState().scrollRangeX, 500);

        // While placing, the readers keep to the old grid.
        QVERIFY(view.isCommandEnabled(CommandId::CopyToClipboard));
        view.executeCommand(CommandId::CopyToClipboard);
        QCOMPARE(QGuiApplication::clipboard()->image().size(), QSize(250, 200));

        QTest::mouseClick(&view, Qt::LeftButton, {}, At(view, 10, 10));
        boxes.answers = {MessageAnswer::Cancel};
        QTest::mouseClick(&view, Qt::RightButton, {}, At(view, 5, 5));
        QVERIFY(!view.placementMode().placing);
        QCOMPARE(view.terrainModel().width, 250);
        QCOMPARE(view.terrainModel().height, 200);
        QCOMPARE(view.terrainModel().concentrationPoints.GetSize(), 1);
        QCOMPARE(view.scrollState().scrollRangeX, 0);
        QVERIFY(ClientImage(view) == before);
    }

    void regionDisplayTogglesWithoutRenderingAgain() {
        MapView view;
        ShowWithClient(view, 300, 200);
        const GEO_MakeLand terrain = MakeTerrain(120, 100, {{30, 40}});
        OpenThroughMenu(view, WriteTerrain(dir_, "regions.ld", terrain));
        const std::vector<uint32_t> mapPixels = view.mapPictureData()->pixels;

        view.executeCommand(CommandId::RegionDisplay);
        QVERIFY(view.isShowingRegions());
        QVERIFY(view.regionPictureData());
        const Picture& regions = *view.regionPictureData();
        QCOMPARE(PictureMismatch(regions, view.terrainModel(), true), std::string());
        QCOMPARE(regions.at(30, 40), Orange);
        const uint32_t* regionStorage = regions.pixels.data();
        QCOMPARE(Rgb(ClientImage(view), 30, 40), Orange);
        QCOMPARE(Rgb(ClientImage(view), 59, 90), White);  // a region border

        view.executeCommand(CommandId::RegionDisplay);
        QVERIFY(!view.isShowingRegions());
        QCOMPARE(Rgb(ClientImage(view), 30, 40), CellPixel(view.terrainModel(), 30, 40));
        view.executeCommand(CommandId::RegionDisplay);
        QVERIFY(view.isShowingRegions());
        QVERIFY(view.regionPictureData()->pixels.data() == regionStorage);
        QVERIFY(view.mapPictureData()->pixels == mapPixels);

        // The clipboard gets what is shown, marks included.
        view.executeCommand(CommandId::CopyToClipboard);
        const QImage copied =
            QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(copied.size(), QSize(120, 100));
        QCOMPARE(Rgb(copied, 30, 40), Orange);
        QCOMPARE(Rgb(copied, 100, 5), regions.at(100, 5));
    }

    void waterLevelRendersOnlyOnARealChange() {
        MapView view;
        ShowWithClient(view, 300, 200);
        double level = 0.5;
        int runs = 0;
        view.setDialogRunner([&view, &level, &runs](QDialog& dialog) {
            ++runs;
            if (!qobject_cast<CWaterLevelDialog*>(&dialog))
                return int(QDialog::Rejected);
            view.terrainModel().waterLevel = level;  // what OK writes
            return int(QDialog::Accepted);
        });

        // Without a map: stored, nothing rendered.
        level = 0.3;
        view.executeCommand(CommandId::WaterLevel);
        QCOMPARE(runs, 1);
        QCOMPARE(view.terrainModel().waterLevel, 0.3);
        QCOMPARE(view.mapPictureData()->width, 300);  // still the first black picture

        OpenThroughMenu(view, WriteTerrain(dir_, "water.ld", MakeTerrain(120, 100, {{60, 50}})));
        view.executeCommand(CommandId::RegionDisplay);
        const uint32_t* storage = view.mapPictureData()->pixels.data();
        level = view.terrainModel().waterLevel;  // unchanged
        view.executeCommand(CommandId::WaterLevel);
        QVERIFY(view.mapPictureData()->pixels.data() == storage);
        QVERIFY(view.isShowingRegions());

        level = 0.8;
        view.executeCommand(CommandId::WaterLevel);
        QVERIFY(!view.isShowingRegions());
        QVERIFY(!view.regionPictureData());
        QCOMPARE(view.terrainModel().waterLevel, 0.8);
        QCOMPARE(PictureMismatch(*view.mapPictureData(), view.terrainModel(), false),
                 std::string());
    }

    void clipboardHoldsTheWholeMap() {
        MapView view;
        ShowWithClient(view, 300, 200);
        const GEO_MakeLand terrain = MakeTerrain(700, 450);
        OpenThroughMenu(view, WriteTerrain(dir_, "clip.ld", terrain));
        Drag(view, At(view, 200, 150), At(view, 100, 100));
        QCOMPARE(view.scrollState().scrollX, 100);

        view.executeCommand(CommandId::CopyToClipboard);
        const QImage copied =
            QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(copied.size(), QSize(700, 450));
        for (int y = 0; y < 450; y += 11)
            for (int x = 0; x < 700; x += 11)
                QCOMPARE(Rgb(copied, x, y), CellPixel(terrain, x, y));
        QCOMPARE(Rgb(copied, 699, 449), CellPixel(terrain, 699, 449));
    }

    void informationShowsTheReportOwnedByTheWindow() {
        MapView view;
        ShowWithClient(view, 300, 200);
        OpenThroughMenu(view, WriteTerrain(dir_, "info.ld", MakeTerrain(100, 100)));
        QString report;
        QWidget* parent = &view;
        view.setDialogRunner([&](QDialog& dialog) {
            if (auto* info = qobject_cast<CInfoDialog*>(&dialog)) {
                report = info->reportText();
                parent = info->parentWidget();
            }
            return int(QDialog::Accepted);
        });
        view.executeCommand(CommandId::Information);
        QVERIFY(report.startsWith(QString::fromUtf8("陸の割合: ")));
        QVERIFY(parent == view.window());
    }

    void progressCallbacksFollowTheirTables() {
        MapView view;
        auto* dialog = new CProgressDialog(&view);
        GEO_MakeLand terrain;
        terrain.progressTotal = 3;
        terrain.progressCount = 0;

        MapView::generationProgress(*dialog, terrain, ProgressPhase::Preparing);
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->phaseLabel, QString::fromUtf8("生成"));
        QCOMPARE(dialog->statusText, QString::fromUtf8("準備中"));
        QCOMPARE(dialog->progressBar()->maximum(), 3);
        QCOMPARE(dialog->progressBar()->value(), 0);
        QCOMPARE(ControlText(dialog, ProgressControl::Status), QString::fromUtf8("準備中"));

        terrain.progressCount = 1;
        MapView::generationProgress(*dialog, terrain, ProgressPhase::Stamping);
        QCOMPARE(dialog->statusText, QStringLiteral("33.33%"));
        QCOMPARE(dialog->progressBar()->value(), 1);
        QCOMPARE(ControlText(dialog, ProgressControl::Status), QStringLiteral("33.33%"));

        MapView::generationProgress(*dialog, terrain, ProgressPhase::Normalising);
        QCOMPARE(dialog->statusText, QString::fromUtf8("正規化中"));
        QCOMPARE(dialog->progressBar()->value(), 3);

        dialog->statusText = QStringLiteral("kept");
        MapView::generationProgress(*dialog, terrain, ProgressPhase::Done);
        QCOMPARE(dialog->statusText, QStringLiteral("kept"));

        // Without a total the percentage stays as it was.
        terrain.progressTotal = 0;
        MapView::generationProgress(*dialog, terrain, ProgressPhase::Stamping);
        QCOMPARE(dialog->statusText, QStringLiteral("kept"));

        terrain.SetSize(3);
        MapView::renderProgress(*dialog, terrain, 0);
        QCOMPARE(dialog->phaseLabel, QString::fromUtf8("描画"));
        QCOMPARE(dialog->statusText, QStringLiteral("0%"));
        QCOMPARE(dialog->progressBar()->maximum(), 3);
        MapView::renderProgress(*dialog, terrain, 2);
        QCOMPARE(dialog->statusText, QStringLiteral("66.67%"));
        QCOMPARE(dialog->progressBar()->value(), 2);
        MapView::renderProgress(*dialog, terrain, 3);
        QCOMPARE(dialog->statusText, QStringLiteral("100.00%"));
        delete dialog;
    }
};

QTEST_MAIN(MapCommandsTest)
#include "MapCommandsTest.moc"
