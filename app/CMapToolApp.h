#pragma once
// The application: creates and shows the main frame and answers About.
// Constructed once the QApplication exists; owns nothing Qt frees itself.

#include "view/CommandTarget.h"

#include <QPointer>
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

private:
    QPointer<CMainFrame> mainFrame_;
};
