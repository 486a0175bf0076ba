#pragma once
// The modal "情報" dialog showing the land statistics report.

#include <QDialog>

class GEO_MakeLand;

class CInfoDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CInfoDialog(GEO_MakeLand* terrain, QWidget* parent = nullptr);
    QString reportText() const;

  private:
    QString report_;
};
