#pragma once
// The modeless "作成中" window of a long operation. Created hidden and centred
// on the main frame; the progress callbacks set its bar and texts and repaint
// it; it offers no way to stop the operation and ignores Enter and Escape.

#include <QDialog>
#include <QPointer>
#include <QString>

class QProgressBar;

class CProgressDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CProgressDialog(QWidget* parent);

    QProgressBar* progressBar() const;  // control 1000
    QString statusText;                 // control 1001
    QString phaseLabel;                 // control 1010

    // Moves statusText and phaseLabel into their controls (no validation).
    void transferToControls();
    // Shows the window if hidden and repaints it at once, without handling input.
    void showAndRepaint();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    void centreOn(const QWidget* frame);

    QProgressBar* bar_ = nullptr;
    QPointer<QWidget> frame_;  // the main frame this window is centred on
    bool exposeAwaited_ = false;
};
