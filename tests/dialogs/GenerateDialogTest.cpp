// The generation parameters dialog driven as a user drives it.

#include "tests/support/DialogTestSupport.h"

#include "core/GEO_MakeLand.h"
#include "dialogs/CGenerateDialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include <memory>

namespace {

constexpr double ProcessStep = 0.0010000000474974513;  // 0.001f widened

// Everything the dialog may write, compared bit for bit.
auto Snapshot(const GEO_MakeLand& t) {
    return std::tuple(t.seed, t.width, t.height, t.unitAmount, Bits(t.processAmount),
                      Bits(t.concentrationRate), Bits(t.concentrationAmount), Bits(t.waterLevel),
                      t.concentrationPointCount, t.keepRandomState, t.manualPlacement,
                      t.twoThreads);
}

}  // namespace

class GenerateDialogTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { terrain = std::make_unique<GEO_MakeLand>(); }
    void cleanup() { dialog.reset(); }

    void opensWithTheDefaults();
    void okQuantisesWhatItOpenedWith_data();
    void okQuantisesWhatItOpenedWith();
    void refusedEntries_data();
    void refusedEntries();
    void acceptedEntriesAndReadOrder();
    void labelsChangeWhenTheInteractionEnds();
    void sliderReleaseWithABadEntryKeepsTheLabels();
    void okWritesEveryFieldAndCancelNone();
    void enterAcceptsAndEscapeCancels();

  private:
    void open() {
        dialog = std::make_unique<CGenerateDialog>(terrain.get(), nullptr);
        QVERIFY(ShowActive(dialog.get()));
    }
    QString text(int id) const { return ControlText(dialog.get(), id); }
    QStringList labels() const { return {text(1007), text(1009), text(1011), text(1013)}; }
    Trackbar* slider(int id) const { return ControlAs<Trackbar>(dialog.get(), id); }
    void type(int id, const QString& entry) {
        auto* edit = ControlAs<QLineEdit>(dialog.get(), id);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, entry);
    }
    void click(int id) {
        QTest::mouseClick(ControlAs<QAbstractButton>(dialog.get(), id), Qt::LeftButton);
    }
    void keyOnSlider(int id, Qt::Key key) {
        slider(id)->setFocus();
        QTest::keyClick(slider(id), key);
    }

    std::unique_ptr<GEO_MakeLand> terrain;
    std::unique_ptr<CGenerateDialog> dialog;
};

void GenerateDialogTest::opensWithTheDefaults() {
    open();
    QCOMPARE(dialog->windowTitle(), QString::fromUtf8("地図生成"));
    QCOMPARE(QStringList({text(1002), text(1003), text(1004), text(1006)}),
             QStringList({"0", "1280", "1024", "4"}));
    QCOMPARE(labels(), QStringList({"10", "20.00%", "40.00%", "150"}));
    QVERIFY(!IsChecked(dialog.get(), 1014) && !IsChecked(dialog.get(), 1015) &&
            !IsChecked(dialog.get(), 1016));
    QCOMPARE(slider(1008)->GetPos(), 20000);
    QCOMPARE(slider(1005)->pageStep(), 1);
    QCOMPARE(slider(1012)->pageStep(), 10);
    QCOMPARE(dialog->focusWidget(), FindControl(dialog.get(), 1));
}

void GenerateDialogTest::okQuantisesWhatItOpenedWith_data() {
    QTest::addColumn<double>("process");
    QTest::addColumn<double>("rate");
    QTest::addColumn<int>("unit");
    QTest::addColumn<quint64>("seed");
    QTest::addColumn<QStringList>("shown");  // seed edit and the four labels
    QTest::addColumn<double>("storedProcess");
    QTest::addColumn<double>("storedRate");
    QTest::addColumn<int>("storedUnit");

    const double nan = std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("defaults") << double(0.01f) << double(0.2f) << 150 << quint64(0)
                              << QStringList{"0", "10", "20.00%", "40.00%", "150"}
                              << 10 * ProcessStep << 20000 * 0.00001 << 150;
    QTest::newRow("from a file") << 0.0123 << 0.123456 << 1 << quint64(0xABCD000012345678)
                                 << QStringList{"305419896", "12", "12.35%", "40.00%", "1"}
                                 << 12 * ProcessStep << 12345 * 0.00001 << 1;
    QTest::newRow("below the ranges")
        << -1.0 << -0.5 << 0 << quint64(0xFFFFFFFF)
        << QStringList{"4294967295", "1", "0.00%", "40.00%", "1"} << ProcessStep << 0.0 << 1;
    QTest::newRow("above, beyond int, NaN")
        << 1e300 << nan << 250 << quint64(1) << QStringList{"1", "500", "0.00%", "40.00%", "200"}
        << 500 * ProcessStep << 0.0 << 200;
    QTest::newRow("printf tie") << 0.5 << 0.00125 << 7 << quint64(1)
                                << QStringList{"1", "500", "0.12%", "40.00%", "7"}
                                << 500 * ProcessStep << 125 * 0.00001 << 7;
}

void GenerateDialogTest::okQuantisesWhatItOpenedWith() {
    QFETCH(double, process);
    QFETCH(double, rate);
    QFETCH(int, unit);
    QFETCH(quint64, seed);
    QFETCH(QStringList, shown);
    QFETCH(double, storedProcess);
    QFETCH(double, storedRate);
    QFETCH(int, storedUnit);
    terrain->processAmount = process;
    terrain->concentrationRate = rate;
    terrain->unitAmount = unit;
    terrain->seed = seed;
    open();
    QCOMPARE(QStringList{text(1002)} + labels(), shown);
    ScriptedMessages messages(MessageAnswer::Ok);
    click(1);
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
    QVERIFY(messages.requests.empty());
    QCOMPARE(Bits(terrain->processAmount), Bits(storedProcess));
    QCOMPARE(Bits(terrain->concentrationRate), Bits(storedRate));
    QCOMPARE(Bits(terrain->concentrationAmount), Bits(40000 * 0.00001));
    QCOMPARE(terrain->unitAmount, storedUnit);
    QCOMPARE(terrain->seed, seed & 0xFFFFFFFFu);
}

void GenerateDialogTest::refusedEntries_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("message");
    const QString range = QString::fromUtf8("%1 から %2 までの整数を入力してください。");
    const QString positive = QString::fromUtf8("正の整数を入力してください。");
    const QString integer = QString::fromUtf8("整数を入力してください。");
    QTest::newRow("width 99") << 1003 << "99" << range.arg(100).arg(3000);
    QTest::newRow("width 3001") << 1003 << "3001" << range.arg(100).arg(3000);
    QTest::newRow("width saturated") << 1003 << "99999999999" << range.arg(100).arg(3000);
    QTest::newRow("height empty") << 1004 << "" << integer;
    QTest::newRow("points 256") << 1006 << "256" << range.arg(0).arg(255);
    QTest::newRow("points -1") << 1006 << "-1" << range.arg(0).arg(255);
    QTest::newRow("points abc") << 1006 << "abc" << integer;
    QTest::newRow("points -0") << 1006 << "-0" << integer;
    QTest::newRow("seed -1") << 1002 << "-1" << positive;
    QTest::newRow("seed abc") << 1002 << "abc" << positive;
    QTest::newRow("seed empty") << 1002 << "" << positive;
}

void GenerateDialogTest::refusedEntries() {
    QFETCH(int, id);
    QFETCH(QString, entry);
    QFETCH(QString, message);
    open();
    const auto before = Snapshot(*terrain);
    type(id, entry);
    ScriptedMessages messages(MessageAnswer::Ok);
    click(1);
    QCOMPARE(messages.texts(), QStringList{message});
    QVERIFY(messages.requests[0].icon == MessageIcon::Exclamation &&
            messages.requests[0].owner == dialog.get());
    QVERIFY(dialog->isVisible() && dialog->result() == 0);
    QVERIFY(Snapshot(*terrain) == before);
    QCOMPARE(dialog->focusWidget(), FindControl(dialog.get(), id));
    QCOMPARE(ControlAs<QLineEdit>(dialog.get(), id)->selectedText(), entry);
}

void GenerateDialogTest::acceptedEntriesAndReadOrder() {
    open();
    ScriptedMessages messages(MessageAnswer::Ok);
    type(1004, QStringLiteral("5"));
    type(1003, QStringLiteral("x"));
    type(1006, QStringLiteral("999"));
    click(1);  // seed, points, width, height: the first failure stops the read
    type(1006, QStringLiteral(" 12 "));
    click(1);
    type(1003, QStringLiteral("100"));
    click(1);
    QCOMPARE(messages.texts(),
             QStringList({QString::fromUtf8("0 から 255 までの整数を入力してください。"),
                          QString::fromUtf8("整数を入力してください。"),
                          QString::fromUtf8("100 から 3000 までの整数を入力してください。")}));
    type(1004, QStringLiteral("3000"));
    type(1002, QStringLiteral("99999999999"));
    click(1);
    QCOMPARE(messages.requests.size(), size_t(3));
    QCOMPARE(std::tuple(terrain->concentrationPointCount, terrain->width, terrain->height),
             std::tuple(12, 100, 3000));
    QCOMPARE(terrain->seed, uint64_t{4294967295u});
}

void GenerateDialogTest::labelsChangeWhenTheInteractionEnds() {
    open();
    ScriptedMessages messages(MessageAnswer::Ok);
    type(1006, QStringLiteral(" 12 "));
    type(1003, QStringLiteral("+0200"));
    slider(1008)->setFocus();
    QTest::keyPress(slider(1008), Qt::Key_PageDown);
    QTest::keyPress(slider(1008), Qt::Key_PageDown);
    ReleaseKey(slider(1008), Qt::Key_PageDown, true);
    QCOMPARE(slider(1008)->GetPos(), 20020);
    QCOMPARE(labels()[1], QStringLiteral("20.00%"));
    QCOMPARE(text(1006), QStringLiteral(" 12 "));
    ReleaseKey(slider(1008), Qt::Key_PageDown);
    QCOMPARE(labels()[1], QStringLiteral("20.02%"));
    // The same transfer rewrites the edits in their canonical form.
    QCOMPARE(text(1006), QStringLiteral("12"));
    QCOMPARE(text(1003), QStringLiteral("200"));

    DragThumb(slider(1012), -150);
    const int dragged = slider(1012)->GetPos();
    QVERIFY(dragged < 150);
    QCOMPARE(labels()[3], QStringLiteral("150"));
    ReleaseThumb(slider(1012));
    QCOMPARE(labels()[3], QString::number(dragged));

    click(1016);
    keyOnSlider(1005, Qt::Key_End);
    QCOMPARE(labels()[0], QStringLiteral("500"));
    QVERIFY(IsChecked(dialog.get(), 1016));
    keyOnSlider(1005, Qt::Key_Home);
    QCOMPARE(labels()[0], QStringLiteral("1"));
    QVERIFY(messages.requests.empty());
    click(1);
    QCOMPARE(Bits(terrain->processAmount), Bits(ProcessStep));
    QCOMPARE(Bits(terrain->concentrationRate), Bits(20020 * 0.00001));
    QCOMPARE(terrain->unitAmount, dragged);
}

void GenerateDialogTest::sliderReleaseWithABadEntryKeepsTheLabels() {
    open();
    type(1004, QStringLiteral("3001"));
    ScriptedMessages messages(MessageAnswer::Ok);
    slider(1010)->setFocus();
    QTest::keyPress(slider(1010), Qt::Key_PageDown);
    QVERIFY(messages.requests.empty());
    ReleaseKey(slider(1010), Qt::Key_PageDown);
    QCOMPARE(messages.texts(),
             QStringList{QString::fromUtf8("100 から 3000 までの整数を入力してください。")});
    QCOMPARE(labels()[2], QStringLiteral("40.00%"));
    QCOMPARE(dialog->focusWidget(), FindControl(dialog.get(), 1004));
    type(1004, QStringLiteral("3000"));
    keyOnSlider(1010, Qt::Key_PageDown);
    QCOMPARE(labels()[2], QStringLiteral("40.02%"));
    QCOMPARE(messages.requests.size(), size_t(1));
}

void GenerateDialogTest::okWritesEveryFieldAndCancelNone() {
    terrain->seed = 0x100000007ull;
    const auto before = Snapshot(*terrain);
    for (bool ok : {false, true}) {
        open();
        type(1002, QStringLiteral("4294967295"));
        type(1003, QStringLiteral("640"));
        type(1004, QStringLiteral("480"));
        type(1006, QStringLiteral("255"));
        for (int id : {1014, 1015, 1016})
            click(id);
        for (int id : {1005, 1008, 1010, 1012})
            keyOnSlider(id, Qt::Key_End);
        click(ok ? 1 : 2);
        QCOMPARE(dialog->result(), ok ? int(QDialog::Accepted) : int(QDialog::Rejected));
        if (!ok)
            QVERIFY(Snapshot(*terrain) == before);
    }
    QCOMPARE(Snapshot(*terrain),
             std::tuple(uint64_t{4294967295u}, 640, 480, 200, Bits(500 * ProcessStep), Bits(1.0),
                        Bits(1.0), Bits(0.5), 255, 1, 1, 1));
}

void GenerateDialogTest::enterAcceptsAndEscapeCancels() {
    open();
    QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
    QCOMPARE(dialog->result(), int(QDialog::Accepted));

    // Enter in an edit presses the default button, validation included.
    open();
    ScriptedMessages messages(MessageAnswer::Ok);
    type(1003, QStringLiteral("50"));
    QTest::keyClick(FindControl(dialog.get(), 1003), Qt::Key_Enter);
    QVERIFY(dialog->isVisible() && messages.requests.size() == 1);
    type(1003, QStringLiteral("500"));
    QTest::keyClick(FindControl(dialog.get(), 1003), Qt::Key_Return);
    QCOMPARE(terrain->width, 500);

    open();
    const auto before = Snapshot(*terrain);
    type(1004, QStringLiteral("999"));
    QTest::keyClick(FindControl(dialog.get(), 1004), Qt::Key_Escape);
    QCOMPARE(dialog->result(), int(QDialog::Rejected));
    QVERIFY(Snapshot(*terrain) == before);
}

QTEST_MAIN(GenerateDialogTest)
#include "GenerateDialogTest.moc"
