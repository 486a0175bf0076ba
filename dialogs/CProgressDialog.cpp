#include "dialogs/CProgressDialog.h"

#include "platform/DataExchange.h"
#include "platform/DialogBuilder.h"
#include "resources/DialogTemplates.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QProgressBar>
#include <QWindow>

CProgressDialog::CProgressDialog(QWidget* parent) : QDialog(parent) {
    BuildDialog(this, ProgressDialogTemplate);
    setModal(false);
    // Keys typed meanwhile wait in the queue addressed to the window that had the
    // focus; were it this one, they would be dropped with it. So the focus stays
    // on the frame, which gets them once the operation ends.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowFlag(Qt::WindowDoesNotAcceptFocus);
    bar_ = ControlAs<QProgressBar>(this, ProgressControl::Bar);
    transferToControls();
    if (parent) {
        frame_ = parent->window();
        centreOn(frame_);
    }
}

void CProgressDialog::centreOn(const QWidget* frame) {
    // The frame's centre from its exclusive right and bottom edges, halves
    // truncated toward zero; the window's size is rebuilt from its halves, so
    // an odd side loses a pixel.
    const QRect outer = frame->frameGeometry();
    const int cx = (outer.left() + (outer.left() + outer.width())) / 2;
    const int cy = (outer.top() + (outer.top() + outer.height())) / 2;
    const QRect own = frameGeometry();
    const int hw = own.width() / 2;
    const int hh = own.height() / 2;
    setFixedSize(width() - (own.width() - 2 * hw), height() - (own.height() - 2 * hh));
    move(cx - hw, cy - hh);
}

QProgressBar* CProgressDialog::progressBar() const {
    return bar_;
}

void CProgressDialog::transferToControls() {
    SetControlText(this, ProgressControl::Status, statusText);
    SetControlText(this, ProgressControl::Phase, phaseLabel);
}

void CProgressDialog::showAndRepaint() {
    if (!isVisible())
        show();
    // Qt paints only into a window the platform has mapped. Wait for that once,
    // dispatching nothing but system events, so user input still waits.
    if (!exposeAwaited_) {
        exposeAwaited_ = true;
        QElapsedTimer timer;
        timer.start();
        while (windowHandle() && !windowHandle()->isExposed() && timer.elapsed() < 1000)
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
        // A window manager's decorations are known only now; centre the whole window.
        if (frame_ && frameGeometry().size() != size()) {
            const QRect before = frameGeometry();
            centreOn(frame_);
            // Until the operation ends nothing else repaints the frame, so
            // repaint the strip the move uncovered once the window system has
            // moved the window, or a stale copy of this window stays there.
            timer.restart();
            while (timer.elapsed() < 100)
                QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
            const QRect uncovered(frame_->mapFromGlobal(before.topLeft()), before.size());
            frame_->repaint(QRegion(uncovered).subtracted(
                QRect(frame_->mapFromGlobal(frameGeometry().topLeft()), frameGeometry().size())));
        }
    }
    repaint();
}

void CProgressDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void CProgressDialog::closeEvent(QCloseEvent* event) {
    // Only the operation that owns this window may end it.
    event->ignore();
}

void CProgressDialog::reject() {}
