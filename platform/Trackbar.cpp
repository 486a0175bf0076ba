#include "platform/Trackbar.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

Trackbar::Trackbar(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    setRange(0, 100);
    setValue(0);
    setSingleStep(1);
    setPageStep(20);
    setTracking(true);
}

namespace {

// Left and Up lower the position, Right and Down raise it, Page Up lowers it by
// a page: the trackbar's directions, which differ from Qt's for Up and Page Up.
QAbstractSlider::SliderAction ActionForKey(int key) {
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Up:
        return QAbstractSlider::SliderSingleStepSub;
    case Qt::Key_Right:
    case Qt::Key_Down:
        return QAbstractSlider::SliderSingleStepAdd;
    case Qt::Key_PageUp:
        return QAbstractSlider::SliderPageStepSub;
    case Qt::Key_PageDown:
        return QAbstractSlider::SliderPageStepAdd;
    case Qt::Key_Home:
        return QAbstractSlider::SliderToMinimum;
    case Qt::Key_End:
        return QAbstractSlider::SliderToMaximum;
    default:
        return QAbstractSlider::SliderNoAction;
    }
}

}  // namespace

void Trackbar::keyPressEvent(QKeyEvent* event) {
    const SliderAction action = ActionForKey(event->key());
    if (action == SliderNoAction || event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) {
        QSlider::keyPressEvent(event);
        return;
    }
    triggerAction(action);
    event->accept();
}

void Trackbar::keyReleaseEvent(QKeyEvent* event) {
    if (!event->isAutoRepeat() && ActionForKey(event->key()) != SliderNoAction) {
        event->accept();
        emit endTrack();
        return;
    }
    QSlider::keyReleaseEvent(event);
}

void Trackbar::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        mouseTracking_ = true;
    QSlider::mousePressEvent(event);
}

void Trackbar::mouseReleaseEvent(QMouseEvent* event) {
    QSlider::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && mouseTracking_) {
        mouseTracking_ = false;
        emit endTrack();
    }
}

void Trackbar::wheelEvent(QWheelEvent* event) {
    const int before = value();
    QSlider::wheelEvent(event);
    if (value() != before)
        emit endTrack();
}
