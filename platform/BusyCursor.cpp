#include "platform/BusyCursor.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>

BusyCursor::BusyCursor() {
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    // Hands the cursor to the window system now; input keeps waiting.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

BusyCursor::~BusyCursor() {
    QGuiApplication::restoreOverrideCursor();
}
