#pragma once
// Shared by the desktop view tests: scripted answers for boxes and file
// dialogs, a scratch working directory, and small terrains written to files.

#include "core/GEO_MakeLand.h"
#include "core/MapFile.h"
#include "platform/FileDialogs.h"
#include "platform/MessageBox.h"
#include "resources/MenuTable.h"
#include "tests/support/ScriptedMessages.h"
#include "view/MapView.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <deque>
#include <optional>
#include <vector>

// Answers file dialogs from a queue of names (nothing = cancel).
class ScriptedFiles {
  public:
    ScriptedFiles() {
        SetFileDialogAnswerer([this](const FileDialogRequest& request) -> std::optional<QString> {
            requests.push_back(request);
            if (answers.empty() || !answers.front()) {
                if (!answers.empty())
                    answers.pop_front();
                return std::nullopt;
            }
            const QString name = *answers.front();
            answers.pop_front();
            return name;
        });
    }
    ~ScriptedFiles() { SetFileDialogAnswerer({}); }
    ScriptedFiles(const ScriptedFiles&) = delete;
    ScriptedFiles& operator=(const ScriptedFiles&) = delete;

    std::deque<std::optional<QString>> answers;
    std::vector<FileDialogRequest> requests;
};

// The tests run in a scratch directory, so the stencil cache lands there.
class ScratchDirectory {
  public:
    ScratchDirectory() : previous_(QDir::currentPath()) { QDir::setCurrent(dir_.path()); }
    ~ScratchDirectory() { QDir::setCurrent(previous_); }
    QString file(const QString& name) const { return dir_.filePath(name); }

  private:
    QTemporaryDir dir_;
    QString previous_;
};

inline std::filesystem::path FsPath(const QString& name) {
    return std::filesystem::path(QFile::encodeName(name).toStdString());
}

// A w x h terrain with varied altitudes across all three colour bands, its
// cells split into regions by column halves, and the given points.
inline GEO_MakeLand MakeTerrain(int32_t w, int32_t h, std::vector<Point> points = {}) {
    GEO_MakeLand terrain;
    terrain.width = w;
    terrain.height = h;
    terrain.SetSize(w * h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            LandCell& cell = terrain[x + w * y];
            cell.altitude = double((x * 7 + y * 13) % 101) / 100.0;
            cell.region = uint16_t(x < w / 2 ? 0 : 1);
        }
    terrain.gridWidth = w;
    terrain.gridHeight = h;
    terrain.seed = 12345;
    for (const Point& p : points)
        terrain.concentrationPoints.Add(p);
    return terrain;
}

inline QString WriteTerrain(const ScratchDirectory& dir, const QString& name,
                            const GEO_MakeLand& terrain) {
    const QString path = dir.file(name);
    SaveMapFile(terrain, FsPath(path));
    return path;
}

// Opens a file through the File menu's open command.
inline void OpenThroughMenu(MapView& view, const QString& path) {
    ScriptedFiles files;
    files.answers.push_back(path);
    view.executeCommand(CommandId::FileOpen);
}

// Shows a view whose client area is cw x ch and lets it paint once.
inline void ShowWithClient(MapView& view, int cw, int ch) {
    const int edge = view.frameWidth() * 2;
    view.resize(cw + edge, ch + edge);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QCoreApplication::processEvents();
}

// What the client area shows now.
inline QImage ClientImage(MapView& view) {
    return view.grab(view.clientRect()).toImage().convertToFormat(QImage::Format_RGB32);
}

inline uint32_t Rgb(const QImage& image, int x, int y) {
    return image.pixel(x, y) | 0xFF000000u;
}

inline uint32_t CellPixel(const GEO_MakeLand& terrain, int32_t x, int32_t y, bool regions = false) {
    return PixelFromColorRef(terrain.CellColour(x + terrain.gridWidth * y, regions));
}

inline constexpr uint32_t Black = 0xFF000000u;
inline constexpr uint32_t White = 0xFFFFFFFFu;
inline constexpr uint32_t Orange = PixelFromColorRef(RGB(255, 128, 0));

// Client position -> view position for synthetic mouse events.
inline QPoint At(const MapView& view, int x, int y) {
    return view.clientRect().topLeft() + QPoint(x, y);
}

// A left-button drag in one move, between view positions (see At).
inline void Drag(MapView& view, QPoint from, QPoint to) {
    QTest::mousePress(&view, Qt::LeftButton, {}, from);
    QTest::mouseMove(&view, to);
    QTest::mouseRelease(&view, Qt::LeftButton, {}, to);
}

// Asks for hand placement on a w x h map through the generate command: the
// dialog is accepted with those sizes, then the boxes are answered No (do not
// reuse the last placement) and OK (the instructions). Callers check that
// placement began: a QVERIFY here would only leave this function.
inline void RequestPlacement(MapView& view, int w, int h) {
    view.setDialogRunner([&view, w, h](QDialog&) {
        view.terrainModel().width = w;
        view.terrainModel().height = h;
        view.terrainModel().manualPlacement = 1;
        return int(QDialog::Accepted);
    });
    ScriptedMessages boxes;
    boxes.answers = {MessageAnswer::No, MessageAnswer::Ok};
    view.executeCommand(CommandId::Generate);
}
