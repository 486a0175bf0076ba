#pragma once
// Helpers of the dialog tests: the message-box answerer, and the raw keyboard
// and mouse input a user gives a slider.

#include "platform/DataExchange.h"
#include "platform/DialogBuilder.h"
#include "platform/MessageBox.h"
#include "platform/Trackbar.h"
#include "tests/support/Bits.h"
#include "tests/support/ScriptedMessages.h"

#include <QApplication>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>

#include <vector>

using testsupport::Bits;

inline bool ShowActive(QWidget* dialog) {
    dialog->show();
    QApplication::setActiveWindow(dialog);
    return QTest::qWaitForWindowExposed(dialog) && QTest::qWaitForWindowActive(dialog);
}

// A held key repeats its release too, flagged as auto-repeat.
inline void ReleaseKey(QWidget* target, Qt::Key key, bool autoRepeat = false) {
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(), autoRepeat);
    QApplication::sendEvent(target, &release);
}

inline void SendMouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    QMouseEvent event(type, at, target->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

inline QPoint HandleCentre(const Trackbar* slider) {
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.orientation = slider->orientation();
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = slider->sliderPosition();
    option.sliderValue = slider->value();
    option.subControls = QStyle::SC_All;
    return slider->style()
        ->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider)
        .center();
}

// Presses the thumb and drags it `dx` pixels; ReleaseThumb lets go.
inline void DragThumb(Trackbar* slider, int dx) {
    const QPoint start = HandleCentre(slider);
    SendMouse(slider, QEvent::MouseButtonPress, start, Qt::LeftButton);
    for (int step = 1; step <= 4; ++step)
        SendMouse(slider, QEvent::MouseMove, start + QPoint(dx * step / 4, 0), Qt::LeftButton);
}

inline void ReleaseThumb(Trackbar* slider) {
    SendMouse(slider, QEvent::MouseButtonRelease, HandleCentre(slider), Qt::NoButton);
}
