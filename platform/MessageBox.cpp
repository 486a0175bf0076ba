#include "platform/MessageBox.h"

#include "data/Failures.h"
#include "resources/Strings.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>

#include <optional>
#include <utility>

namespace {

MessageAnswerer& InstalledAnswerer() {
    static MessageAnswerer answerer;
    return answerer;
}

QMessageBox::Icon QtIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::None:
        return QMessageBox::NoIcon;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Stop:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

// The buttons of each kind of box, its default one, and what Escape or
// closing it without a button answers. A Yes/No box has no such answer: a
// stray key must not throw away what the question would keep.
struct ButtonSet {
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton;
    std::optional<MessageAnswer> dismissed;
};

ButtonSet ButtonSetOf(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::Ok:
        return {QMessageBox::Ok, QMessageBox::Ok, MessageAnswer::Ok};
    case MessageButtons::YesNo:
        return {QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, std::nullopt};
    case MessageButtons::YesNoCancel:
        return {QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes,
                MessageAnswer::Cancel};
    }
    return {QMessageBox::NoButton, QMessageBox::NoButton, MessageAnswer::Cancel};
}

// Qt lets Escape answer No in a Yes/No box and offers a close button on
// every box; one that cannot be dismissed takes neither.
class ProgramBox : public QMessageBox {
  public:
    ProgramBox(QWidget* owner, bool dismissable) : QMessageBox(owner), dismissable_(dismissable) {}

    // QMessageBox resets the flags when its modality is set, so this comes after.
    void setApplicationModal(bool onTop) {
        setWindowModality(Qt::ApplicationModal);
        Qt::WindowFlags flags = windowFlags();
        if (!dismissable_)
            flags = (flags | Qt::CustomizeWindowHint | Qt::WindowTitleHint) &
                    ~Qt::WindowCloseButtonHint;
        setWindowFlags(flags | (onTop ? Qt::WindowStaysOnTopHint : Qt::WindowFlags()));
    }

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (!dismissable_ && event->matches(QKeySequence::Cancel))
            return;
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override {
        if (!dismissable_) {
            event->ignore();
            return;
        }
        QMessageBox::closeEvent(event);
    }

  private:
    bool dismissable_;
};

// Each Qt button the boxes use, the answer it gives and its label, as the
// Japanese system shows it.
struct ButtonRow {
    QMessageBox::StandardButton button;
    MessageAnswer answer;
    const char* label;
};

constexpr ButtonRow buttonRows[] = {
    {QMessageBox::Ok, MessageAnswer::Ok, Strings::BoxOk},
    {QMessageBox::Yes, MessageAnswer::Yes, Strings::BoxYes},
    {QMessageBox::No, MessageAnswer::No, Strings::BoxNo},
    {QMessageBox::Cancel, MessageAnswer::Cancel, Strings::BoxCancel},
};

MessageAnswer ShowRealBox(const MessageRequest& request) {
    QWidget* owner = request.owner ? request.owner : QApplication::activeWindow();
    const ButtonSet set = ButtonSetOf(request.buttons);
    ProgramBox box(owner, set.dismissed.has_value());
    box.setWindowTitle(request.title);
    box.setTextFormat(Qt::PlainText);
    box.setText(request.text);
    box.setIcon(QtIcon(request.icon));
    box.setStandardButtons(set.buttons);
    box.setDefaultButton(set.defaultButton);
    for (const ButtonRow& row : buttonRows) {
        if (QAbstractButton* button = box.button(row.button))
            button->setText(QString::fromUtf8(row.label));
    }
    box.setApplicationModal(request.systemModal);
    box.exec();
    const QMessageBox::StandardButton clicked = box.standardButton(box.clickedButton());
    for (const ButtonRow& row : buttonRows) {
        if (row.button == clicked)
            return row.answer;
    }
    return set.dismissed.value_or(MessageAnswer::No);
}

}  // namespace

MessageAnswer ShowMessage(const MessageRequest& request) {
    MessageRequest filled = request;
    if (filled.title.isEmpty())
        filled.title = QString::fromUtf8(Strings::AppTitle);
    if (const MessageAnswerer& answerer = InstalledAnswerer())
        return answerer(filled);
    return ShowRealBox(filled);
}

MessageAnswer ShowMessage(QWidget* owner, const QString& text, MessageIcon icon,
                          MessageButtons buttons, const QString& title) {
    MessageRequest request;
    request.owner = owner;
    request.text = text;
    request.title = title;
    request.icon = icon;
    request.buttons = buttons;
    return ShowMessage(request);
}

void SetMessageAnswerer(MessageAnswerer answerer) {
    InstalledAnswerer() = std::move(answerer);
}

void ReportFailure(QWidget* owner, const CommandFailure& failure) {
    MessageRequest request;
    request.owner = owner;
    request.text = QString::fromUtf8(failure.what());
    // Running out of memory concerns the whole program, not one command.
    const bool outOfMemory = failure.kind() == FailureKind::OutOfMemory;
    request.icon = outOfMemory ? MessageIcon::Exclamation : MessageIcon::Stop;
    request.buttons = MessageButtons::Ok;
    request.systemModal = outOfMemory;
    ShowMessage(request);
}
