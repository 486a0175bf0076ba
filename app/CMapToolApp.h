#pragma once
// The application: creates and shows the main frame and answers About.
// Constructed once the QApplication exists; owns nothing Qt frees itself.

#include "view/CommandTarget.h"

#include <QPointer>
#include <QRect>
#include <QString>

class CMainFrame;

class CMapToolApp : public CommandTarget {
  public:
    CMapToolApp() = default;

    // Creates the main frame and shows it maximised. On failure returns false
    // with the reason in `error` and leaves no window behind.
    bool InitInstance(QString* error = nullptr);
    CMainFrame* mainFrame() const;

    bool handlesCommand(int id) const override;
    bool isCommandEnabled(int id) const override;
    void executeCommand(int id) override;

    // Qt's own set-up for the whole process: names, icon, the standard
    // dialogs in Japanese.
    static void PrepareApplication();

    // The frame's normal (restored) place: three quarters of the screen's
    // available area each way, centred.
    static QRect NormalFrameGeometry(const QRect& available);

  private:
    QPointer<CMainFrame> mainFrame_;
};
