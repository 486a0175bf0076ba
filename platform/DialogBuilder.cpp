#include "platform/DialogBuilder.h"

#include "platform/Trackbar.h"
#include "resources/DialogTemplates.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFontMetrics>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#include <cstdint>
#include <cstdlib>

int MulDiv(int a, int b, int c) {
    if (c == 0)
        return -1;
    const int64_t product = int64_t{a} * b;
    const bool negative = (product < 0) != (c < 0);
    const int64_t magnitude = (std::llabs(product) + std::llabs(c) / 2) / std::llabs(c);
    return static_cast<int>(negative ? -magnitude : magnitude);
}

QFont DialogFont(const char* family, int pointSize) {
    static const bool substituted = [] {
        // The resources name "ＭＳ Ｐゴシック", which Debian does not ship; IPAPGothic
        // (fonts-ipafont-gothic) has the same metrics, so the layouts keep their size.
        QFont::insertSubstitution(QString::fromUtf8(DialogFontName), QStringLiteral("IPAPGothic"));
        return true;
    }();
    (void)substituted;
    QFont font(QString::fromUtf8(family));
    font.setPointSize(pointSize);
    return font;
}

DialogBaseUnits BaseUnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(width / 26 + 1) / 2, metrics.height()};
}

QRect DialogUnitsToPixels(const QRect& units, DialogBaseUnits base) {
    return QRect(MulDiv(units.x(), base.cx, 4), MulDiv(units.y(), base.cy, 8),
                 MulDiv(units.width(), base.cx, 4), MulDiv(units.height(), base.cy, 8));
}

namespace {

QString ControlObjectName(int id) {
    return QStringLiteral("id%1").arg(id);
}

}  // namespace

QWidget* FindControl(const QWidget* dialog, int id) {
    if (!dialog)
        return nullptr;
    return dialog->findChild<QWidget*>(ControlObjectName(id), Qt::FindDirectChildrenOnly);
}

namespace {

bool Has(uint32_t style, uint32_t bit) {
    return (style & bit) != 0;
}

// OK (id 1) and Cancel (id 2) close the dialog as accepted or rejected.
QWidget* MakeButton(QDialog* dialog, const ControlTemplate& c, const QString& text) {
    auto* button = new QPushButton(text, dialog);
    button->setAutoDefault(true);
    if (Has(c.style, Style::DefaultButton))
        button->setDefault(true);
    if (c.id == 1)
        QObject::connect(button, &QPushButton::clicked, dialog, &QDialog::accept);
    else if (c.id == 2)
        QObject::connect(button, &QPushButton::clicked, dialog, &QDialog::reject);
    return button;
}

QWidget* MakeStatic(QDialog* dialog, const ControlTemplate& c, const QString& text) {
    auto* label = new QLabel(text, dialog);
    label->setTextFormat(Qt::PlainText);
    Qt::Alignment alignment = Has(c.style, Style::CentreH) ? Qt::AlignHCenter : Qt::AlignLeft;
    alignment |= Has(c.style, Style::CentreV) ? Qt::AlignVCenter : Qt::AlignTop;
    label->setAlignment(alignment);
    return label;
}

QWidget* MakeIcon(QDialog* dialog) {
    auto* label = new QLabel(dialog);
    label->setPixmap(QApplication::windowIcon().pixmap(32, 32));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QWidget* MakeEdit(QDialog* dialog, const ControlTemplate& c) {
    if (!Has(c.style, Style::MultiLine)) {
        auto* edit = new QLineEdit(dialog);
        edit->setFrame(Has(c.style, Style::Border));
        edit->setReadOnly(Has(c.style, Style::ReadOnly));
        return edit;
    }
    auto* edit = new QPlainTextEdit(dialog);
    edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    edit->setReadOnly(Has(c.style, Style::ReadOnly));
    edit->setTabChangesFocus(true);
    if (!Has(c.style, Style::Border))
        edit->setFrameShape(QFrame::NoFrame);
    const Qt::ScrollBarPolicy bars =
        Has(c.style, Style::ScrollBars) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
    edit->setHorizontalScrollBarPolicy(bars);
    edit->setVerticalScrollBarPolicy(bars);
    return edit;
}

QWidget* MakeSlider(QDialog* dialog, const ControlTemplate& c) {
    auto* slider = new Trackbar(dialog);
    slider->setTickPosition(Has(c.style, Style::NoTicks) ? QSlider::NoTicks : QSlider::TicksBelow);
    return slider;
}

QWidget* MakeProgressBar(QDialog* dialog) {
    auto* bar = new QProgressBar(dialog);
    bar->setTextVisible(false);
    bar->setRange(0, 100);
    bar->setValue(0);
    return bar;
}

QWidget* MakeControl(QDialog* dialog, const ControlTemplate& c) {
    const QString text = QString::fromUtf8(c.text);
    switch (c.kind) {
    case ControlKind::PushButton:
        return MakeButton(dialog, c, text);
    case ControlKind::CheckBox:
        return new QCheckBox(text, dialog);
    case ControlKind::Static:
        return MakeStatic(dialog, c, text);
    case ControlKind::Icon:
        return MakeIcon(dialog);
    case ControlKind::Edit:
        return MakeEdit(dialog, c);
    case ControlKind::Slider:
        return MakeSlider(dialog, c);
    case ControlKind::ProgressBar:
        return MakeProgressBar(dialog);
    }
    return new QWidget(dialog);
}

bool TakesFocus(ControlKind kind) {
    return kind != ControlKind::Static && kind != ControlKind::Icon &&
           kind != ControlKind::ProgressBar;
}

}  // namespace

void BuildDialog(QDialog* dialog, const DialogTemplate& t) {
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint;
    if (Has(t.style, DialogStyle::Caption))
        flags |= Qt::WindowTitleHint;
    if (Has(t.style, DialogStyle::SystemMenu))
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    dialog->setWindowFlags(flags);
    dialog->setWindowTitle(QString::fromUtf8(t.caption));
    if (dialog->objectName().isEmpty())
        dialog->setObjectName(QStringLiteral("dialog%1").arg(t.id));

    const QFont font = DialogFont(t.fontName, t.pointSize);
    dialog->setFont(font);
    const DialogBaseUnits base = BaseUnitsOf(font);
    dialog->setFixedSize(DialogUnitsToPixels(QRect(t.x, t.y, t.cx, t.cy), base).size());

    QWidget* first = nullptr;
    for (const ControlTemplate& c : t.controls) {
        QWidget* widget = MakeControl(dialog, c);
        widget->setObjectName(ControlObjectName(c.id));
        widget->setGeometry(DialogUnitsToPixels(QRect(c.x, c.y, c.cx, c.cy), base));
        if (TakesFocus(c.kind))
            widget->setFocusPolicy(Has(c.style, Style::TabStop) ? Qt::StrongFocus : Qt::ClickFocus);
        else
            widget->setFocusPolicy(Qt::NoFocus);
        if (Has(c.style, Style::Hidden))
            widget->setHidden(true);
        if (Has(c.style, Style::Disabled))
            widget->setEnabled(false);
        if (!first && Has(c.style, Style::TabStop) && !Has(c.style, Style::Hidden) &&
            !Has(c.style, Style::Disabled))
            first = widget;
    }
    if (first)
        first->setFocus(Qt::OtherFocusReason);
}
