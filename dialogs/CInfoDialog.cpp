#include "dialogs/CInfoDialog.h"

#include "core/GEO_MakeLand.h"
#include "core/LandReport.h"
#include "platform/DataExchange.h"
#include "platform/DialogBuilder.h"
#include "resources/DialogTemplates.h"

#include <QApplication>

namespace {

// Without a parent the application's main window owns the box.
QWidget* OwnerOf(QWidget* parent) {
    return parent ? parent : QApplication::activeWindow();
}

}  // namespace

CInfoDialog::CInfoDialog(GEO_MakeLand* terrain, QWidget* parent) : QDialog(OwnerOf(parent)) {
    BuildDialog(this, InfoDialogTemplate);
    const std::string report = BuildLandReport(
        terrain->GetData(), static_cast<size_t>(terrain->GetSize()), terrain->waterLevel);
    report_ = QString::fromStdString(report);
    SetControlText(this, InfoControl::Report, report_);
}

QString CInfoDialog::reportText() const {
    return report_;
}
