#include "platform/MessageBox.h"

#include "data/Failures.h"
#include "resources/Strings.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

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

// What a box closed without a button (window manager close) answers.
MessageAnswer Dismissed(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::Ok:
        return MessageAnswer::Ok;
    case MessageButtons::YesNo:
        return MessageAnswer::No;
    case MessageButtons::YesNoCancel:
        return MessageAnswer::Cancel;
    }
    return MessageAnswer::Cancel;
}

MessageAnswer ShowRealBox(const MessageRequest& request) {
    QWidget* owner = request.owner ? request.owner : QApplication::activeWindow();
    QMessageBox box(owner);
    box.setWindowTitle(request.title);
    box.setTextFormat(Qt::PlainText);
    box.setText(request.text);
    box.setIcon(QtIcon(request.icon));
    switch (request.buttons) {
    case MessageButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
        break;
    case MessageButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    case MessageButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    }
    const std::pair<QMessageBox::StandardButton, const char*> labels[] = {
        {QMessageBox::Ok, Strings::BoxOk},
        {QMessageBox::Yes, Strings::BoxYes},
        {QMessageBox::No, Strings::BoxNo},
        {QMessageBox::Cancel, Strings::BoxCancel},
    };
    for (const auto& [which, text] : labels) {
        if (QAbstractButton* button = box.button(which)) button->setText(QString::fromUtf8(text));
    }
    box.setWindowModality(Qt::ApplicationModal);
    if (request.systemModal)
        box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    box.exec();
    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Ok:
        return MessageAnswer::Ok;
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    case QMessageBox::Cancel:
        return MessageAnswer::Cancel;
    default:
        return Dismissed(request.buttons);
    }
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
    request.title = QString::fromUtf8(Strings::AppTitle);
    request.icon =
        failure.icon() == FailureIcon::Stop ? MessageIcon::Stop : MessageIcon::Exclamation;
    request.buttons = MessageButtons::Ok;
    request.systemModal = failure.systemModal();
    ShowMessage(request);
}
