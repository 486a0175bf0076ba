// The platform layer: dialog units, templates turned into widgets, number
// reading, the trackbar's end of interaction, the message and file dialog seams.

#include "tests/support/DialogTestSupport.h"

#include "data/Failures.h"
#include "platform/FileDialogs.h"
#include "platform/StandardDialogs.h"
#include "resources/DialogTemplates.h"

#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QFontInfo>
#include <QGlyphRun>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QRawFont>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextLayout>
#include <QTimer>
#include <QTreeView>

#include <optional>

class PlatformTest : public QObject {
    Q_OBJECT

  private slots:
    void dialogUnitsFollowTheFont();
    void templateBecomesWidgets();
    void numbersAsTheEditsAcceptThem();
    void failedReadPromptsAndSelectsTheField();
    void trackbarSignalsOnlyWhenAnInteractionEnds();
    void trackbarKeysMoveAsTheTrackbarDoes();
    void messageBoxDefaultsAndFailureMapping();
    void realBoxesTakeEscapeOnlyWithCancelAndOneFont();
    void realQuestionsTakeEnterAsYes();
    void boxFontKeepsTheSystemSize();
    void programFilterBecomesQtFilters();
    void saveSuffixFollowsTheChosenType();
    void standardDialogsSpeakJapaneseAndShowWholeColumns();
};

void PlatformTest::dialogUnitsFollowTheFont() {
    QCOMPARE(MulDiv(2, 9, 4), 5);  // halves round away from zero
    QCOMPARE(MulDiv(-2, 9, 4), -5);
    QCOMPARE(MulDiv(3, 3, 8), 1);
    QCOMPARE(MulDiv(5, 3, 0), -1);
    QCOMPARE(MulDiv(std::numeric_limits<int>::max(), 4, 8), 1073741824);

    const QFont font = DialogFont(DialogFontName, DialogFontPointSize);
    QCOMPARE(font.pointSize(), 12);
    QCOMPARE(QFontInfo(font).family(), QStringLiteral("IPAPGothic"));
    QVERIFY(QFontMetrics(font).inFont(QChar(0x5730)) && QFontMetrics(font).inFont(QChar(0xFF77)));
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    QCOMPARE(BaseUnitsOf(font).cx, int(std::lround(letters / 52.0)));
    QCOMPARE(BaseUnitsOf(font).cy, metrics.height());
    QCOMPARE(DialogUnitsToPixels(QRect(40, 35, 210, 15), {9, 17}), QRect(90, 74, 473, 32));
}

void PlatformTest::templateBecomesWidgets() {
    QDialog dialog;
    dialog.setObjectName(QStringLiteral("mine"));
    BuildDialog(&dialog, InfoDialogTemplate);
    const DialogBaseUnits base = BaseUnitsOf(dialog.font());
    QCOMPARE(dialog.objectName(), QStringLiteral("mine"));
    QCOMPARE(dialog.windowTitle(), QString::fromUtf8("情報"));
    QCOMPARE(dialog.size(), DialogUnitsToPixels(QRect(0, 0, 149, 211), base).size());
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    auto* hiddenOk = ControlAs<QPushButton>(&dialog, 1);
    auto* visibleOk = ControlAs<QPushButton>(&dialog, 2);
    QVERIFY(hiddenOk->isHidden() && !hiddenOk->isEnabled() && !hiddenOk->isDefault());
    QVERIFY(visibleOk->isDefault());
    QCOMPARE(visibleOk->geometry(), DialogUnitsToPixels(QRect(95, 190, 50, 15), base));
    QCOMPARE(FindControl(&dialog, 1017)->objectName(), QStringLiteral("id1017"));
    QVERIFY(!FindControl(&dialog, 1234));

    QDialog generate;
    BuildDialog(&generate, GenerateDialogTemplate);
    for (QLabel* label : generate.findChildren<QLabel*>())
        QCOMPARE(label->alignment(), Qt::AlignHCenter | Qt::AlignVCenter);
    QVERIFY(ShowActive(&generate));
    QCOMPARE(generate.focusWidget(), FindControl(&generate, 1));
}

void PlatformTest::numbersAsTheEditsAcceptThem() {
    struct Case {
        const char* text;
        std::optional<int64_t> asSigned, asUnsigned;
    };
    const std::optional<int64_t> no;
    const Case cases[] = {
        {"12", 12, 12},
        {" \t12 \t", 12, 12},
        {"+7", 7, 7},
        {"-7", -7, no},
        {"0", 0, 0},
        {"000", 0, 0},
        {" 0", 0, 0},
        {"+0", no, no},
        {"-0", no, no},
        {"", no, no},
        {"   ", no, no},
        {"+", no, no},
        {"abc", no, no},
        {"12a", no, no},
        {"1 2", no, no},
        {"- 5", no, no},
        {"12\n", no, no},
        {"1.5", no, no},
        {"2147483648", 2147483647, 2147483648},
        {"-2147483648", -2147483648LL, no},
        {"-99999999999999999999", -2147483648LL, no},
        {"4294967295", 2147483647, 4294967295},
        {"99999999999999999999999", 2147483647, 4294967295},
    };
    for (const Case& c : cases) {
        const QString text = QString::fromLatin1(c.text);
        const std::optional<int32_t> s = ParseInt32(text);
        const std::optional<uint32_t> u = ParseUInt32(text);
        QVERIFY2((s ? std::optional<int64_t>(*s) : no) == c.asSigned, c.text);
        QVERIFY2((u ? std::optional<int64_t>(*u) : no) == c.asUnsigned, c.text);
    }
    QVERIFY(!ParseInt32(QString::fromUtf8("１２")));  // full-width digits
}

void PlatformTest::failedReadPromptsAndSelectsTheField() {
    QDialog dialog;
    BuildDialog(&dialog, GenerateDialogTemplate);
    QVERIFY(ShowActive(&dialog));
    SetControlText(&dialog, 1003, QStringLiteral("99"));
    SetControlText(&dialog, 1004, QStringLiteral("x"));
    ScriptedMessages messages(MessageAnswer::Ok);
    int32_t value = 0;
    QVERIFY(ReadInt(&dialog, 1003, value) && value == 99);
    QVERIFY(!CheckRange(&dialog, 1003, value, 100, 3000));
    QVERIFY(!ReadInt(&dialog, 1004, value));
    QCOMPARE(messages.texts(),
             QStringList({QString::fromUtf8("100 から 3000 までの整数を入力してください。"),
                          QString::fromUtf8("整数を入力してください。")}));
    const MessageRequest& first = messages.requests.front();
    QVERIFY(first.owner == &dialog && first.title == QStringLiteral("Glenvar"));
    QVERIFY(first.icon == MessageIcon::Exclamation && first.buttons == MessageButtons::Ok);
    auto* edit = ControlAs<QLineEdit>(&dialog, 1004);
    QCOMPARE(dialog.focusWidget(), edit);
    QCOMPARE(edit->selectedText(), QStringLiteral("x"));
}

void PlatformTest::trackbarSignalsOnlyWhenAnInteractionEnds() {
    QDialog dialog;
    BuildDialog(&dialog, WaterLevelDialogTemplate);
    auto* slider = ControlAs<Trackbar>(&dialog, 1008);
    slider->SetPos(50);
    QVERIFY(ShowActive(&dialog));
    slider->setFocus();
    QSignalSpy ends(slider, &Trackbar::endTrack);

    QTest::keyPress(slider, Qt::Key_Right);
    QTest::keyPress(slider, Qt::Key_Right);
    ReleaseKey(slider, Qt::Key_Right, true);
    QCOMPARE(slider->GetPos(), 52);
    QCOMPARE(ends.count(), 0);
    ReleaseKey(slider, Qt::Key_Right);
    QCOMPARE(ends.count(), 1);
    QTest::keyClick(slider, Qt::Key_A);
    QCOMPARE(ends.count(), 1);

    DragThumb(slider, 120);
    QVERIFY(slider->GetPos() > 52);
    QCOMPARE(ends.count(), 1);
    ReleaseThumb(slider);
    QCOMPARE(ends.count(), 2);

    // A click in the channel pages; its release ends the interaction too.
    const int before = slider->GetPos();
    SendMouse(slider, QEvent::MouseButtonPress, QPoint(2, slider->height() / 2), Qt::LeftButton);
    SendMouse(slider, QEvent::MouseButtonRelease, QPoint(2, slider->height() / 2), Qt::NoButton);
    QVERIFY(slider->GetPos() < before);
    QCOMPARE(ends.count(), 3);
}

void PlatformTest::trackbarKeysMoveAsTheTrackbarDoes() {
    Trackbar slider;
    slider.SetRange(0, 1000);
    slider.SetPageSize(10);
    slider.SetPos(500);
    const std::pair<Qt::Key, int> moves[] = {
        {Qt::Key_Left, 499},   {Qt::Key_Up, 498},       {Qt::Key_Right, 499}, {Qt::Key_Down, 500},
        {Qt::Key_PageUp, 490}, {Qt::Key_PageDown, 500}, {Qt::Key_Home, 0},    {Qt::Key_End, 1000}};
    for (const auto& [key, expected] : moves) {
        QTest::keyClick(&slider, key);
        QCOMPARE(slider.GetPos(), expected);
    }
    slider.SetRange(1, 200);
    slider.SetPos(250);
    QCOMPARE(slider.GetPos(), 200);
}

void PlatformTest::messageBoxDefaultsAndFailureMapping() {
    ScriptedMessages messages(MessageAnswer::No);
    QWidget owner;
    QCOMPARE(ShowMessage(&owner, QStringLiteral("?"), MessageIcon::Question, MessageButtons::YesNo),
             MessageAnswer::No);
    ShowMessage(&owner, QStringLiteral("t"), MessageIcon::None, MessageButtons::Ok,
                QStringLiteral("Own"));
    QCOMPARE(messages.requests[0].title, QStringLiteral("Glenvar"));
    QCOMPARE(messages.requests[1].title, QStringLiteral("Own"));

    messages.requests.clear();
    ReportFailure(&owner, MemoryFailure());
    ReportFailure(&owner, EndOfFileFailure());
    ReportFailure(&owner, FileFailure(FileErrorCause::FileNotFound, "/tmp/無い.ld"));
    QCOMPARE(messages.texts(),
             QStringList({QString::fromUtf8("ﾒﾓﾘが不足しています。"),
                          QString::fromUtf8("無題のﾌｧｲﾙ の末尾以降にｱｸｾｽしようとしました。"),
                          QString::fromUtf8("/tmp/無い.ld が見つかりませんでした。")}));
    QVERIFY(messages.requests[0].icon == MessageIcon::Exclamation &&
            messages.requests[0].systemModal);
    QVERIFY(messages.requests[1].icon == MessageIcon::Stop && !messages.requests[1].systemModal);
    QVERIFY(messages.requests[2].icon == MessageIcon::Stop);
    for (const MessageRequest& r : messages.requests)
        QVERIFY(r.title == QStringLiteral("Glenvar") && r.buttons == MessageButtons::Ok &&
                r.owner == &owner);
}

// What a real box does with Escape and a close request, then with a click on
// Yes if it is still open; and which faces draw its text.
struct RealBoxRun {
    MessageAnswer answer = MessageAnswer::Ok;
    bool openAfterEscape = false;
    bool openAfterClose = false;
    bool closeButton = false;
    QStringList faces;
};

RealBoxRun RunRealBox(const QString& text, MessageButtons buttons) {
    RealBoxRun run;
    QTimer::singleShot(0, [&run] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        run.closeButton = box->windowFlags().testFlag(Qt::WindowCloseButtonHint);
        auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        QTextLayout layout(label->text(), label->font());
        layout.beginLayout();
        while (layout.createLine().isValid()) {
        }
        layout.endLayout();
        for (const QGlyphRun& glyphs : layout.glyphRuns())
            run.faces.append(glyphs.rawFont().familyName().toLower());
        run.faces.removeDuplicates();
        QTest::keyClick(box, Qt::Key_Escape);
        run.openAfterEscape = box->isVisible();
        if (run.openAfterEscape)
            box->close();
        run.openAfterClose = box->isVisible();
        if (run.openAfterClose)
            box->button(QMessageBox::Yes)->click();
    });
    run.answer = ShowMessage(nullptr, text, MessageIcon::Question, buttons);
    return run;
}

void PlatformTest::realBoxesTakeEscapeOnlyWithCancelAndOneFont() {
    PrepareStandardDialogs();  // as the program starts
    const QString question = QString::fromUtf8(
        "以上で作成を開始します。よろしいですか？( 優先pt 12 個 )\n「いいえ」を押すと");
    const RealBoxRun yesNo = RunRealBox(question, MessageButtons::YesNo);
    QVERIFY(yesNo.openAfterEscape && yesNo.openAfterClose && !yesNo.closeButton);
    QCOMPARE(yesNo.answer, MessageAnswer::Yes);

    const RealBoxRun withCancel = RunRealBox(question, MessageButtons::YesNoCancel);
    QVERIFY(!withCancel.openAfterEscape && withCancel.closeButton);
    QCOMPARE(withCancel.answer, MessageAnswer::Cancel);

    const RealBoxRun ok =
        RunRealBox(QString::fromUtf8("ﾒﾓﾘが不足しています。"), MessageButtons::Ok);
    QVERIFY(!ok.openAfterEscape && ok.closeButton);
    QCOMPARE(ok.answer, MessageAnswer::Ok);

    for (const RealBoxRun* run : {&yesNo, &withCancel, &ok})
        QCOMPARE(run->faces, QStringList{QStringLiteral("ipapgothic")});
}

// Enter in 作成しますか？ must create, whatever else the box offers.
void PlatformTest::realQuestionsTakeEnterAsYes() {
    for (MessageButtons buttons : {MessageButtons::YesNo, MessageButtons::YesNoCancel}) {
        bool pressed = false;
        QTimer::singleShot(0, [&pressed] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            QTest::keyClick(box, Qt::Key_Return);
            pressed = true;
            if (box->isVisible())
                box->button(QMessageBox::No)->click();
        });
        const MessageAnswer answer = ShowMessage(nullptr, QString::fromUtf8("作成しますか？"),
                                                 MessageIcon::Question, buttons);
        QVERIFY(pressed);
        QCOMPARE(answer, MessageAnswer::Yes);
    }
}

// The boxes take the dialog's face at the size the system gives its text.
void PlatformTest::boxFontKeepsTheSystemSize() {
    const QFont system = QApplication::font();
    QFont large = system;
    large.setPointSize(system.pointSize() + 7);
    QApplication::setFont(large);
    PrepareStandardDialogs();
    const QFont box = QApplication::font("QMessageBox");
    QApplication::setFont(system);
    PrepareStandardDialogs();
    QCOMPARE(box.pointSize(), system.pointSize() + 7);
    QCOMPARE(box.family(), QString::fromUtf8(DialogFontName));
}

void PlatformTest::programFilterBecomesQtFilters() {
    const QString open =
        QStringLiteral("Land Files (*.ld)|*.ld|Data Files (*.dat)|*.dat|All Files (*.*)|*.*||");
    QCOMPARE(QtNameFiltersFromProgramFilter(
                 QStringLiteral("Land Files (*.ld)|*.ld|All Files (*.*)|*.*||")),
             (QStringList{QStringLiteral("Land Files (*.ld) (*.ld)"),
                          QStringLiteral("All Files (*.*) (*)")}));
    QCOMPARE(QtNameFiltersFromProgramFilter(QStringLiteral("Maps|*.ld;*.dat||")),
             QStringList{QStringLiteral("Maps (*.ld *.dat)")});

    // The real dialog shows the program's texts, and "*.*" lists dotless names.
    QTemporaryDir dir;
    for (const char* name : {"map.ld", "grid.dat", "README"}) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    FileDialogRequest request;
    request.filter = open;
    request.defaultSuffix = QStringLiteral("ld");
    request.initialName = QStringLiteral("LandData");
    QFileDialog dialog;
    ConfigureFileDialog(dialog, request);
    QVERIFY(dialog.fileMode() == QFileDialog::AnyFile &&
            dialog.acceptMode() == QFileDialog::AcceptOpen);
    dialog.setDirectory(dir.path());
    auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    QCOMPARE(combo->itemText(0), QStringLiteral("Land Files (*.ld)"));
    QCOMPARE(combo->itemText(2), QStringLiteral("All Files (*.*)"));
    dialog.show();
    auto* view = dialog.findChild<QListView*>(QStringLiteral("listView"));
    auto listed = [view] {
        QStringList names;
        for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
            names.append(view->model()->index(row, 0, view->rootIndex()).data().toString());
        names.sort();
        return names.join(QLatin1Char(' '));
    };
    QTRY_COMPARE(listed(), QStringLiteral("map.ld"));
    combo->setCurrentIndex(2);
    emit combo->activated(2);
    QTRY_COMPARE(listed(), QStringLiteral("README grid.dat map.ld"));

    // The seam receives the request exactly as the program made it.
    SetFileDialogAnswerer(
        [](const FileDialogRequest& r) { return std::optional<QString>(r.filter); });
    QCOMPARE(AskFileName(request), std::optional<QString>(open));
    SetFileDialogAnswerer(nullptr);
}

// A raw save typed as "LandData" must become LandData.dat, never replace
// LandData.ld; a type without one extension falls back to "ld".
void PlatformTest::saveSuffixFollowsTheChosenType() {
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Save;
    request.defaultSuffix = QStringLiteral("ld");
    request.initialName = QStringLiteral("LandData");
    request.filter = QStringLiteral("Data Files (*.dat)|*.dat|All Files (*.*)|*.*||");
    QFileDialog raw;
    ConfigureFileDialog(raw, request);
    QCOMPARE(raw.defaultSuffix(), QStringLiteral("dat"));
    auto* combo = raw.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    const auto choose = [combo](int index) {  // what a user's pick emits
        combo->setCurrentIndex(index);
        emit combo->activated(index);
        emit combo->textActivated(combo->itemText(index));
    };
    choose(1);
    QCOMPARE(raw.defaultSuffix(), QStringLiteral("ld"));
    choose(0);
    QCOMPARE(raw.defaultSuffix(), QStringLiteral("dat"));

    request.filter = QStringLiteral("Land Files (*.ld)|*.ld|All Files (*.*)|*.*||");
    QFileDialog save;
    ConfigureFileDialog(save, request);
    QCOMPARE(save.defaultSuffix(), QStringLiteral("ld"));

    request.kind = FileDialogRequest::Kind::Open;
    request.filter = QStringLiteral("Data Files (*.dat)|*.dat|All Files (*.*)|*.*||");
    QFileDialog open;
    ConfigureFileDialog(open, request);
    QCOMPARE(open.defaultSuffix(), QStringLiteral("ld"));
}

void PlatformTest::standardDialogsSpeakJapaneseAndShowWholeColumns() {
    const auto title = [](QFileDialog::AcceptMode mode) {
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        dialog.setAcceptMode(mode);
        return dialog.windowTitle();
    };
    QTemporaryDir nothing;
    QVERIFY(!PrepareStandardDialogs(nothing.path()));  // no translations: English, no harm
    QCOMPARE(title(QFileDialog::AcceptOpen), QStringLiteral("Open"));
    QVERIFY(PrepareStandardDialogs());
    QCOMPARE(title(QFileDialog::AcceptOpen), QString::fromUtf8("開く"));
    QCOMPARE(title(QFileDialog::AcceptSave), QString::fromUtf8("名前を付けて保存"));
    QCOMPARE(QFileDialog::tr("%1 already exists.\nDo you want to replace it?").arg("startup.ld"),
             QString::fromUtf8("startup.ld は既に存在します。\n置き換えますか?"));
    QCOMPARE(QApplication::font("QMessageBox").family(), QString::fromUtf8(DialogFontName));

    // 480,000 bytes is "468.75 KiB", wider than Qt's own sample.
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("small.ld")));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(480000));
    file.close();
    FileDialogRequest request;
    request.filter = QStringLiteral("Land Files (*.ld)|*.ld||");
    QFileDialog dialog;
    ConfigureFileDialog(dialog, request);
    dialog.setDirectory(dir.path());
    dialog.show();
    auto* tree = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    QTRY_COMPARE(tree->model()->rowCount(tree->rootIndex()), 1);
    QVERIFY(tree->header()->length() <= tree->viewport()->width());
    const QFontMetrics metrics(tree->font());
    for (int column : {1, 3}) {
        const QModelIndex cell = tree->model()->index(0, column, tree->rootIndex());
        const QString text = cell.data().toString();
        QVERIFY2(metrics.horizontalAdvance(text) < tree->header()->sectionSize(column),
                 qPrintable(text));
    }
}

QTEST_MAIN(PlatformTest)
#include "PlatformTest.moc"
