// Open, save and raw save through the file dialog seam, with their failures.

#include "tests/support/ViewTestSupport.h"

#include "resources/ViewStrings.h"
#include "tests/support/Terrains.h"

#include <QDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTest>

#include <fstream>

namespace {

using testsupport::SameCells;

// Field for field and bit for bit; the names of the fields that differ otherwise.
QString Differences(const GEO_MakeLand& a, const GEO_MakeLand& b) {
    return QString::fromStdString(testsupport::DifferingFields(a, b));
}

void Save(MapView& view, int id, const QString& path) {
    ScriptedFiles files;
    files.answers.push_back(path);
    view.executeCommand(id);
    QCOMPARE(files.requests.size(), size_t(1));
}

}  // namespace

class FileCommandsTest : public QObject {
    Q_OBJECT
  private:
    ScratchDirectory dir_;

    // A view showing a 160 x 120 map with two points.
    void loadSample(MapView& view, const QString& name = QStringLiteral("sample.ld")) {
        ShowWithClient(view, 300, 200);
        GEO_MakeLand terrain = MakeTerrain(160, 120, {{10, 10}, {100, 60}});
        terrain.waterLevel = 0.4;
        OpenThroughMenu(view, WriteTerrain(dir_, name, terrain));
        QCOMPARE(view.terrainModel().GetSize(), 160 * 120);
    }

    // Opening `path` must fail with `text` and leave everything as it was.
    void expectFailedOpen(const QString& path, const QString& text) {
        MapView view;
        loadSample(view);
        view.executeCommand(CommandId::RegionDisplay);
        const GEO_MakeLand before = view.terrainModel();
        const QImage shown = ClientImage(view);

        ScriptedMessages boxes;
        OpenThroughMenu(view, path);
        QCOMPARE(boxes.requests.size(), size_t(1));
        if (!text.isEmpty())
            QCOMPARE(boxes.requests[0].text, text);
        QCOMPARE(boxes.requests[0].icon, MessageIcon::Stop);
        QCOMPARE(boxes.requests[0].buttons, MessageButtons::Ok);
        QCOMPARE(boxes.requests[0].title, QStringLiteral("Glenvar"));
        QCOMPARE(Differences(view.terrainModel(), before), QString());
        QVERIFY(view.isShowingRegions());
        QCOMPARE(view.shownPictureWidth(), 160);
        QVERIFY(ClientImage(view) == shown);
    }

  private slots:
    void dialogsAreAskedWithTheProgramsFilters() {
        MapView view;
        loadSample(view);
        ScriptedFiles files;  // every dialog cancelled
        view.executeCommand(CommandId::FileOpen);
        view.executeCommand(CommandId::FileSave);
        view.executeCommand(CommandId::RawSave);
        QCOMPARE(files.requests.size(), size_t(3));
        QCOMPARE(files.requests[0].kind, FileDialogRequest::Kind::Open);
        QCOMPARE(files.requests[0].filter,
                 QStringLiteral(
                     "Land Files (*.ld)|*.ld|Data Files (*.dat)|*.dat|All Files (*.*)|*.*||"));
        QCOMPARE(files.requests[1].kind, FileDialogRequest::Kind::Save);
        QCOMPARE(files.requests[1].filter,
                 QStringLiteral("Land Files (*.ld)|*.ld|All Files (*.*)|*.*||"));
        QCOMPARE(files.requests[2].filter,
                 QStringLiteral("Data Files (*.dat)|*.dat|All Files (*.*)|*.*||"));
        for (const FileDialogRequest& request : files.requests) {
            QCOMPARE(request.defaultSuffix, QStringLiteral("ld"));
            QCOMPARE(request.initialName, QStringLiteral("LandData"));
            QVERIFY(request.owner == &view);
        }
        QCOMPARE(view.terrainModel().GetSize(), 160 * 120);
    }

    void saveThenOpenGivesTheSameMapAndPicture() {
        MapView source;
        loadSample(source);
        const QString path = dir_.file("roundtrip.ld");
        Save(source, CommandId::FileSave, path);
        QVERIFY(QFileInfo::exists(path));

        MapView target;
        ShowWithClient(target, 300, 200);
        OpenThroughMenu(target, path);
        const GEO_MakeLand& a = source.terrainModel();
        const GEO_MakeLand& b = target.terrainModel();
        QCOMPARE(Differences(a, b), QString());
        QCOMPARE(b.width, 160);
        QCOMPARE(b.concentrationPoints.GetSize(), 2);
        QVERIFY(source.mapPictureData()->pixels == target.mapPictureData()->pixels);
        QVERIFY(ClientImage(source) == ClientImage(target));
    }

    void rawSaveThenOpenKeepsTheGrid() {
        MapView source;
        loadSample(source);
        const QString path = dir_.file("grid.dat");
        Save(source, CommandId::RawSave, path);

        MapView target;
        ShowWithClient(target, 300, 200);
        target.terrainModel().waterLevel = 0.4;  // a raw file carries no parameters
        OpenThroughMenu(target, path);
        QVERIFY(SameCells(source.terrainModel(), target.terrainModel()));
        QCOMPARE(target.terrainModel().width, 160);
        QCOMPARE(target.terrainModel().height, 120);
        QVERIFY(source.mapPictureData()->pixels == target.mapPictureData()->pixels);
    }

    void openOfAStartUpSaveShowsAnEmptyDefaultMap() {
        MapView view;
        ShowWithClient(view, 300, 200);
        const QString path = dir_.file("startup.ld");
        Save(view, CommandId::FileSave, path);
        QCOMPARE(QFileInfo(path).size(), qint64(76));
        loadSample(view);
        OpenThroughMenu(view, path);
        QCOMPARE(view.terrainModel().GetSize(), 0);
        QCOMPARE(view.shownPictureWidth(), 1280);
        QCOMPARE(view.mapPictureData()->width, 1280);
        QCOMPARE(view.mapPictureData()->height, 1024);
        QCOMPARE(view.scrollState().scrollRangeX, 980);
        QCOMPARE(Rgb(ClientImage(view), 10, 10), Black);
    }

    void otherMarkerLoadsNothingAndRedraws() {
        MapView view;
        loadSample(view);
        view.executeCommand(CommandId::RegionDisplay);
        QVERIFY(view.isShowingRegions());
        const QString path = dir_.file("other.ld");
        {
            std::ofstream out(FsPath(path), std::ios::binary);
            out << "XXnot a map";
        }
        ScriptedMessages boxes;
        OpenThroughMenu(view, path);
        QCOMPARE(boxes.requests.size(), size_t(0));
        QCOMPARE(view.terrainModel().GetSize(), 160 * 120);
        QVERIFY(!view.isShowingRegions());
        QVERIFY(!view.regionPictureData());
    }

    void openOfAMissingFileNamesItsFullPath() {
        const QString path = dir_.file("missing.ld");
        expectFailedOpen(path, path + QString::fromUtf8(" が見つかりませんでした。"));
    }

    void openOfADirectoryFails() {
        const QString path = dir_.file("folder.ld");
        QVERIFY(QDir().mkpath(path));
        expectFailedOpen(path, QString());
    }

    void openOfATruncatedFileFails() {
        const QString whole = WriteTerrain(dir_, "whole.ld", MakeTerrain(160, 120));
        QFile file(whole);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        file.close();
        const QString cut = dir_.file("cut.ld");
        QFile out(cut);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(bytes.left(bytes.size() - 100));
        out.close();
        expectFailedOpen(cut, QString());
    }

    // The busy cursor of the read must not outlive it: neither a loaded map
    // nor the failure's message box keeps it.
    void openLeavesNoBusyCursorBehind() {
        MapView view;
        loadSample(view);
        QVERIFY(!QGuiApplication::overrideCursor());

        std::vector<bool> busyAtMessage;
        SetMessageAnswerer([&busyAtMessage](const MessageRequest&) {
            busyAtMessage.push_back(QGuiApplication::overrideCursor() != nullptr);
            return MessageAnswer::Ok;
        });
        OpenThroughMenu(view, dir_.file("absent.ld"));
        SetMessageAnswerer({});
        QCOMPARE(busyAtMessage, std::vector<bool>{false});
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void saveIntoAnImpossiblePlaceKeepsEverything() {
        MapView view;
        loadSample(view);
        const QString blocker = WriteTerrain(dir_, "plainfile", MakeTerrain(100, 100));
        const qint64 blockerSize = QFileInfo(blocker).size();
        const QString path = blocker + QStringLiteral("/inside.ld");  // ENOTDIR, even for root
        for (int id : {CommandId::FileSave, CommandId::RawSave}) {
            ScriptedMessages boxes;
            Save(view, id, path);
            QCOMPARE(boxes.requests.size(), size_t(1));
            QVERIFY(boxes.requests[0].text.contains(path));
            QCOMPARE(boxes.requests[0].icon, MessageIcon::Stop);
            QVERIFY(!QFileInfo::exists(path));
            QCOMPARE(QFileInfo(blocker).size(), blockerSize);
        }
        QCOMPARE(view.terrainModel().GetSize(), 160 * 120);
    }

    // Hand placement has changed the size but not the cells yet: both saves
    // still write the map they hold.
    void savesDuringPlacementKeepTheGridsOwnSize() {
        MapView view;
        loadSample(view);
        RequestPlacement(view, 900, 700);
        QVERIFY(view.placementMode().placing);
        const QString map = dir_.file("placing.ld");
        const QString raw = dir_.file("placing.dat");
        Save(view, CommandId::FileSave, map);
        Save(view, CommandId::RawSave, raw);
        for (const QString& path : {map, raw}) {
            GEO_MakeLand reread;
            QVERIFY(LoadMapFile(reread, FsPath(path)) != MapFileKind::None);
            QCOMPARE(reread.GetSize(), 160 * 120);
            QCOMPARE(reread.gridWidth, 160);
            QVERIFY(SameCells(reread, view.terrainModel()));
        }
    }

    void saveOverAnExistingFileReplacesIt() {
        MapView view;
        loadSample(view);
        const QString path = WriteTerrain(dir_, "replace.ld", MakeTerrain(100, 100));
        Save(view, CommandId::FileSave, path);
        GEO_MakeLand reread;
        LoadMapFile(reread, FsPath(path));
        QVERIFY(SameCells(reread, view.terrainModel()));
    }
};

QTEST_MAIN(FileCommandsTest)
#include "FileCommandsTest.moc"
