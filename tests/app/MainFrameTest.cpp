// The main frame: its menu bar and accelerators, command routing, focus,
// the About box and Exit.

#include "tests/support/ViewTestSupport.h"

#include "app/CAboutDialog.h"
#include "app/CMainFrame.h"
#include "app/CMapToolApp.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace {

QStringList Texts(const QList<QAction*>& actions) {
    QStringList texts;
    for (QAction* action : actions)
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

QMenu* MenuAt(CMainFrame& frame, int index) {
    return frame.menuBar()->actions().at(index)->menu();
}

void OpenMenu(QMenu* menu) {
    emit menu->aboutToShow();
}

// Menu commands arrive posted, after the menu has closed.
void Choose(QAction* action) {
    action->trigger();
    QCoreApplication::processEvents();
}

}  // namespace

class MainFrameTest : public QObject {
    Q_OBJECT
  private:
    ScratchDirectory dir_;

  private slots:
    void initTestCase() {
        CMapToolApp::PrepareApplication();
        QApplication::setQuitOnLastWindowClosed(false);
    }

    void startsMaximisedWithTheMapViewAlone() {
        CMapToolApp app;
        QVERIFY(app.InitInstance());
        CMainFrame* frame = app.mainFrame();
        QVERIFY(frame);
        QCOMPARE(frame->objectName(), QStringLiteral("CMainFrame"));
        QCOMPARE(frame->windowTitle(), QStringLiteral("Glenvar"));
        QVERIFY(frame->windowState() & Qt::WindowMaximized);
        QVERIFY(frame->centralWidget() == frame->mapView());
        QCOMPARE(frame->mapView()->objectName(), QStringLiteral("MapView"));
        QVERIFY(frame->findChildren<QToolBar*>().isEmpty());
        QVERIFY(frame->findChildren<QStatusBar*>().isEmpty());
        QVERIFY(frame->testAttribute(Qt::WA_DeleteOnClose));
        // Un-maximised, it keeps a usable size: three quarters of the screen, centred.
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        const QRect normal = CMapToolApp::NormalFrameGeometry(available);
        QCOMPARE(frame->normalGeometry(), normal);
        QCOMPARE(CMapToolApp::NormalFrameGeometry(QRect(0, 0, 1280, 1024)),
                 QRect(160, 128, 960, 768));
        QCOMPARE(CMapToolApp::NormalFrameGeometry(QRect(100, 30, 1001, 801)),
                 QRect(226, 131, 750, 600));
        frame->showNormal();
        QTRY_COMPARE(frame->geometry(), normal);
        frame->close();  // deletes itself
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(app.mainFrame() == nullptr);
    }

    void menuBarAsTheTableGivesIt() {
        CMainFrame frame;
        QCOMPARE(Texts(frame.menuBar()->actions()),
                 QStringList({QString::fromUtf8("ﾌｧｲﾙ(&F)"), QString::fromUtf8("編集(&E)"),
                              QString::fromUtf8("生成(&M)"), QString::fromUtf8("水面(&W)"),
                              QString::fromUtf8("エリア(&A)"), QString::fromUtf8("情報(&I)"),
                              QString::fromUtf8("ﾍﾙﾌﾟ(&H)")}));
        QCOMPARE(Texts(MenuAt(frame, 0)->actions()),
                 QStringList({QString::fromUtf8("読込"), QString::fromUtf8("保存"), "-",
                              QString::fromUtf8("生保存"), QString::fromUtf8("ｸﾘｯﾌﾟﾎﾞｰﾄﾞに記憶"),
                              "-", QString::fromUtf8("ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)")}));
        QCOMPARE(Texts(MenuAt(frame, 1)->actions()),
                 QStringList({QString::fromUtf8("元に戻す(&U)\tCtrl+Z"), "-",
                              QString::fromUtf8("切り取り(&T)\tCtrl+X"),
                              QString::fromUtf8("ｺﾋﾟｰ(&C)\tCtrl+C"),
                              QString::fromUtf8("貼り付け(&P)\tCtrl+V"), "-",
                              QString::fromUtf8("移動(&M)")}));
        QCOMPARE(Texts(MenuAt(frame, 6)->actions()),
                 QStringList({QString::fromUtf8("ﾊﾞｰｼﾞｮﾝ情報(&A)...")}));
        for (int i : {2, 3, 4, 5})
            QVERIFY(frame.menuBar()->actions().at(i)->menu() == nullptr);
    }

    void dropDownItemsAreGreyedByTheirRules() {
        CMainFrame frame;
        OpenMenu(MenuAt(frame, 0));
        OpenMenu(MenuAt(frame, 1));
        OpenMenu(MenuAt(frame, 6));
        QVERIFY(frame.menuAction(CommandId::FileOpen)->isEnabled());
        QVERIFY(frame.menuAction(CommandId::FileSave)->isEnabled());
        QVERIFY(!frame.menuAction(CommandId::RawSave)->isEnabled());
        QVERIFY(!frame.menuAction(CommandId::CopyToClipboard)->isEnabled());
        QVERIFY(frame.menuAction(CommandId::AppExit)->isEnabled());
        for (int id : {CommandId::EditUndo, CommandId::EditCut, CommandId::EditCopy,
                       CommandId::EditPaste, CommandId::Move})
            QVERIFY(!frame.menuAction(id)->isEnabled());
        QVERIFY(!frame.isRouteEnabled(CommandId::AppAbout));  // no application in this frame

        // Commands on the bar itself are never greyed, even when refused.
        for (int id : {CommandId::Generate, CommandId::WaterLevel, CommandId::RegionDisplay,
                       CommandId::Information})
            QVERIFY(frame.menuAction(id)->isEnabled());
        int runs = 0;
        frame.mapView()->setDialogRunner([&runs](QDialog&) {
            ++runs;
            return int(QDialog::Rejected);
        });
        Choose(frame.menuAction(CommandId::Generate));  // not painted yet: ignored
        Choose(frame.menuAction(CommandId::Information));
        QCOMPARE(runs, 0);
        Choose(frame.menuAction(CommandId::WaterLevel));  // reaches the view
        QCOMPARE(runs, 1);

        // With cells, the File items follow.
        frame.resize(500, 400);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        OpenThroughMenu(*frame.mapView(), WriteTerrain(dir_, "frame.ld", MakeTerrain(100, 100)));
        OpenMenu(MenuAt(frame, 0));
        QVERIFY(frame.menuAction(CommandId::RawSave)->isEnabled());
        QVERIFY(frame.menuAction(CommandId::CopyToClipboard)->isEnabled());
        OpenMenu(MenuAt(frame, 1));
        QVERIFY(!frame.menuAction(CommandId::Move)->isEnabled());
    }

    void acceleratorsExistAndDoNothing() {
        CMainFrame frame;
        frame.resize(500, 400);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QStringList keys;
        for (QAction* action : frame.actions())
            if (!action->shortcut().isEmpty())
                keys << action->shortcut().toString(QKeySequence::PortableText);
        keys.sort();
        QStringList expected = {"Ctrl+C",    "Ctrl+Ins", "Ctrl+V",        "Shift+Ins", "Ctrl+X",
                                "Shift+Del", "Ctrl+Z",   "Alt+Backspace", "F6",        "Shift+F6"};
        expected.sort();
        QCOMPARE(keys, expected);

        OpenThroughMenu(*frame.mapView(), WriteTerrain(dir_, "keys.ld", MakeTerrain(100, 100)));
        ScriptedMessages boxes;
        ScriptedFiles files;
        int runs = 0;
        frame.mapView()->setDialogRunner([&runs](QDialog&) {
            ++runs;
            return int(QDialog::Rejected);
        });
        QGuiApplication::clipboard()->setText(QStringLiteral("untouched"));
        for (QAction* action : frame.actions())
            action->trigger();
        QTest::keyClick(&frame, Qt::Key_C, Qt::ControlModifier);
        QTest::keyClick(&frame, Qt::Key_F6);
        QCOMPARE(runs, 0);
        QCOMPARE(boxes.requests.size(), size_t(0));
        QCOMPARE(files.requests.size(), size_t(0));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("untouched"));
        QVERIFY(frame.isVisible());
    }

    void focusGoesToTheView() {
        CMainFrame frame;
        frame.resize(500, 400);
        frame.show();
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        frame.setFocus();
        QVERIFY(frame.mapView()->hasFocus());
        QVERIFY(QApplication::focusWidget() == frame.mapView());
    }

    void aboutBoxFromTheHelpMenu() {
        CMapToolApp app;
        QVERIFY(app.InitInstance());
        CMainFrame* frame = app.mainFrame();
        QVERIFY(frame->isRouteEnabled(CommandId::AppAbout));
        QString caption, version;
        bool hasIcon = false;
        QTimer watcher;
        watcher.setInterval(10);
        connect(&watcher, &QTimer::timeout, [&] {
            auto* about = qobject_cast<CAboutDialog*>(QApplication::activeModalWidget());
            if (!about)
                return;
            watcher.stop();
            caption = about->windowTitle();
            for (QLabel* label : about->findChildren<QLabel*>()) {
                if (!label->text().isEmpty())
                    version = label->text();
                if (!label->pixmap().isNull())
                    hasIcon = true;
            }
            QTest::keyClick(about, Qt::Key_Escape);
        });
        watcher.start();
        Choose(frame->menuAction(CommandId::AppAbout));
        QTRY_VERIFY(!watcher.isActive());
        QCOMPARE(caption, QStringLiteral("Glenvar Version"));
        QCOMPARE(version, QStringLiteral("Glenvar Version 0.1"));
        QVERIFY(hasIcon);
        QVERIFY(frame->isVisible());
        frame->close();
    }

    void exitClosesWithoutAsking() {
        CMapToolApp app;
        QVERIFY(app.InitInstance());
        QPointer<CMainFrame> frame = app.mainFrame();
        OpenThroughMenu(*frame->mapView(), WriteTerrain(dir_, "exit.ld", MakeTerrain(100, 100)));
        ScriptedMessages boxes;
        ScriptedFiles files;
        Choose(frame->menuAction(CommandId::AppExit));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(frame.isNull());
        QCOMPARE(boxes.requests.size(), size_t(0));
        QCOMPARE(files.requests.size(), size_t(0));
    }
};

QTEST_MAIN(MainFrameTest)
#include "MainFrameTest.moc"
