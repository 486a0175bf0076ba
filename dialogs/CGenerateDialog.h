#pragma once
// The modal "地図生成" dialog: edits the terrain's generation parameters in
// place and writes them all on OK, nothing on Cancel.

#include <QDialog>

#include <memory>

class GEO_MakeLand;

class CGenerateDialog : public QDialog {
    Q_OBJECT
  public:
    CGenerateDialog(GEO_MakeLand* terrain, QWidget* parent);
    ~CGenerateDialog() override;
    // exec() returns QDialog::Accepted on OK.
    void accept() override;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
