#include "app/CAboutDialog.h"

#include "platform/DialogBuilder.h"
#include "resources/DialogTemplates.h"

CAboutDialog::CAboutDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("CAboutDialog"));
    BuildDialog(this, AboutDialogTemplate);
}
