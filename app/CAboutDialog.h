#pragma once
// The "Glenvar Version" box of the Help menu.

#include <QDialog>

class CAboutDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CAboutDialog(QWidget* parent = nullptr);
};
