// The progress window, the water-level dialog and the information dialog.

#include "tests/support/DialogTestSupport.h"

#include "core/GEO_MakeLand.h"
#include "core/LandReport.h"
#include "dialogs/CInfoDialog.h"
#include "dialogs/CProgressDialog.h"
#include "dialogs/CWaterLevelDialog.h"
#include "resources/DialogTemplates.h"

#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>

namespace {

// The frame's centre (right and bottom exclusive) less the window's truncated
// halves, and the size rebuilt from those halves.
QRect ExpectedProgressRect(const QRect& frame, QSize window) {
    const int cx = (frame.left() + frame.left() + frame.width()) / 2;
    const int cy = (frame.top() + frame.top() + frame.height()) / 2;
    const int hw = window.width() / 2;
    const int hh = window.height() / 2;
    return QRect(cx - hw, cy - hh, 2 * hw, 2 * hh);
}

void SetHeights(GEO_MakeLand& terrain, std::initializer_list<double> heights) {
    terrain.SetSize(int32_t(heights.size()));
    int32_t i = 0;
    for (double h : heights)
        terrain.GetData()[i++].altitude = h;
    terrain.gridWidth = int32_t(heights.size());
    terrain.gridHeight = 1;
}

}  // namespace

class SmallDialogsTest : public QObject {
    Q_OBJECT

  private slots:
    void progressStartsHiddenAndEmpty();
    void progressCentresOnTheMainFrame_data();
    void progressCentresOnTheMainFrame();
    void progressIgnoresInputUntilDestroyed();
    void waterLevelOpensAtTheLevelsPosition_data();
    void waterLevelOpensAtTheLevelsPosition();
    void waterLevelLabelAndCancel();
    void infoShowsTheReportAndCloses();
};

void SmallDialogsTest::progressStartsHiddenAndEmpty() {
    CProgressDialog dialog(nullptr);
    QVERIFY(!dialog.isVisible() && !dialog.isModal());
    QCOMPARE(dialog.windowTitle(), QString::fromUtf8("作成中"));
    QCOMPARE(ControlText(&dialog, 1010), QString());
    QCOMPARE(ControlText(&dialog, 1001), QString());
    QCOMPARE(dialog.progressBar(), FindControl(&dialog, 1000));
    for (int id : {1, 2})
        QVERIFY(FindControl(&dialog, id)->isHidden() && !FindControl(&dialog, id)->isEnabled());

    dialog.phaseLabel = QString::fromUtf8("生成");
    dialog.statusText = QStringLiteral("42%");
    dialog.transferToControls();
    QVERIFY(!dialog.isVisible());
    dialog.showAndRepaint();
    QVERIFY(dialog.isVisible());
    QCOMPARE(ControlText(&dialog, 1010), QString::fromUtf8("生成"));
    QCOMPARE(ControlText(&dialog, 1001), QStringLiteral("42%"));
}

void SmallDialogsTest::progressCentresOnTheMainFrame_data() {
    QTest::addColumn<QRect>("frame");
    QTest::newRow("even frame") << QRect(0, 0, 1280, 1024);
    QTest::newRow("odd frame") << QRect(13, 7, 1001, 777);
    // Wide enough that the window itself lands on screen: the offscreen
    // platform pushes windows with negative positions back onto it.
    QTest::newRow("negative origin") << QRect(-301, -45, 1501, 601);
}

void SmallDialogsTest::progressCentresOnTheMainFrame() {
    QFETCH(QRect, frame);
    QMainWindow mainFrame;
    mainFrame.setGeometry(frame);
    auto* holder = new QWidget;
    auto* view = new QWidget(holder);  // off-centre: centring on it would show
    view->setGeometry(0, 0, 200, 100);
    mainFrame.setCentralWidget(holder);
    mainFrame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&mainFrame));

    CProgressDialog dialog(view);
    const QFont font = DialogFont(DialogFontName, DialogFontPointSize);
    const QSize resource = DialogUnitsToPixels(QRect(0, 0, 294, 26), BaseUnitsOf(font)).size();
    QCOMPARE(dialog.frameGeometry(), ExpectedProgressRect(mainFrame.frameGeometry(), resource));

    // Once shown, the decorations are known and the whole window is centred.
    const QSize beforeShowing = dialog.size();
    dialog.showAndRepaint();
    const QSize decorations = dialog.frameGeometry().size() - dialog.size();
    QCOMPARE(dialog.frameGeometry(),
             ExpectedProgressRect(mainFrame.frameGeometry(), beforeShowing + decorations));
}

void SmallDialogsTest::progressIgnoresInputUntilDestroyed() {
    QWidget frame;
    frame.show();
    QPointer<CProgressDialog> dialog = new CProgressDialog(&frame);
    dialog->showAndRepaint();
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
        QTest::keyClick(dialog, key);
    QVERIFY(!dialog->close());
    static_cast<QDialog*>(dialog.data())->reject();
    QVERIFY(dialog->isVisible() && dialog->result() == 0);
    dialog->deleteLater();  // what the operation does when it ends
    QTRY_VERIFY(dialog.isNull());
}

void SmallDialogsTest::waterLevelOpensAtTheLevelsPosition_data() {
    QTest::addColumn<double>("level");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("label");
    QTest::addColumn<double>("stored");
    QTest::newRow("default") << 0.5 << 50000 << "50.00%" << 50000 * 0.00001;
    QTest::newRow("zero") << 0.0 << 1 << "0.00%" << 0.00001;
    QTest::newRow("one") << 1.0 << 100000 << "100.00%" << 1.0;
    QTest::newRow("from a file") << 0.123456 << 12345 << "12.35%" << 12345 * 0.00001;
}

void SmallDialogsTest::waterLevelOpensAtTheLevelsPosition() {
    QFETCH(double, level);
    QFETCH(int, position);
    QFETCH(QString, label);
    QFETCH(double, stored);
    GEO_MakeLand terrain;
    terrain.waterLevel = level;
    CWaterLevelDialog dialog(&terrain, nullptr);
    QVERIFY(ShowActive(&dialog));
    QCOMPARE(dialog.windowTitle(), QString::fromUtf8("水面の高さ"));
    QCOMPARE(ControlAs<Trackbar>(&dialog, 1008)->GetPos(), position);
    QCOMPARE(ControlText(&dialog, 1009), label);
    QCOMPARE(dialog.focusWidget(), FindControl(&dialog, 1));
    QTest::keyClick(dialog.focusWidget(), Qt::Key_Return);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(Bits(terrain.waterLevel), Bits(stored));
}

void SmallDialogsTest::waterLevelLabelAndCancel() {
    GEO_MakeLand terrain;
    for (bool ok : {false, true}) {
        CWaterLevelDialog dialog(&terrain, nullptr);
        QVERIFY(ShowActive(&dialog));
        auto* slider = ControlAs<Trackbar>(&dialog, 1008);
        slider->setFocus();
        QTest::keyPress(slider, Qt::Key_PageUp);
        QTest::keyPress(slider, Qt::Key_Left);
        QCOMPARE(slider->GetPos(), 49989);
        QCOMPARE(ControlText(&dialog, 1009), QStringLiteral("50.00%"));
        ReleaseKey(slider, Qt::Key_Left);
        QCOMPARE(ControlText(&dialog, 1009), QStringLiteral("49.99%"));
        DragThumb(slider, 100);
        QVERIFY(slider->GetPos() > 49989);
        QCOMPARE(ControlText(&dialog, 1009), QStringLiteral("49.99%"));
        ReleaseThumb(slider);
        QVERIFY(ControlText(&dialog, 1009) != QStringLiteral("49.99%"));
        const int position = slider->GetPos();
        if (ok) {
            QTest::mouseClick(ControlAs<QPushButton>(&dialog, 1), Qt::LeftButton);
            QCOMPARE(Bits(terrain.waterLevel), Bits(position * 0.00001));
        } else {
            QTest::keyClick(slider, Qt::Key_Escape);
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
            QCOMPARE(terrain.waterLevel, 0.5);
        }
    }
}

void SmallDialogsTest::infoShowsTheReportAndCloses() {
    GEO_MakeLand terrain;
    SetHeights(terrain, {0.0, 0.25, 0.5, 1.0});
    terrain.width = 3000;  // a size set for a coming generation widens nothing
    terrain.height = 3000;
    const QString report = QString::fromStdString(BuildLandReport(terrain.GetData(), 4, 0.5));
    QVERIFY(report.startsWith(QString::fromUtf8("陸の割合: 25.0％\r\n")));

    for (int way = 0; way < 4; ++way) {
        CInfoDialog dialog(&terrain, nullptr);
        QVERIFY(ShowActive(&dialog));
        QCOMPARE(dialog.windowTitle(), QString::fromUtf8("情報"));
        QCOMPARE(dialog.reportText(), report);
        QCOMPARE(ControlText(&dialog, 1017), report);
        auto* edit = ControlAs<QPlainTextEdit>(&dialog, 1017);
        QVERIFY(edit->isReadOnly() && !edit->toPlainText().contains(QLatin1Char('\r')));
        QCOMPARE(edit->document()->blockCount(), 16);
        auto* button = ControlAs<QPushButton>(&dialog, 2);
        QVERIFY(button->isVisible() && button->text() == QStringLiteral("OK"));
        QCOMPARE(dialog.focusWidget(), button);
        if (way == 0)
            QTest::keyClick(button, Qt::Key_Return);
        else if (way == 1)
            QTest::keyClick(button, Qt::Key_Escape);
        else if (way == 2)
            QTest::mouseClick(button, Qt::LeftButton);
        else
            QTest::keyClick(edit, Qt::Key_Return);
        QVERIFY2(!dialog.isVisible() && dialog.result() == QDialog::Rejected,
                 qPrintable(QString::number(way)));
    }
}

QTEST_MAIN(SmallDialogsTest)
#include "SmallDialogsTest.moc"
