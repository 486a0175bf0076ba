// Renders the main window, its menus and every dialog to PNG files, for a
// look at the real layout and glyphs without a display:
//   QT_QPA_PLATFORM=offscreen glenvar_screenshots <output folder>

#include "app/CAboutDialog.h"
#include "app/CMainFrame.h"
#include "app/CMapToolApp.h"
#include "core/MapFile.h"
#include "dialogs/CGenerateDialog.h"
#include "dialogs/CInfoDialog.h"
#include "dialogs/CProgressDialog.h"
#include "dialogs/CWaterLevelDialog.h"
#include "platform/DataExchange.h"
#include "platform/FileDialogs.h"
#include "platform/MessageBox.h"
#include "resources/DialogTemplates.h"
#include "resources/MenuTable.h"
#include "resources/Strings.h"
#include "resources/ViewStrings.h"
#include "tests/support/ScriptedMessages.h"
#include "view/MapView.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <optional>

namespace {

QString outputDir;

void save(QWidget* widget, const char* name) {
    QCoreApplication::processEvents();
    const QString path = QDir(outputDir).filePath(QString::fromLatin1(name) + ".png");
    if (!widget->grab().save(path))
        std::fprintf(stderr, "could not write %s\n", qPrintable(path));
    else
        std::printf("%s\n", qPrintable(path));
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
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            save(box, name);
            box->defaultButton()->click();  // a Yes/No box cannot be closed
        }
    });
    ShowMessage(owner, text, icon, buttons, title);
}

// Shows the real dialog a file command asks for, in the working folder, and
// photographs it; the save dialog is then told to replace startup.ld, and the
// question it asks is photographed too. Every dialog ends cancelled.
std::optional<QString> saveFileDialog(const FileDialogRequest& request) {
    const bool saving = request.kind == FileDialogRequest::Kind::Save;
    QFileDialog dialog(request.owner);
    ConfigureFileDialog(dialog, request);
    dialog.setDirectory(QDir::currentPath());
    dialog.show();
    auto* list = dialog.findChild<QAbstractItemView*>(QStringLiteral("treeView"));
    for (int wait = 0; wait < 200 && list->model()->rowCount(list->rootIndex()) < 2; ++wait)
        QTest::qWait(10);
    QTest::qWait(100);
    save(&dialog, saving ? "dialog-save" : "dialog-open");
    if (saving) {
        QTimer::singleShot(50, [] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                save(box, "box-replace");
                box->button(QMessageBox::No)->click();
            }
        });
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        name->setText(QStringLiteral("startup.ld"));  // as typed
        static_cast<QDialog&>(dialog).accept();       // as the Save button does
    }
    dialog.reject();
    return std::nullopt;
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
    {
        ScriptedMessages yes(MessageAnswer::Yes);
        view->executeCommand(CommandId::Generate);
        save(&frame, "main-window-map");
        view->executeCommand(CommandId::RegionDisplay);
        save(&frame, "main-window-regions");
        view->executeCommand(CommandId::RegionDisplay);
    }

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
        terrain.progressTotal = 3;
        terrain.progressCount = 1;
        MapView::generationProgress(*dialog, terrain, ProgressPhase::Preparing);
        MapView::generationProgress(*dialog, terrain, ProgressPhase::Stamping);
        save(dialog, "dialog-progress");
        delete dialog;
    }
    saveMessage(view, QString::fromUtf8(ViewStrings::CreateQuestion), MessageIcon::Question,
                MessageButtons::YesNo, QString::fromUtf8(Strings::GenerateCaption), "box-create");
    saveMessage(view, QString::asprintf(ViewStrings::PlacementStartQuestion, 3),
                MessageIcon::Question, MessageButtons::YesNoCancel,
                QString::fromUtf8(ViewStrings::PlacementTitle), "box-placement");

    SaveMapFile(terrain, "startup.ld");
    SaveMapFile(GEO_MakeLand(), "empty.ld");
    GEO_MakeLand small;
    small.width = small.gridWidth = 200;
    small.height = small.gridHeight = 150;
    small.SetSize(200 * 150);
    SaveMapFile(small, "small.ld");  // 468.82 KiB, the widest size text
    SetFileDialogAnswerer(&saveFileDialog);
    view->executeCommand(CommandId::FileOpen);
    view->executeCommand(CommandId::FileSave);
    SetFileDialogAnswerer({});
    return 0;
}
