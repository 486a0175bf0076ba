// The platform layer: dialog units, templates turned into widgets, number
// reading, the trackbar's end-of-interaction signal, the message and file
// dialog seams.

#include "DialogTestSupport.h"

#include "data/Failures.h"
#include "platform/DataExchange.h"
#include "platform/FileDialogs.h"
#include "resources/DialogTemplates.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <limits>

class PlatformTest : public QObject {
    Q_OBJECT

private slots:
    void mulDivRoundsHalfAwayFromZero();
    void dialogFontIsTheJapaneseFace();
    void dialogUnitsFollowTheFontsBaseUnits();
    void templateBecomesWidgets();
    void numbersAsTheEditsAcceptThem_data();
    void numbersAsTheEditsAcceptThem();
    void failedReadPromptsAndSelectsTheField();
    void trackbarSignalsOnlyWhenAnInteractionEnds();
    void trackbarKeysMoveAsTheTrackbarDoes();
    void messageBoxDefaultsAndFailureMapping();
    void programFilterBecomesQtFilters();
    void openDialogListsDotlessFilesUnderAllFiles();
};

void PlatformTest::mulDivRoundsHalfAwayFromZero() {
    QCOMPARE(MulDiv(1, 9, 4), 2);    // 2.25
    QCOMPARE(MulDiv(2, 9, 4), 5);    // 4.5
    QCOMPARE(MulDiv(-2, 9, 4), -5);  // -4.5
    QCOMPARE(MulDiv(121, 17, 8), 257);
    QCOMPARE(MulDiv(3, 3, 8), 1);    // 1.125
    QCOMPARE(MulDiv(5, 3, 0), -1);
    // The product may exceed int without harm.
    QCOMPARE(MulDiv(std::numeric_limits<int>::max(), 4, 8), 1073741824);
}

void PlatformTest::dialogFontIsTheJapaneseFace() {
    const QFont font = DialogFont(DialogFontName, DialogFontPointSize);
    QCOMPARE(font.pointSize(), 12);
    const QString family = QFontInfo(font).family();
    QVERIFY2(family == QLatin1String("IPAPGothic") || family == QString::fromUtf8(DialogFontName),
             qPrintable(family));
    // Japanese must come from the face itself, not from a fallback box.
    QVERIFY(QFontMetrics(font).inFont(QChar(0x5730)));  // 地
    QVERIFY(QFontMetrics(font).inFont(QChar(0xFF77)));  // ｷ
}

void PlatformTest::dialogUnitsFollowTheFontsBaseUnits() {
    const QFont font = DialogFont(DialogFontName, DialogFontPointSize);
    const QFontMetrics metrics(font);
    const int letters =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const DialogBaseUnits base = BaseUnitsOf(font);
    QCOMPARE(base.cx, static_cast<int>(std::lround(letters / 52.0)));
    QCOMPARE(base.cy, metrics.height());

    const DialogBaseUnits units{9, 17};
    QCOMPARE(DialogUnitsToPixels(QRect(40, 35, 210, 15), units), QRect(90, 74, 473, 32));
    QCOMPARE(DialogUnitsToPixels(QRect(5, 5, 35, 15), units), QRect(11, 11, 79, 32));
}

void PlatformTest::templateBecomesWidgets() {
    QDialog dialog;
    BuildDialog(&dialog, InfoDialogTemplate);
    const DialogBaseUnits base = BaseUnitsOf(dialog.font());
    QCOMPARE(dialog.windowTitle(), QString::fromUtf8("情報"));
    QCOMPARE(dialog.size(), DialogUnitsToPixels(QRect(0, 0, 149, 211), base).size());
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());

    auto* hiddenOk = ControlAs<QPushButton>(&dialog, 1);
    auto* visibleOk = ControlAs<QPushButton>(&dialog, 2);
    QVERIFY(hiddenOk && visibleOk);
    QVERIFY(hiddenOk->isHidden());
    QVERIFY(!hiddenOk->isEnabled());
    QVERIFY(visibleOk->isDefault());
    QCOMPARE(visibleOk->text(), QStringLiteral("OK"));
    QCOMPARE(visibleOk->geometry(), DialogUnitsToPixels(QRect(95, 190, 50, 15), base));
    QVERIFY(FindControl(&dialog, 1017));
    QCOMPARE(FindControl(&dialog, 1017)->objectName(), QStringLiteral("id1017"));
    QVERIFY(!FindControl(&dialog, 1234));

    // Statics keep the resource's alignment and stay out of the tab chain.
    QDialog generate;
    BuildDialog(&generate, GenerateDialogTemplate);
    for (QLabel* label : generate.findChildren<QLabel*>()) {
        QCOMPARE(label->alignment(), Qt::AlignHCenter | Qt::AlignVCenter);
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);
    }
    QVERIFY(ShowActive(&generate));
    QCOMPARE(generate.focusWidget(), FindControl(&generate, 1));
}

void PlatformTest::numbersAsTheEditsAcceptThem_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("signedOk");
    QTest::addColumn<qint64>("signedValue");
    QTest::addColumn<bool>("unsignedOk");
    QTest::addColumn<qint64>("unsignedValue");

    QTest::newRow("plain") << "12" << true << 12LL << true << 12LL;
    QTest::newRow("blanks and tabs") << " \t12 \t" << true << 12LL << true << 12LL;
    QTest::newRow("plus") << "+7" << true << 7LL << true << 7LL;
    QTest::newRow("minus") << "-7" << true << -7LL << false << 0LL;
    QTest::newRow("zero") << "0" << true << 0LL << true << 0LL;
    QTest::newRow("zeros") << "000" << true << 0LL << true << 0LL;
    QTest::newRow("blank zero") << " 0" << true << 0LL << true << 0LL;
    QTest::newRow("plus zero") << "+0" << false << 0LL << false << 0LL;
    QTest::newRow("minus zero") << "-0" << false << 0LL << false << 0LL;
    QTest::newRow("empty") << "" << false << 0LL << false << 0LL;
    QTest::newRow("blanks only") << "   " << false << 0LL << false << 0LL;
    QTest::newRow("sign only") << "+" << false << 0LL << false << 0LL;
    QTest::newRow("letters") << "abc" << false << 0LL << false << 0LL;
    QTest::newRow("trailing letter") << "12a" << false << 0LL << false << 0LL;
    QTest::newRow("inner blank") << "1 2" << false << 0LL << false << 0LL;
    QTest::newRow("blank after sign") << "- 5" << false << 0LL << false << 0LL;
    QTest::newRow("newline is no blank") << "12\n" << false << 0LL << false << 0LL;
    QTest::newRow("full-width digits") << QString::fromUtf8("１２") << false << 0LL << false << 0LL;
    QTest::newRow("decimal point") << "1.5" << false << 0LL << false << 0LL;
    QTest::newRow("int max") << "2147483647" << true << 2147483647LL << true << 2147483647LL;
    QTest::newRow("int max+1") << "2147483648" << true << 2147483647LL << true << 2147483648LL;
    QTest::newRow("int min") << "-2147483648" << true << -2147483648LL << false << 0LL;
    QTest::newRow("far below") << "-99999999999999999999" << true << -2147483648LL << false << 0LL;
    QTest::newRow("uint max") << "4294967295" << true << 2147483647LL << true << 4294967295LL;
    QTest::newRow("far above") << "99999999999999999999999" << true << 2147483647LL << true
                               << 4294967295LL;
}

void PlatformTest::numbersAsTheEditsAcceptThem() {
    QFETCH(QString, text);
    QFETCH(bool, signedOk);
    QFETCH(qint64, signedValue);
    QFETCH(bool, unsignedOk);
    QFETCH(qint64, unsignedValue);

    const std::optional<int32_t> s = ParseInt32(text);
    QCOMPARE(s.has_value(), signedOk);
    if (s)
        QCOMPARE(qint64(*s), signedValue);
    const std::optional<uint32_t> u = ParseUInt32(text);
    QCOMPARE(u.has_value(), unsignedOk);
    if (u)
        QCOMPARE(qint64(*u), unsignedValue);
}

void PlatformTest::failedReadPromptsAndSelectsTheField() {
    QDialog dialog;
    BuildDialog(&dialog, GenerateDialogTemplate);
    QVERIFY(ShowActive(&dialog));
    SetControlText(&dialog, 1003, QStringLiteral("99"));
    SetControlText(&dialog, 1004, QStringLiteral("x"));

    MessageRecorder messages;
    int32_t value = 0;
    QVERIFY(ReadInt(&dialog, 1003, value));
    QCOMPARE(value, 99);
    QVERIFY(!CheckRange(&dialog, 1003, value, 100, 3000));
    QVERIFY(!ReadInt(&dialog, 1004, value));
    QCOMPARE(messages.texts(),
             QStringList({QString::fromUtf8("100 から 3000 までの整数を入力してください。"),
                          QString::fromUtf8("整数を入力してください。")}));
    const MessageRequest& first = messages.requests.front();
    QCOMPARE(first.owner, &dialog);
    QCOMPARE(first.title, QStringLiteral("Glenvar"));
    QCOMPARE(first.icon, MessageIcon::Exclamation);
    QCOMPARE(first.buttons, MessageButtons::Ok);

    auto* edit = ControlAs<QLineEdit>(&dialog, 1004);
    QCOMPARE(dialog.focusWidget(), edit);
    QCOMPARE(edit->selectedText(), QStringLiteral("x"));
}

void PlatformTest::trackbarSignalsOnlyWhenAnInteractionEnds() {
    QDialog dialog;
    BuildDialog(&dialog, WaterLevelDialogTemplate);
    auto* slider = ControlAs<Trackbar>(&dialog, 1008);
    QVERIFY(slider);
    slider->SetRange(0, 100);
    slider->SetPos(50);
    QVERIFY(ShowActive(&dialog));
    slider->setFocus();
    QSignalSpy ends(slider, &Trackbar::endTrack);

    // A held arrow key repeats; only the real release ends the interaction.
    PressKey(slider, Qt::Key_Right);
    PressKey(slider, Qt::Key_Right);
    ReleaseKey(slider, Qt::Key_Right, true);
    QCOMPARE(slider->GetPos(), 52);
    QCOMPARE(ends.count(), 0);
    ReleaseKey(slider, Qt::Key_Right);
    QCOMPARE(ends.count(), 1);

    // Keys that do not move the thumb end nothing.
    QTest::keyClick(slider, Qt::Key_A);
    QCOMPARE(ends.count(), 1);

    // Dragging moves the thumb without a signal; letting go sends one.
    DragThumb(slider, 120);
    QVERIFY(slider->GetPos() > 52);
    QCOMPARE(ends.count(), 1);
    ReleaseThumb(slider);
    QCOMPARE(ends.count(), 2);

    // A click in the channel pages, and its release ends the interaction.
    const int before = slider->GetPos();
    SendMouse(slider, QEvent::MouseButtonPress, QPoint(2, slider->height() / 2), Qt::LeftButton);
    SendMouse(slider, QEvent::MouseButtonRelease, QPoint(2, slider->height() / 2), Qt::NoButton);
    QVERIFY(slider->GetPos() < before);
    QCOMPARE(ends.count(), 3);
}

void PlatformTest::trackbarKeysMoveAsTheTrackbarDoes() {
    Trackbar slider;
    slider.SetRange(0, 1000);
    slider.SetLineSize(1);
    slider.SetPageSize(10);
    slider.SetPos(500);
    const std::array<std::pair<Qt::Key, int>, 8> moves{{{Qt::Key_Left, 499},
                                                        {Qt::Key_Up, 498},
                                                        {Qt::Key_Right, 499},
                                                        {Qt::Key_Down, 500},
                                                        {Qt::Key_PageUp, 490},
                                                        {Qt::Key_PageDown, 500},
                                                        {Qt::Key_Home, 0},
                                                        {Qt::Key_End, 1000}}};
    for (const auto& [key, expected] : moves) {
        QTest::keyClick(&slider, key);
        QCOMPARE(slider.GetPos(), expected);
    }
    // Positions outside the range land on the nearer end.
    slider.SetRange(1, 200);
    slider.SetPos(0);
    QCOMPARE(slider.GetPos(), 1);
    slider.SetPos(250);
    QCOMPARE(slider.GetPos(), 200);
}

void PlatformTest::messageBoxDefaultsAndFailureMapping() {
    MessageRecorder messages(MessageAnswer::No);
    QWidget owner;
    QCOMPARE(ShowMessage(&owner, QStringLiteral("?"), MessageIcon::Question, MessageButtons::YesNo),
             MessageAnswer::No);
    ShowMessage(&owner, QStringLiteral("t"), MessageIcon::Information, MessageButtons::Ok,
                QStringLiteral("Own title"));
    QCOMPARE(messages.requests[0].title, QStringLiteral("Glenvar"));
    QCOMPARE(messages.requests[0].buttons, MessageButtons::YesNo);
    QCOMPARE(messages.requests[1].title, QStringLiteral("Own title"));

    messages.requests.clear();
    ReportFailure(&owner, MemoryFailure());
    ReportFailure(&owner, EndOfFileFailure());
    ReportFailure(&owner, FileFailure(FileErrorCause::FileNotFound, "/tmp/無い.ld"));
    QCOMPARE(messages.requests.size(), size_t(3));
    const MessageRequest& memory = messages.requests[0];
    QCOMPARE(memory.text, QString::fromUtf8("ﾒﾓﾘが不足しています。"));
    QCOMPARE(memory.icon, MessageIcon::Exclamation);
    QVERIFY(memory.systemModal);
    const MessageRequest& end = messages.requests[1];
    QCOMPARE(end.text, QString::fromUtf8("無題のﾌｧｲﾙ の末尾以降にｱｸｾｽしようとしました。"));
    QCOMPARE(end.icon, MessageIcon::Stop);
    QVERIFY(!end.systemModal);
    const MessageRequest& missing = messages.requests[2];
    QCOMPARE(missing.text, QString::fromUtf8("/tmp/無い.ld が見つかりませんでした。"));
    QCOMPARE(missing.icon, MessageIcon::Stop);
    for (const MessageRequest& r : messages.requests) {
        QCOMPARE(r.title, QStringLiteral("Glenvar"));
        QCOMPARE(r.buttons, MessageButtons::Ok);
        QCOMPARE(r.owner, &owner);
    }
}

void PlatformTest::programFilterBecomesQtFilters() {
    const QString open = QStringLiteral("Land Files (*.ld)|*.ld|Data Files (*.dat)|*.dat|All Files (*.*)|*.*||");
    QCOMPARE(QtFilterFromProgramFilter(open),
             QStringLiteral("Land Files (*.ld);;Data Files (*.dat);;All Files (*.*)"));
    QCOMPARE(QtFilterFromProgramFilter(QStringLiteral("Land Files (*.ld)|*.ld|All Files (*.*)|*.*||")),
             QStringLiteral("Land Files (*.ld);;All Files (*.*)"));
    QCOMPARE(QtNameFiltersFromProgramFilter(open),
             QStringList({QStringLiteral("Land Files (*.ld) (*.ld)"),
                          QStringLiteral("Data Files (*.dat) (*.dat)"),
                          QStringLiteral("All Files (*.*) (*)")}));
    QCOMPARE(QtNameFiltersFromProgramFilter(QStringLiteral("Maps|*.ld;*.dat||")),
             QStringList({QStringLiteral("Maps (*.ld *.dat)")}));
    QCOMPARE(QtFilterFromProgramFilter(QString()), QString());

    // The seam sees the request as the program made it.
    FileDialogRequest seen;
    SetFileDialogAnswerer([&seen](const FileDialogRequest& r) {
        seen = r;
        return std::optional<QString>(QStringLiteral("/tmp/x.ld"));
    });
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Save;
    request.filter = open;
    request.defaultSuffix = QStringLiteral("ld");
    request.initialName = QStringLiteral("LandData");
    QCOMPARE(AskFileName(request), std::optional<QString>(QStringLiteral("/tmp/x.ld")));
    QCOMPARE(seen.kind, FileDialogRequest::Kind::Save);
    QCOMPARE(seen.filter, open);
    SetFileDialogAnswerer(nullptr);
}

void PlatformTest::openDialogListsDotlessFilesUnderAllFiles() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const char* name : {"map.ld", "grid.dat", "README"}) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    FileDialogRequest request;
    request.filter = QStringLiteral("Land Files (*.ld)|*.ld|Data Files (*.dat)|*.dat|All Files (*.*)|*.*||");
    request.defaultSuffix = QStringLiteral("ld");
    request.initialName = QStringLiteral("LandData");
    QFileDialog dialog;
    ConfigureFileDialog(dialog, request);
    QCOMPARE(dialog.fileMode(), QFileDialog::AnyFile);
    QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptOpen);
    QCOMPARE(dialog.defaultSuffix(), QStringLiteral("ld"));
    QVERIFY(dialog.testOption(QFileDialog::DontUseNativeDialog));
    dialog.setDirectory(dir.path());

    auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    QVERIFY(combo);
    QCOMPARE(combo->itemText(0), QStringLiteral("Land Files (*.ld)"));
    QCOMPARE(combo->itemText(2), QStringLiteral("All Files (*.*)"));

    dialog.show();
    auto* view = dialog.findChild<QListView*>(QStringLiteral("listView"));
    QVERIFY(view);
    auto visibleNames = [&] {
        QStringList names;
        const QModelIndex root = view->rootIndex();
        for (int row = 0; row < view->model()->rowCount(root); ++row)
            names.append(view->model()->index(row, 0, root).data().toString());
        names.sort();
        return names;
    };
    QTRY_COMPARE(visibleNames(), QStringList({QStringLiteral("map.ld")}));
    dialog.selectNameFilter(QStringLiteral("All Files (*.*) (*)"));
    QTRY_COMPARE(visibleNames(), QStringList({QStringLiteral("README"), QStringLiteral("grid.dat"),
                                              QStringLiteral("map.ld")}));
}

QTEST_MAIN(PlatformTest)
#include "PlatformTest.moc"
