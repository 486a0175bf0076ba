#pragma once
// Message boxes behind one seam: the program asks through ShowMessage, and a
// test installs an answerer so that no box ever blocks.

#include <QString>

#include <functional>

class QWidget;
class CommandFailure;

enum class MessageButtons { Ok, YesNo, YesNoCancel };
enum class MessageIcon { None, Information, Question, Exclamation, Stop };
enum class MessageAnswer { Ok, Yes, No, Cancel };

struct MessageRequest {
    QWidget* owner = nullptr;
    QString text;
    QString title;  // "Glenvar" unless a title is given
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    bool systemModal = false;
};

using MessageAnswerer = std::function<MessageAnswer(const MessageRequest&)>;

// Shows a modal box owned by `owner` (or answers through the installed seam).
// Escape and the window's close answer Cancel, or OK in an OK box; a Yes/No
// box takes neither and is answered by its buttons alone.
MessageAnswer ShowMessage(QWidget* owner, const QString& text, MessageIcon icon,
                          MessageButtons buttons = MessageButtons::Ok,
                          const QString& title = QString());
// The same with every field given; an empty title becomes "Glenvar".
MessageAnswer ShowMessage(const MessageRequest& request);

// Installs an answerer for every later box; an empty one restores real boxes.
void SetMessageAnswerer(MessageAnswerer answerer);

// The program's common handler of failed commands: one box with the failure's
// text, title "Glenvar", OK button; a stop icon, or for running out of memory
// an exclamation mark on a system-modal box.
void ReportFailure(QWidget* owner, const CommandFailure& failure);
