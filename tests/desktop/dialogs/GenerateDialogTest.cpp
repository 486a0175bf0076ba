// The generation parameters dialog driven as a user drives it: typed entries,
// slider keys and drags, OK, Cancel, Enter and Escape.

#include "DialogTestSupport.h"

#include "core/GEO_MakeLand.h"
#include "dialogs/CGenerateDialog.h"
#include "platform/DataExchange.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace {

// What the dialog may write, compared field by field and bit for bit.
struct Parameters {
    uint64_t seed;
    int32_t width, height, unitAmount;
    uint64_t processAmount, concentrationRate, concentrationAmount, waterLevel;
    int32_t pointCount, keepRandomState, manualPlacement, twoThreads;

    explicit Parameters(const GEO_MakeLand& t)
        : seed(t.seed), width(t.width), height(t.height), unitAmount(t.unitAmount),
          processAmount(Bits(t.processAmount)), concentrationRate(Bits(t.concentrationRate)),
          concentrationAmount(Bits(t.concentrationAmount)), waterLevel(Bits(t.waterLevel)),
          pointCount(t.concentrationPointCount), keepRandomState(t.keepRandomState),
          manualPlacement(t.manualPlacement), twoThreads(t.twoThreads) {}
    bool operator==(const Parameters&) const = default;
};

QString Text(const QWidget* dialog, int id) {
    return ControlText(dialog, id);
}

void Type(QWidget* dialog, int id, const QString& text) {
    auto* edit = ControlAs<QLineEdit>(dialog, id);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

Trackbar* Slider(const QWidget* dialog, int id) {
    return ControlAs<Trackbar>(dialog, id);
}

void ClickOk(QWidget* dialog) {
    QTest::mouseClick(ControlAs<QPushButton>(dialog, 1), Qt::LeftButton);
}

QStringList Labels(const QWidget* dialog) {
    return {Text(dialog, 1007), Text(dialog, 1009), Text(dialog, 1011), Text(dialog, 1013)};
}

}  // namespace

class GenerateDialogTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void opensWithTheTerrainsValues();
    void okWithoutChangesQuantisesTheSliders();
    void openingQuantisesValuesFromAFile();
    void seedKeepsOnlyItsLow32Bits();
    void outOfRangeSliderValuesLandOnTheEnds();
    void refusedEntries_data();
    void refusedEntries();
    void acceptedBoundaryEntries();
    void firstFailingFieldStopsTheRead();
    void labelsChangeWhenTheInteractionEnds();
    void sliderReleaseRewritesEditsCanonically();
    void sliderReleaseWithABadEntryKeepsTheLabels();
    void okWritesEveryField();
    void cancelWritesNothing();
    void enterAcceptsAndEscapeCancels();

private:
    std::unique_ptr<GEO_MakeLand> terrain;
    std::unique_ptr<CGenerateDialog> dialog;
    void open() {
        dialog = std::make_unique<CGenerateDialog>(terrain.get(), nullptr);
        QVERIFY(ShowActive(dialog.get()));
    }
};

void GenerateDialogTest::init() {
    terrain = std::make_unique<GEO_MakeLand>();
}

void GenerateDialogTest::cleanup() {
    dialog.reset();
    terrain.reset();
}

void GenerateDialogTest::opensWithTheTerrainsValues() {
    open();
    QCOMPARE(dialog->windowTitle(), QString::fromUtf8("地図生成"));
    QCOMPARE(Text(dialog.get(), 1002), QStringLiteral("0"));
    QCOMPARE(Text(dialog.get(), 1003), QStringLiteral("1280"));
    QCOMPARE(Text(dialog.get(), 1004), QStringLiteral("1024"));
    QCOMPARE(Text(dialog.get(), 1006), QStringLiteral("4"));
    QCOMPARE(Labels(dialog.get()), QStringList({"10", "20.00%", "40.00%", "150"}));
    for (int id : {1014, 1015, 1016})
        QVERIFY(!IsChecked(dialog.get(), id));
    QCOMPARE(Slider(dialog.get(), 1005)->GetPos(), 10);
    QCOMPARE(Slider(dialog.get(), 1008)->GetPos(), 20000);
    QCOMPARE(Slider(dialog.get(), 1010)->GetPos(), 40000);
    QCOMPARE(Slider(dialog.get(), 1012)->GetPos(), 150);
    QCOMPARE(Slider(dialog.get(), 1005)->pageStep(), 1);
    QCOMPARE(Slider(dialog.get(), 1008)->pageStep(), 10);
    QCOMPARE(Slider(dialog.get(), 1008)->maximum(), 100000);
    QCOMPARE(Slider(dialog.get(), 1012)->maximum(), 200);
    QCOMPARE(dialog->focusWidget(), FindControl(dialog.get(), 1));
}

void GenerateDialogTest::okWithoutChangesQuantisesTheSliders() {
    open();
    MessageRecorder messages;
    ClickOk(dialog.get());
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
    QVERIFY(messages.requests.empty());
    QCOMPARE(Bits(terrain->processAmount), Bits(10 * 0.0010000000474974513));
    QVERIFY(Bits(terrain->processAmount) != Bits(double(0.01f)));
    QCOMPARE(Bits(terrain->concentrationRate), Bits(20000 * 0.00001));
    QCOMPARE(Bits(terrain->concentrationAmount), Bits(40000 * 0.00001));
    QCOMPARE(terrain->unitAmount, 150);
    QCOMPARE(terrain->width, 1280);
    QCOMPARE(terrain->height, 1024);
    QCOMPARE(terrain->concentrationPointCount, 4);
    QCOMPARE(terrain->seed, uint64_t{0});
}

void GenerateDialogTest::openingQuantisesValuesFromAFile() {
    terrain->processAmount = 0.0123;
    terrain->concentrationRate = 0.123456;
    terrain->concentrationAmount = 1.0;
    open();
    QCOMPARE(Slider(dialog.get(), 1005)->GetPos(), 12);
    QCOMPARE(Slider(dialog.get(), 1008)->GetPos(), 12345);
    QCOMPARE(Labels(dialog.get()), QStringList({"12", "12.35%", "100.00%", "150"}));
    ClickOk(dialog.get());
    QCOMPARE(Bits(terrain->processAmount), Bits(12 * 0.0010000000474974513));
    QCOMPARE(Bits(terrain->concentrationRate), Bits(12345 * 0.00001));
    QCOMPARE(Bits(terrain->concentrationAmount), Bits(100000 * 0.00001));
}

void GenerateDialogTest::seedKeepsOnlyItsLow32Bits() {
    terrain->seed = 0xABCD000012345678ull;
    open();
    QCOMPARE(Text(dialog.get(), 1002), QStringLiteral("305419896"));
    ClickOk(dialog.get());
    QCOMPARE(terrain->seed, uint64_t{0x12345678});

    terrain->seed = 0xFFFFFFFFFFFFFFFFull;
    open();
    QCOMPARE(Text(dialog.get(), 1002), QStringLiteral("4294967295"));
}

void GenerateDialogTest::outOfRangeSliderValuesLandOnTheEnds() {
    terrain->unitAmount = 0;
    terrain->processAmount = 7.0;
    terrain->concentrationRate = -0.5;
    terrain->concentrationAmount = std::numeric_limits<double>::quiet_NaN();
    open();
    QCOMPARE(Labels(dialog.get()), QStringList({"500", "0.00%", "0.00%", "1"}));
    ClickOk(dialog.get());
    QCOMPARE(terrain->unitAmount, 1);
    QCOMPARE(Bits(terrain->processAmount), Bits(500 * 0.0010000000474974513));
    QCOMPARE(terrain->concentrationRate, 0.0);
    QCOMPARE(terrain->concentrationAmount, 0.0);

    terrain->unitAmount = 250;
    terrain->processAmount = 1e300;  // beyond int: saturates rather than wrapping
    open();
    QCOMPARE(Labels(dialog.get())[0], QStringLiteral("500"));
    QCOMPARE(Labels(dialog.get())[3], QStringLiteral("200"));
    ClickOk(dialog.get());
    QCOMPARE(terrain->unitAmount, 200);
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
    QTest::newRow("width huge") << 1003 << "99999999999" << range.arg(100).arg(3000);
    QTest::newRow("height 99") << 1004 << "99" << range.arg(100).arg(3000);
    QTest::newRow("height empty") << 1004 << "" << integer;
    QTest::newRow("points 256") << 1006 << "256" << range.arg(0).arg(255);
    QTest::newRow("points -1") << 1006 << "-1" << range.arg(0).arg(255);
    QTest::newRow("points abc") << 1006 << "abc" << integer;
    QTest::newRow("points -0") << 1006 << "-0" << integer;
    QTest::newRow("seed -1") << 1002 << "-1" << positive;
    QTest::newRow("seed abc") << 1002 << "abc" << positive;
    QTest::newRow("seed empty") << 1002 << "" << positive;
    QTest::newRow("seed +0") << 1002 << "+0" << positive;
}

void GenerateDialogTest::refusedEntries() {
    QFETCH(int, id);
    QFETCH(QString, entry);
    QFETCH(QString, message);
    open();
    const Parameters before(*terrain);
    Type(dialog.get(), id, entry);
    MessageRecorder messages;
    ClickOk(dialog.get());

    QCOMPARE(messages.texts(), QStringList{message});
    QCOMPARE(messages.requests[0].icon, MessageIcon::Exclamation);
    QCOMPARE(messages.requests[0].title, QStringLiteral("Glenvar"));
    QCOMPARE(messages.requests[0].owner, dialog.get());
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->result(), 0);
    QVERIFY(Parameters(*terrain) == before);
    auto* edit = ControlAs<QLineEdit>(dialog.get(), id);
    QCOMPARE(dialog->focusWidget(), edit);
    QCOMPARE(edit->selectedText(), entry);
}

void GenerateDialogTest::acceptedBoundaryEntries() {
    open();
    Type(dialog.get(), 1003, QStringLiteral("100"));
    Type(dialog.get(), 1004, QStringLiteral("3000"));
    Type(dialog.get(), 1006, QStringLiteral(" 12 "));
    Type(dialog.get(), 1002, QStringLiteral("99999999999"));
    MessageRecorder messages;
    ClickOk(dialog.get());
    QVERIFY(messages.requests.empty());
    QCOMPARE(terrain->width, 100);
    QCOMPARE(terrain->height, 3000);
    QCOMPARE(terrain->concentrationPointCount, 12);
    QCOMPARE(terrain->seed, uint64_t{4294967295u});

    open();
    Type(dialog.get(), 1006, QStringLiteral("0"));
    Type(dialog.get(), 1002, QStringLiteral("\t0"));
    ClickOk(dialog.get());
    QVERIFY(messages.requests.empty());
    QCOMPARE(terrain->concentrationPointCount, 0);
    QCOMPARE(terrain->seed, uint64_t{0});
}

void GenerateDialogTest::firstFailingFieldStopsTheRead() {
    open();
    Type(dialog.get(), 1004, QStringLiteral("5"));
    Type(dialog.get(), 1003, QStringLiteral("x"));
    Type(dialog.get(), 1006, QStringLiteral("999"));
    MessageRecorder messages;
    ClickOk(dialog.get());
    // Order: seed, points, width, height.
    QCOMPARE(messages.texts(),
             QStringList{QString::fromUtf8("0 から 255 までの整数を入力してください。")});
    QCOMPARE(dialog->focusWidget(), FindControl(dialog.get(), 1006));
    Type(dialog.get(), 1006, QStringLiteral("9"));
    ClickOk(dialog.get());
    QCOMPARE(messages.texts().last(), QString::fromUtf8("整数を入力してください。"));
    QCOMPARE(dialog->focusWidget(), FindControl(dialog.get(), 1003));
    QCOMPARE(messages.requests.size(), size_t(2));
}

void GenerateDialogTest::labelsChangeWhenTheInteractionEnds() {
    open();
    MessageRecorder messages;
    Trackbar* rate = Slider(dialog.get(), 1008);
    rate->setFocus();
    PressKey(rate, Qt::Key_PageDown);
    PressKey(rate, Qt::Key_PageDown);
    QCOMPARE(rate->GetPos(), 20020);
    QCOMPARE(Labels(dialog.get())[1], QStringLiteral("20.00%"));
    ReleaseKey(rate, Qt::Key_PageDown, true);
    QCOMPARE(Labels(dialog.get())[1], QStringLiteral("20.00%"));
    ReleaseKey(rate, Qt::Key_PageDown);
    QCOMPARE(Labels(dialog.get())[1], QStringLiteral("20.02%"));

    // Dragging the unit amount thumb changes the label only on release.
    Trackbar* unit = Slider(dialog.get(), 1012);
    DragThumb(unit, -150);
    const int dragged = unit->GetPos();
    QVERIFY(dragged < 150);
    QCOMPARE(Labels(dialog.get())[3], QStringLiteral("150"));
    ReleaseThumb(unit);
    QCOMPARE(Labels(dialog.get())[3], QString::number(unit->GetPos()));
    QCOMPARE(unit->GetPos(), dragged);

    // Home and End on the processing amount reach its ends.
    Trackbar* amount = Slider(dialog.get(), 1005);
    amount->setFocus();
    QTest::keyClick(amount, Qt::Key_End);
    QCOMPARE(Labels(dialog.get())[0], QStringLiteral("500"));
    QTest::keyClick(amount, Qt::Key_Home);
    QCOMPARE(Labels(dialog.get())[0], QStringLiteral("1"));
    QVERIFY(messages.requests.empty());

    ClickOk(dialog.get());
    QCOMPARE(Bits(terrain->processAmount), Bits(1 * 0.0010000000474974513));
    QCOMPARE(Bits(terrain->concentrationRate), Bits(20020 * 0.00001));
    QCOMPARE(terrain->unitAmount, dragged);
}

void GenerateDialogTest::sliderReleaseRewritesEditsCanonically() {
    open();
    Type(dialog.get(), 1006, QStringLiteral(" 12 "));
    Type(dialog.get(), 1003, QStringLiteral("+0200"));
    Trackbar* unit = Slider(dialog.get(), 1012);
    unit->setFocus();
    QTest::keyClick(unit, Qt::Key_Left);
    QCOMPARE(Text(dialog.get(), 1006), QStringLiteral("12"));
    QCOMPARE(Text(dialog.get(), 1003), QStringLiteral("200"));
    QCOMPARE(Labels(dialog.get())[3], QStringLiteral("149"));
    // Check boxes survive the rewrite.
    QTest::mouseClick(ControlAs<QCheckBox>(dialog.get(), 1016), Qt::LeftButton);
    QTest::keyClick(unit, Qt::Key_Right);
    QVERIFY(IsChecked(dialog.get(), 1016));
}

void GenerateDialogTest::sliderReleaseWithABadEntryKeepsTheLabels() {
    open();
    Type(dialog.get(), 1004, QStringLiteral("3001"));
    MessageRecorder messages;
    Trackbar* amount = Slider(dialog.get(), 1010);
    amount->setFocus();
    PressKey(amount, Qt::Key_Right);
    QVERIFY(messages.requests.empty());
    ReleaseKey(amount, Qt::Key_Right);
    QCOMPARE(messages.texts(),
             QStringList{QString::fromUtf8("100 から 3000 までの整数を入力してください。")});
    QCOMPARE(Labels(dialog.get())[2], QStringLiteral("40.00%"));
    QCOMPARE(Text(dialog.get(), 1004), QStringLiteral("3001"));
    QCOMPARE(dialog->focusWidget(), FindControl(dialog.get(), 1004));

    Type(dialog.get(), 1004, QStringLiteral("3000"));
    amount->setFocus();
    QTest::keyClick(amount, Qt::Key_Right);
    QCOMPARE(messages.requests.size(), size_t(1));
    QCOMPARE(Labels(dialog.get())[2], QStringLiteral("40.00%"));  // 40002 rounds to 40.00
    QTest::keyClick(amount, Qt::Key_PageDown);
    QCOMPARE(Labels(dialog.get())[2], QStringLiteral("40.01%"));
}

void GenerateDialogTest::okWritesEveryField() {
    open();
    Type(dialog.get(), 1002, QStringLiteral("4294967295"));
    Type(dialog.get(), 1003, QStringLiteral("640"));
    Type(dialog.get(), 1004, QStringLiteral("480"));
    Type(dialog.get(), 1006, QStringLiteral("255"));
    for (int id : {1014, 1015, 1016})
        QTest::mouseClick(ControlAs<QCheckBox>(dialog.get(), id), Qt::LeftButton);
    Slider(dialog.get(), 1008)->setFocus();
    QTest::keyClick(Slider(dialog.get(), 1008), Qt::Key_End);
    ClickOk(dialog.get());
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
    QCOMPARE(terrain->seed, uint64_t{4294967295u});
    QCOMPARE(terrain->width, 640);
    QCOMPARE(terrain->height, 480);
    QCOMPARE(terrain->concentrationPointCount, 255);
    QCOMPARE(terrain->manualPlacement, 1);
    QCOMPARE(terrain->keepRandomState, 1);
    QCOMPARE(terrain->twoThreads, 1);
    QCOMPARE(Bits(terrain->concentrationRate), Bits(1.0));
    QCOMPARE(Bits(terrain->waterLevel), Bits(0.5));  // not the dialog's
}

void GenerateDialogTest::cancelWritesNothing() {
    terrain->seed = 0x100000007ull;
    terrain->processAmount = 0.0123;
    const Parameters before(*terrain);
    open();
    Type(dialog.get(), 1003, QStringLiteral("777"));
    Type(dialog.get(), 1002, QStringLiteral("5"));
    QTest::mouseClick(ControlAs<QCheckBox>(dialog.get(), 1015), Qt::LeftButton);
    for (int id : {1005, 1008, 1010, 1012}) {
        Slider(dialog.get(), id)->setFocus();
        QTest::keyClick(Slider(dialog.get(), id), Qt::Key_End);
    }
    QTest::mouseClick(ControlAs<QPushButton>(dialog.get(), 2), Qt::LeftButton);
    QCOMPARE(dialog->result(), int(QDialog::Rejected));
    QVERIFY(!dialog->isVisible());
    QVERIFY(Parameters(*terrain) == before);
}

void GenerateDialogTest::enterAcceptsAndEscapeCancels() {
    open();
    QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
    QCOMPARE(Bits(terrain->processAmount), Bits(10 * 0.0010000000474974513));

    // Enter in an edit presses the default button, validation included.
    init();
    open();
    MessageRecorder messages;
    Type(dialog.get(), 1003, QStringLiteral("50"));
    QTest::keyClick(FindControl(dialog.get(), 1003), Qt::Key_Enter);
    QCOMPARE(messages.requests.size(), size_t(1));
    QVERIFY(dialog->isVisible());
    Type(dialog.get(), 1003, QStringLiteral("500"));
    QTest::keyClick(FindControl(dialog.get(), 1003), Qt::Key_Return);
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
    QCOMPARE(terrain->width, 500);

    init();
    open();
    const Parameters before(*terrain);
    Type(dialog.get(), 1004, QStringLiteral("999"));
    QTest::keyClick(FindControl(dialog.get(), 1004), Qt::Key_Escape);
    QCOMPARE(dialog->result(), int(QDialog::Rejected));
    QVERIFY(Parameters(*terrain) == before);
}

QTEST_MAIN(GenerateDialogTest)
#include "GenerateDialogTest.moc"
