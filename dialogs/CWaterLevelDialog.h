#pragma once
// The modal "水面の高さ" dialog: one slider that writes the terrain's
// waterLevel on OK.

#include <QDialog>

#include <memory>

class GEO_MakeLand;

class CWaterLevelDialog : public QDialog {
    Q_OBJECT
  public:
    CWaterLevelDialog(GEO_MakeLand* terrain, QWidget* parent);
    ~CWaterLevelDialog() override;
    void accept() override;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
