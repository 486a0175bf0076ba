#include "platform/DataExchange.h"

#include "platform/DialogBuilder.h"
#include "platform/MessageBox.h"
#include "resources/Strings.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <algorithm>
#include <limits>

namespace {

struct Scanned {
    bool valid = false;
    bool negative = false;
    uint64_t magnitude = 0;  // saturated just above any 32-bit limit
};

bool IsBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

Scanned Scan(const QString& text, bool allowMinus) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;

    Scanned result;
    const bool startsWithZero = begin < end && text[begin] == QLatin1Char('0');
    qsizetype i = begin;
    if (i < end && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        result.negative = text[i] == QLatin1Char('-');
        if (result.negative && !allowMinus)
            return result;
        ++i;
    }
    if (i == end)
        return result;
    constexpr uint64_t cap = uint64_t{1} << 33;
    for (; i < end; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return result;
        result.magnitude = std::min(cap, result.magnitude * 10 + (c - u'0'));
    }
    result.valid = result.magnitude != 0 || startsWithZero;
    return result;
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
    const Scanned s = Scan(text, true);
    if (!s.valid)
        return std::nullopt;
    constexpr int64_t low = std::numeric_limits<int32_t>::min();
    constexpr int64_t high = std::numeric_limits<int32_t>::max();
    const int64_t value =
        s.negative ? -static_cast<int64_t>(s.magnitude) : static_cast<int64_t>(s.magnitude);
    return static_cast<int32_t>(std::clamp(value, low, high));
}

std::optional<uint32_t> ParseUInt32(const QString& text) {
    const Scanned s = Scan(text, false);
    if (!s.valid)
        return std::nullopt;
    return static_cast<uint32_t>(
        std::min<uint64_t>(s.magnitude, std::numeric_limits<uint32_t>::max()));
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
