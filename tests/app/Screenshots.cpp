// Renders the main window, its menus and every dialog to PNG files, for a
// look at the real layout and glyphs without a display:
//   QT_QPA_PLATFORM=offscreen glenvar_screenshots <output folder>

#include "app/CAboutDialog.h"
#include "app/CMainFrame.h"
#include "app/CMapToolApp.h"
#include "dialogs/CGenerateDialog.h"
#include "dialogs/CInfoDialog.h"
#include "dialogs/CProgressDialog.h"
#include "dialogs/CWaterLevelDialog.h"
#include "platform/DataExchange.h"
#include "platform/MessageBox.h"
#include "resources/DialogTemplates.h"
#include "resources/MenuTable.h"
#include "resources/ViewStrings.h"
#include "view/MapView.h"

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

QString outputDir;

void save(QWidget* widget, const char* name) {
    QCoreApplication::processEvents();
    const QString path = QDir(outputDir).filePath(QString::fromLatin1(name) + ".png");
    if (!widget->grab().save(path)) std::fprintf(stderr, "could not write %s\n", qPrintable(path));
    else std::printf("%s\n", qPrintable(path));
}

void saveDialog(QDialog& dialog, const char* name) {
    dialog.show();
    save(&dialog, name);
    dialog.hide();
}

// Shows a real message box and photographs it before answering it.
void saveMessage(QWidget* owner, const QString& text, MessageIcon icon, MessageButtons buttons,
                 const QString& title, const char* name) {
    QTimer::singleShot(50, [name] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            save(box, name);
            box->close();
        }
    });
    ShowMessage(owner, text, icon, buttons, title);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    CMapToolApp::PrepareApplication();
    outputDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("build/screenshots");
    QDir().mkpath(outputDir);
    outputDir = QDir(outputDir).absolutePath();
    QTemporaryDir scratch;  // the stencil cache goes here
    QDir::setCurrent(scratch.path());

    CMainFrame frame;
    frame.resize(1024, 720);
    frame.show();
    MapView* view = frame.mapView();
    save(&frame, "main-window-start");

    // A 700 x 500 map through the real parameters dialog.
    view->setDialogRunner([](QDialog& dialog) {
        if (qobject_cast<CGenerateDialog*>(&dialog)) {
            SetControlText(&dialog, GenerateControl::Width, QStringLiteral("700"));
            SetControlText(&dialog, GenerateControl::Height, QStringLiteral("500"));
            SetControlText(&dialog, GenerateControl::Seed, QStringLiteral("2024"));
        }
        dialog.accept();
        return dialog.result();
    });
    SetMessageAnswerer([](const MessageRequest&) { return MessageAnswer::Yes; });
    view->executeCommand(CommandId::Generate);
    save(&frame, "main-window-map");
    view->executeCommand(CommandId::RegionDisplay);
    save(&frame, "main-window-regions");
    view->executeCommand(CommandId::RegionDisplay);
    SetMessageAnswerer({});

    for (int index : {0, 1, 6}) {
        QMenu* menu = frame.menuBar()->actions().at(index)->menu();
        menu->popup(frame.mapToGlobal(QPoint(10, 30)));
        const char* names[] = {"menu-file", "menu-edit", "", "", "", "", "menu-help"};
        save(menu, names[index]);
        menu->hide();
    }

    GEO_MakeLand& terrain = view->terrainModel();
    {
        CGenerateDialog dialog(&terrain, view);
        saveDialog(dialog, "dialog-generate");
    }
    {
        CWaterLevelDialog dialog(&terrain, view);
        saveDialog(dialog, "dialog-water-level");
    }
    {
        CInfoDialog dialog(&terrain, &frame);
        saveDialog(dialog, "dialog-info");
    }
    {
        CAboutDialog dialog(&frame);
        saveDialog(dialog, "dialog-about");
    }
    {
        auto* dialog = new CProgressDialog(view);
        currentProgressDialog = dialog;
        terrain.progressTotal = 3;
        terrain.progressCount = 1;
        MapView::generationProgress(terrain, 0);
        MapView::generationProgress(terrain, 1);
        save(dialog, "dialog-progress");
        currentProgressDialog = nullptr;
        delete dialog;
    }
    saveMessage(view, QString::fromUtf8(ViewStrings::CreateQuestion), MessageIcon::Question,
                MessageButtons::YesNo, QString::fromUtf8(ViewStrings::GenerateTitle),
                "box-create");
    saveMessage(view, QString::asprintf(ViewStrings::PlacementStartQuestion, 3),
                MessageIcon::Question, MessageButtons::YesNoCancel,
                QString::fromUtf8(ViewStrings::PlacementTitle), "box-placement");
    return 0;
}
