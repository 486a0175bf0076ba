#include "platform/DataExchange.h"

#include "core/EditNumbers.h"
#include "platform/DialogBuilder.h"
#include "platform/MessageBox.h"
#include "resources/Strings.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <string_view>

namespace {

std::u16string_view Units(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), size_t(text.size())};
}

// The platform's prompt after a failed read: the message, then the field to fix.
bool Fail(QWidget* dialog, int id, const QString& message) {
    ShowMessage(dialog, message, MessageIcon::Exclamation, MessageButtons::Ok);
    if (QWidget* control = FindControl(dialog, id)) {
        control->setFocus(Qt::OtherFocusReason);
        if (auto* edit = qobject_cast<QLineEdit*>(control))
            edit->selectAll();
    }
    return false;
}

template <class T>
bool ReadNumber(QWidget* dialog, int id, T& value, std::optional<T> (*parse)(const QString&),
                const char* message) {
    const std::optional<T> parsed = parse(ControlText(dialog, id));
    if (!parsed)
        return Fail(dialog, id, QString::fromUtf8(message));
    value = *parsed;
    return true;
}

}  // namespace

std::optional<int32_t> ParseInt32(const QString& text) {
    return EditNumbers::ParseInt32(Units(text));
}

std::optional<uint32_t> ParseUInt32(const QString& text) {
    return EditNumbers::ParseUInt32(Units(text));
}

QString ControlText(const QWidget* dialog, int id) {
    QWidget* control = FindControl(dialog, id);
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        return edit->text();
    if (auto* edit = qobject_cast<QPlainTextEdit*>(control))
        return edit->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    if (auto* label = qobject_cast<QLabel*>(control))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        return button->text();
    return QString();
}

void SetControlText(QWidget* dialog, int id, const QString& text) {
    QWidget* control = FindControl(dialog, id);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(text);
        edit->setCursorPosition(0);
    } else if (auto* edit = qobject_cast<QPlainTextEdit*>(control)) {
        // A multi-line edit breaks lines at "\r\n"; Qt's document wants "\n" alone.
        edit->setPlainText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(text);
    }
}

bool IsChecked(const QWidget* dialog, int id) {
    auto* button = ControlAs<QAbstractButton>(dialog, id);
    return button && button->isChecked();
}

void SetChecked(QWidget* dialog, int id, bool checked) {
    if (auto* button = ControlAs<QAbstractButton>(dialog, id))
        button->setChecked(checked);
}

void WriteInt(QWidget* dialog, int id, int32_t value) {
    SetControlText(dialog, id, QString::number(value));
}

void WriteUInt(QWidget* dialog, int id, uint32_t value) {
    SetControlText(dialog, id, QString::number(value));
}

bool ReadInt(QWidget* dialog, int id, int32_t& value) {
    return ReadNumber(dialog, id, value, ParseInt32, Strings::EnterInteger);
}

bool ReadUInt(QWidget* dialog, int id, uint32_t& value) {
    return ReadNumber(dialog, id, value, ParseUInt32, Strings::EnterPositiveInteger);
}

bool CheckRange(QWidget* dialog, int id, int32_t value, int32_t minimum, int32_t maximum) {
    if (value >= minimum && value <= maximum)
        return true;
    return Fail(dialog, id,
                QString::fromUtf8(Strings::EnterIntegerInRange).arg(minimum).arg(maximum));
}
