#include "update/terminateform.h"

#include "settings/programidentity.h"

TTerminateForm::TTerminateForm(QWidget* parent) : QWidget(parent) {}

void TTerminateForm::FormCreate() {
    setWindowTitle(ProductName + QStringLiteral(" - Terminate"));
}
