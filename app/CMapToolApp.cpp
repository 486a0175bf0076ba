#include "app/CMapToolApp.h"

#include "app/AppIcon.h"
#include "app/CAboutDialog.h"
#include "app/CMainFrame.h"
#include "platform/StandardDialogs.h"
#include "resources/MenuTable.h"
#include "resources/Strings.h"

#include <QApplication>
#include <QScreen>

#include <exception>
#include <memory>

QRect CMapToolApp::NormalFrameGeometry(const QRect& available) {
    const QSize size(available.width() * 3 / 4, available.height() * 3 / 4);
    return QRect(available.topLeft() +
                     QPoint(available.width() - size.width(), available.height() - size.height()) /
                         2,
                 size);
}

void CMapToolApp::PrepareApplication() {
    // No display name: Qt would append it to every window title.
    QApplication::setApplicationName(QString::fromUtf8(Strings::AppTitle));
    QApplication::setWindowIcon(AppIcon());
    PrepareStandardDialogs();
}

bool CMapToolApp::InitInstance(QString* error) {
    try {
        auto frame = std::make_unique<CMainFrame>(this);
        frame->setAttribute(Qt::WA_DeleteOnClose);
        // What un-maximising restores; Qt's own default is a sliver.
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            frame->setGeometry(NormalFrameGeometry(screen->availableGeometry()));
        frame->showMaximized();
        if (frame->windowHandle() == nullptr || frame->winId() == 0) {
            if (error)
                *error = QStringLiteral("the main window could not be created");
            return false;
        }
        mainFrame_ = frame.release();
        return true;
    } catch (const std::exception& failure) {
        if (error)
            *error = QStringLiteral("the main window could not be created: %1")
                         .arg(QString::fromLocal8Bit(failure.what()));
        return false;
    }
}

CMainFrame* CMapToolApp::mainFrame() const {
    return mainFrame_;
}

bool CMapToolApp::handlesCommand(int id) const {
    return id == CommandId::AppAbout;
}

bool CMapToolApp::isCommandEnabled(int id) const {
    return id == CommandId::AppAbout;
}

void CMapToolApp::executeCommand(int id) {
    if (id != CommandId::AppAbout)
        return;
    CAboutDialog about(mainFrame_);
    about.exec();
}
