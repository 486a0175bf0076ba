#pragma once
// Shared helpers of the dialog tests: a recorder that answers every message box,
// and the raw input a user gives a slider.

#include "platform/DialogBuilder.h"
#include "platform/MessageBox.h"
#include "platform/Trackbar.h"

#include <QApplication>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>

#include <bit>
#include <cstdint>
#include <vector>

// Answers every box with `answer` and keeps what was asked; restores real boxes
// when it goes.
class MessageRecorder {
public:
    explicit MessageRecorder(MessageAnswer answer = MessageAnswer::Ok) {
        SetMessageAnswerer([this, answer](const MessageRequest& request) {
            requests.push_back(request);
            return answer;
        });
    }
    ~MessageRecorder() { SetMessageAnswerer(nullptr); }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    QStringList texts() const {
        QStringList result;
        for (const MessageRequest& r : requests)
            result.append(r.text);
        return result;
    }

    std::vector<MessageRequest> requests;
};

inline uint64_t Bits(double value) {
    return std::bit_cast<uint64_t>(value);
}

// Shows a dialog non-modally and makes it the active window, as a user sees it.
inline bool ShowActive(QWidget* dialog) {
    dialog->show();
    QApplication::setActiveWindow(dialog);
    return QTest::qWaitForWindowExposed(dialog) && QTest::qWaitForWindowActive(dialog);
}

// Key presses and releases as the keyboard delivers them; a held key repeats
// its press and its release, flagged as auto-repeat.
inline void PressKey(QWidget* target, Qt::Key key) {
    QTest::keyPress(target, key);
}
inline void ReleaseKey(QWidget* target, Qt::Key key, bool autoRepeat = false) {
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(), autoRepeat);
    QApplication::sendEvent(target, &release);
}

inline QPoint HandleCentre(const Trackbar* slider) {
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.orientation = slider->orientation();
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = slider->sliderPosition();
    option.sliderValue = slider->value();
    option.singleStep = slider->singleStep();
    option.pageStep = slider->pageStep();
    option.tickPosition = slider->tickPosition();
    option.subControls = QStyle::SC_All;
    return slider->style()
        ->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider)
        .center();
}

inline void SendMouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    QMouseEvent event(type, at, target->mapToGlobal(at), Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// Presses the thumb and drags it `dx` pixels; the caller releases it.
inline void DragThumb(Trackbar* slider, int dx) {
    const QPoint start = HandleCentre(slider);
    SendMouse(slider, QEvent::MouseButtonPress, start, Qt::LeftButton);
    for (int step = 1; step <= 4; ++step)
        SendMouse(slider, QEvent::MouseMove, start + QPoint(dx * step / 4, 0), Qt::LeftButton);
}

inline void ReleaseThumb(Trackbar* slider) {
    SendMouse(slider, QEvent::MouseButtonRelease, HandleCentre(slider), Qt::NoButton);
}
