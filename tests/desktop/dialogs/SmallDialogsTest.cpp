// The progress window, the water-level dialog and the information dialog.

#include "DialogTestSupport.h"

#include "core/GEO_MakeLand.h"
#include "dialogs/CInfoDialog.h"
#include "dialogs/CProgressDialog.h"
#include "dialogs/CWaterLevelDialog.h"
#include "dialogs/LandReport.h"
#include "platform/DataExchange.h"
#include "resources/DialogTemplates.h"

#include <QMainWindow>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <cstdio>
#include <memory>

namespace {

// Where the progress window must go: the frame's centre with right and bottom
// exclusive, the window's truncated halves, and its size rebuilt from them.
QRect ExpectedProgressRect(const QRect& frame, QSize window) {
    const int cx = (frame.left() + frame.left() + frame.width()) / 2;
    const int cy = (frame.top() + frame.top() + frame.height()) / 2;
    const int hw = window.width() / 2;
    const int hh = window.height() / 2;
    return QRect(cx - hw, cy - hh, 2 * hw, 2 * hh);
}

QSize ProgressTemplateSize() {
    const QFont font = DialogFont(DialogFontName, DialogFontPointSize);
    return DialogUnitsToPixels(QRect(0, 0, 294, 26), BaseUnitsOf(font)).size();
}

void SetCells(GEO_MakeLand& terrain, std::initializer_list<double> heights) {
    terrain.SetSize(static_cast<int32_t>(heights.size()));
    int32_t i = 0;
    for (double h : heights)
        terrain.GetData()[i++].altitude = h;
    terrain.gridWidth = static_cast<int32_t>(heights.size());
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
    void waterLevelLabelFollowsTheEndOfAnInteraction();
    void waterLevelCancelWritesNothing();
    void infoShowsTheReport();
    void infoClosesOnEnterEscapeAndItsButton();
};

void SmallDialogsTest::progressStartsHiddenAndEmpty() {
    CProgressDialog dialog(nullptr);
    QVERIFY(!dialog.isVisible());
    QVERIFY(!dialog.isModal());
    QCOMPARE(dialog.windowTitle(), QString::fromUtf8("作成中"));
    QCOMPARE(ControlText(&dialog, 1010), QString());
    QCOMPARE(ControlText(&dialog, 1001), QString());
    QCOMPARE(dialog.progressBar(), FindControl(&dialog, 1000));
    for (int id : {1, 2}) {
        QVERIFY(FindControl(&dialog, id)->isHidden());
        QVERIFY(!FindControl(&dialog, id)->isEnabled());
    }

    dialog.phaseLabel = QString::fromUtf8("生成");
    dialog.statusText = QStringLiteral("42%");
    dialog.TransferToControls();
    QVERIFY(!dialog.isVisible());
    dialog.progressBar()->setRange(0, 10);
    dialog.progressBar()->setValue(4);
    dialog.ShowAndRepaint();
    QVERIFY(dialog.isVisible());
    QCOMPARE(ControlText(&dialog, 1010), QString::fromUtf8("生成"));
    QCOMPARE(ControlText(&dialog, 1001), QStringLiteral("42%"));
    // What was painted is what the controls hold, without a trip through the loop.
    const QImage shot = dialog.grab().toImage();
    QCOMPARE(shot.size(), dialog.size());
}

void SmallDialogsTest::progressCentresOnTheMainFrame_data() {
    QTest::addColumn<QRect>("frame");
    QTest::newRow("even frame") << QRect(0, 0, 1280, 1024);
    QTest::newRow("odd frame") << QRect(13, 7, 1001, 777);
    QTest::newRow("negative origin") << QRect(-301, -45, 900, 601);
}

void SmallDialogsTest::progressCentresOnTheMainFrame() {
    QFETCH(QRect, frame);
    QMainWindow mainFrame;
    mainFrame.setGeometry(frame);
    // The view sits off-centre so centring on it would show.
    auto* holder = new QWidget;
    auto* view = new QWidget(holder);
    view->setGeometry(0, 0, 200, 100);
    mainFrame.setCentralWidget(holder);
    mainFrame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&mainFrame));

    CProgressDialog dialog(view);
    const QRect expected = ExpectedProgressRect(mainFrame.frameGeometry(), ProgressTemplateSize());
    QCOMPARE(dialog.frameGeometry(), expected);
    QCOMPARE(dialog.size().width() % 2, 0);
    QCOMPARE(dialog.size().height() % 2, 0);

    // Once shown, the decorations are known and the whole window is centred.
    const QSize beforeShowing = dialog.size();
    dialog.ShowAndRepaint();
    const QSize decorations = dialog.frameGeometry().size() - dialog.size();
    QCOMPARE(dialog.frameGeometry(),
             ExpectedProgressRect(mainFrame.frameGeometry(), beforeShowing + decorations));
}

void SmallDialogsTest::progressIgnoresInputUntilDestroyed() {
    QWidget frame;
    frame.setGeometry(0, 0, 800, 600);
    frame.show();
    QPointer<CProgressDialog> dialog = new CProgressDialog(&frame);
    dialog->ShowAndRepaint();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        QTest::keyClick(dialog, key);
        QVERIFY(dialog->isVisible());
    }
    QVERIFY(!dialog->close());
    QVERIFY(dialog->isVisible());
    static_cast<QDialog*>(dialog.data())->reject();
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->result(), 0);
    // The operation ends it.
    dialog->deleteLater();
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
    QTest::newRow("above one") << 3.0 << 100000 << "100.00%" << 1.0;
    QTest::newRow("tie") << 0.00125 << 125 << "0.12%" << 125 * 0.00001;
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

void SmallDialogsTest::waterLevelLabelFollowsTheEndOfAnInteraction() {
    GEO_MakeLand terrain;
    CWaterLevelDialog dialog(&terrain, nullptr);
    QVERIFY(ShowActive(&dialog));
    auto* slider = ControlAs<Trackbar>(&dialog, 1008);
    QCOMPARE(slider->pageStep(), 10);
    QCOMPARE(slider->minimum(), 1);
    slider->setFocus();
    PressKey(slider, Qt::Key_PageUp);
    PressKey(slider, Qt::Key_Left);
    QCOMPARE(slider->GetPos(), 49989);
    QCOMPARE(ControlText(&dialog, 1009), QStringLiteral("50.00%"));
    ReleaseKey(slider, Qt::Key_Left);
    QCOMPARE(ControlText(&dialog, 1009), QStringLiteral("49.99%"));

    DragThumb(slider, 100);
    QVERIFY(slider->GetPos() > 49989);
    QCOMPARE(ControlText(&dialog, 1009), QStringLiteral("49.99%"));
    ReleaseThumb(slider);
    char label[32];
    std::snprintf(label, sizeof label, "%.2f%%", slider->GetPos() * 0.001);
    QCOMPARE(ControlText(&dialog, 1009), QString::fromLatin1(label));
    const int position = slider->GetPos();
    QTest::mouseClick(ControlAs<QPushButton>(&dialog, 1), Qt::LeftButton);
    QCOMPARE(Bits(terrain.waterLevel), Bits(position * 0.00001));
}

void SmallDialogsTest::waterLevelCancelWritesNothing() {
    for (Qt::Key way : {Qt::Key_Escape, Qt::Key_Cancel}) {
        GEO_MakeLand terrain;
        terrain.waterLevel = 0.123456;
        CWaterLevelDialog dialog(&terrain, nullptr);
        QVERIFY(ShowActive(&dialog));
        auto* slider = ControlAs<Trackbar>(&dialog, 1008);
        slider->setFocus();
        QTest::keyClick(slider, Qt::Key_End);
        QCOMPARE(ControlText(&dialog, 1009), QStringLiteral("100.00%"));
        if (way == Qt::Key_Escape)
            QTest::keyClick(slider, Qt::Key_Escape);
        else
            QTest::mouseClick(ControlAs<QPushButton>(&dialog, 2), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(terrain.waterLevel, 0.123456);
    }
}

void SmallDialogsTest::infoShowsTheReport() {
    GEO_MakeLand terrain;
    SetCells(terrain, {0.0, 0.25, 0.5, 1.0});
    terrain.waterLevel = 0.5;
    // A size changed for a coming generation must not widen what is read.
    terrain.width = 3000;
    terrain.height = 3000;
    const QString expected = QString::fromStdString(BuildLandReport(terrain.GetData(), 4, 0.5));
    QVERIFY(expected.startsWith(QString::fromUtf8("陸の割合: 25.0％\r\n")));

    CInfoDialog dialog(&terrain, nullptr);
    QCOMPARE(dialog.windowTitle(), QString::fromUtf8("情報"));
    QCOMPARE(dialog.reportText(), expected);
    QCOMPARE(ControlText(&dialog, 1017), expected);
    auto* edit = ControlAs<QPlainTextEdit>(&dialog, 1017);
    QVERIFY(edit->isReadOnly());
    QCOMPARE(edit->lineWrapMode(), QPlainTextEdit::NoWrap);
    // Lines break where the report breaks them, with no stray carriage returns.
    QVERIFY(!edit->toPlainText().contains(QLatin1Char('\r')));
    QCOMPARE(edit->document()->blockCount(), 16);
}

void SmallDialogsTest::infoClosesOnEnterEscapeAndItsButton() {
    GEO_MakeLand terrain;
    SetCells(terrain, {0.3});
    for (int way = 0; way < 4; ++way) {
        CInfoDialog dialog(&terrain, nullptr);
        QVERIFY(ShowActive(&dialog));
        auto* visible = ControlAs<QPushButton>(&dialog, 2);
        QVERIFY(visible->isVisible());
        QCOMPARE(visible->text(), QStringLiteral("OK"));
        QVERIFY(FindControl(&dialog, 1)->isHidden());
        QCOMPARE(dialog.focusWidget(), visible);
        switch (way) {
        case 0:
            QTest::keyClick(dialog.focusWidget(), Qt::Key_Return);
            break;
        case 1:
            QTest::keyClick(dialog.focusWidget(), Qt::Key_Escape);
            break;
        case 2:
            QTest::mouseClick(visible, Qt::LeftButton);
            break;
        case 3:  // Enter inside the report still closes.
            FindControl(&dialog, 1017)->setFocus();
            QTest::keyClick(FindControl(&dialog, 1017), Qt::Key_Return);
            break;
        }
        QVERIFY2(!dialog.isVisible(), qPrintable(QString::number(way)));
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }
}

QTEST_MAIN(SmallDialogsTest)
#include "SmallDialogsTest.moc"
