#pragma once
// The one message-box answerer of the desktop tests: no test ever waits on a
// modal box.

#include "platform/MessageBox.h"

#include <QStringList>

#include <deque>
#include <optional>
#include <vector>

// Answers every box: from `answers` while it lasts, then with `otherwise`
// when given, else OK / No / Cancel as the buttons allow. Keeps what each
// box asked.
class ScriptedMessages {
  public:
    explicit ScriptedMessages(std::optional<MessageAnswer> otherwise = std::nullopt) {
        SetMessageAnswerer([this, otherwise](const MessageRequest& request) {
            requests.push_back(request);
            if (!answers.empty()) {
                const MessageAnswer answer = answers.front();
                answers.pop_front();
                return answer;
            }
            if (otherwise)
                return *otherwise;
            switch (request.buttons) {
            case MessageButtons::Ok:
                return MessageAnswer::Ok;
            case MessageButtons::YesNo:
                return MessageAnswer::No;
            case MessageButtons::YesNoCancel:
                return MessageAnswer::Cancel;
            }
            return MessageAnswer::Cancel;
        });
    }
    ~ScriptedMessages() { SetMessageAnswerer({}); }
    ScriptedMessages(const ScriptedMessages&) = delete;
    ScriptedMessages& operator=(const ScriptedMessages&) = delete;

    QStringList texts() const {
        QStringList result;
        for (const MessageRequest& r : requests)
            result.append(r.text);
        return result;
    }

    std::deque<MessageAnswer> answers;
    std::vector<MessageRequest> requests;
};
